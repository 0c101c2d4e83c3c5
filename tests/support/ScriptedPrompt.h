#pragma once

#include "platform/Prompt.h"

#include <QList>
#include <QQueue>

// Records every question the program asks and answers from queues. An empty answer queue
// gives Ok (or Yes for a Yes/No question), Cancel for an input box and "" for a file dialog.
class ScriptedPrompt : public Prompt {
public:
    struct Entry {
        QString kind; // "MsgBox", "InputBox", "OpenFileName", "SaveFileName"
        QString text;
        QString title; // as shown: the application title when none was given
        PromptIcon icon = PromptIcon::None;
        PromptButtons buttons = PromptButtons::Ok;
    };

    PromptAnswer MsgBox(const QString& text, PromptButtons buttons, PromptIcon icon,
                        const QString& title = {}) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultValue) override;
    QString OpenFileName(const QString& title, const QString& filter,
                         const QString& directory) override;
    QString SaveFileName(const QString& title, const QString& filter,
                         const QString& suggested) override;

    QList<Entry> transcript;
    QQueue<PromptAnswer> answers;
    QQueue<std::optional<QString>> inputs;
    QQueue<QString> files; // answers of both file dialogs
    QString lastSuggested; // the path the last save dialog proposed
};

// "text|title|icon" of every message box `prompt` showed, in order; with `everyPrompt`, of the
// input boxes and file dialogs too.
QStringList Messages(const ScriptedPrompt& prompt, bool everyPrompt = false);
