#include "ctl/CtlCommand.h"
#include "ctl/CtlSession.h"
#include "ctl/NamedSettings.h"

#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

const int kRoot = RegistryStore::HKEY_LOCAL_MACHINE_;

const NamedSetting& SettingNamed(const QString& name) {
    if (const NamedSetting* setting = FindSetting(name))
        return *setting;
    QStringList names;
    for (const NamedSetting& setting : NamedSettings())
        names << QLatin1String(setting.command);
    throw UsageError{QStringLiteral("unknown setting \"%1\": one of %2")
                         .arg(name, names.join(QStringLiteral(", ")))};
}

CtlResult SettingsGet(CtlSession& s, const CtlArgs& a) {
    QList<const NamedSetting*> asked;
    if (a.words.isEmpty()) {
        for (const NamedSetting& setting : NamedSettings())
            asked << &setting;
    } else {
        asked << &SettingNamed(a.words.at(0));
    }
    CtlResult result;
    QJsonObject json{{QStringLiteral("file"), s.Registry().File()}};
    result.table.headers = {QStringLiteral("Setting"), QStringLiteral("Value")};
    const bool exists = s.Registry().KeyExists(kRoot, RegistryStore::kSettingsKey);
    for (const NamedSetting* setting : asked) {
        const QString value = exists ? s.Registry()
                                           .GetValue(kRoot, RegistryStore::kSettingsKey,
                                                     QLatin1String(setting->value))
                                           .toString()
                                     : QString();
        // Listing them all, the values that are not set are left out.
        if (a.words.isEmpty() && value.isEmpty())
            continue;
        json.insert(QLatin1String(setting->command), value);
        result.table.rows.append({QLatin1String(setting->command), value});
    }
    result.lines.append(exists
                            ? QStringLiteral("(from %1)").arg(s.Registry().File())
                            : QStringLiteral("(%1 does not exist yet)").arg(s.Registry().File()));
    result.json = json;
    return result;
}

CtlResult SettingsSet(CtlSession& s, const CtlArgs& a) {
    const NamedSetting& setting = SettingNamed(a.words.at(0));
    const QString value = a.words.at(1).trimmed();
    if (!s.Registry().CreateKey(kRoot, RegistryStore::kSettingsKey) ||
        !s.Registry().SetValue(kRoot, RegistryStore::kSettingsKey, QLatin1String(setting.value),
                               value))
        throw Refusal{QStringLiteral("the settings file %1 cannot be written by %2: only %3 may "
                                     "change it")
                          .arg(s.Registry().File(), s.CallerName(),
                               s.Registry().IsPersonal() ? QStringLiteral("its owner")
                                                         : QStringLiteral("root"))};
    return {QJsonObject{{QStringLiteral("ok"), true},
                        {QStringLiteral("file"), s.Registry().File()},
                        {QLatin1String(setting.command), value}},
            {},
            {QStringLiteral("%1 = %2 (in %3)")
                 .arg(QLatin1String(setting.command), value, s.Registry().File())}};
}

QString SettingNames() {
    QStringList names;
    for (const NamedSetting& setting : NamedSettings())
        names << QLatin1String(setting.command);
    return names.join(u'|');
}

} // namespace

QList<CtlCommand> SettingsCommands() {
    using R = CtlCommand::Rights;
    return {
        {{u"settings"_s, u"get"_s},
         u"[NAME]"_s,
         0,
         1,
         {},
         R::Anyone,
         u"the settings that are set, or one of them; NAME: "_s + SettingNames(),
         SettingsGet,
         {},
         [](const CtlArgs& a) {
             for (const QString& name : a.words)
                 SettingNamed(name);
         }},
        {{u"settings"_s, u"set"_s},
         u"NAME VALUE"_s,
         2,
         2,
         {},
         R::Settings,
         u"changes a setting of the settings file, written whole"_s,
         SettingsSet,
         {},
         [](const CtlArgs& a) {
             const NamedSetting& setting = SettingNamed(a.words.at(0));
             const QString value = a.words.at(1).trimmed();
             if (const QString problem = setting.check(value); !problem.isEmpty())
                 throw UsageError{QStringLiteral("%1 cannot be \"%2\": %3")
                                      .arg(QLatin1String(setting.command), value, problem)};
         }},
    };
}
