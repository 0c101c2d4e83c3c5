#pragma once

#include <QString>
#include <optional>

enum class PromptIcon { None, Information, Exclamation, Critical, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// Message box, input box and file dialogs. The program shows real dialogs (QtPrompt, in
// widgets/); tests use a scripted double that records every question and returns queued
// answers.
class Prompt {
public:
    static inline const QString kApplicationTitle = QStringLiteral("Tessaro Orvane");

    virtual ~Prompt() = default;

    // An empty title shows the application title.
    virtual PromptAnswer MsgBox(const QString& text, PromptButtons buttons, PromptIcon icon,
                                const QString& title = {}) = 0;
    // No value when the user cancels.
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                            const QString& defaultValue) = 0;
    // An empty string when the user cancels.
    virtual QString OpenFileName(const QString& title, const QString& filter,
                                 const QString& directory) = 0;
    // The file to write; `suggested` is the proposed path. An empty string when the user
    // cancels.
    virtual QString SaveFileName(const QString& title, const QString& filter,
                                 const QString& suggested) = 0;
};
