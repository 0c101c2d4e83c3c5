#include "support/ScriptedPrompt.h"

namespace {
QString Shown(const QString& title) {
    return title.isEmpty() ? Prompt::kApplicationTitle : title;
}
} // namespace

QStringList Messages(const ScriptedPrompt& prompt, bool everyPrompt) {
    static const char* const kIcons[] = {"None", "Information", "Exclamation", "Critical",
                                         "Question"};
    QStringList lines;
    for (const auto& entry : prompt.transcript)
        if (everyPrompt || entry.kind == QLatin1String("MsgBox"))
            lines.append(entry.text + u'|' + entry.title + u'|' +
                         QLatin1String(kIcons[static_cast<int>(entry.icon)]));
    return lines;
}

PromptAnswer ScriptedPrompt::MsgBox(const QString& text, PromptButtons buttons, PromptIcon icon,
                                    const QString& title) {
    transcript.append({QStringLiteral("MsgBox"), text, Shown(title), icon, buttons});
    if (!answers.isEmpty())
        return answers.dequeue();
    return buttons == PromptButtons::YesNo || buttons == PromptButtons::YesNoCancel
               ? PromptAnswer::Yes
               : PromptAnswer::Ok;
}

std::optional<QString> ScriptedPrompt::InputBox(const QString& prompt, const QString& title,
                                                const QString& /*defaultValue*/) {
    transcript.append({QStringLiteral("InputBox"), prompt, Shown(title), PromptIcon::None,
                       PromptButtons::OkCancel});
    if (!inputs.isEmpty())
        return inputs.dequeue();
    return std::nullopt;
}

QString ScriptedPrompt::OpenFileName(const QString& title, const QString& filter,
                                     const QString& /*directory*/) {
    transcript.append({QStringLiteral("OpenFileName"), filter, Shown(title), PromptIcon::None,
                       PromptButtons::OkCancel});
    return files.isEmpty() ? QString() : files.dequeue();
}

QString ScriptedPrompt::SaveFileName(const QString& title, const QString& filter,
                                     const QString& suggested) {
    transcript.append({QStringLiteral("SaveFileName"), filter, Shown(title), PromptIcon::None,
                       PromptButtons::OkCancel});
    lastSuggested = suggested;
    return files.isEmpty() ? QString() : files.dequeue();
}
