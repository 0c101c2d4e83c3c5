#pragma once

#include "platform/Prompt.h"

// The real dialogs, parented to the active window.
class QtPrompt : public Prompt {
public:
    PromptAnswer MsgBox(const QString& text, PromptButtons buttons, PromptIcon icon,
                        const QString& title = {}) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultValue) override;
    QString OpenFileName(const QString& title, const QString& filter,
                         const QString& directory) override;
    QString SaveFileName(const QString& title, const QString& filter,
                         const QString& suggested) override;
};
