#pragma once

// What the security window tests share: an administrator's fixture with the domain "CORP" and
// three programs, readers for what the windows show, and a driver that answers the picker and
// the editor without event loops.

#include "AdminFixture.h"
#include "admin/PrincipalList.h"
#include "admin/frmAddSecurity.h"
#include "admin/frmChange.h"
#include "admin/frmSecurity.h"

#include <QComboBox>

struct SecurityFixture : AdminFixture {
    SecurityFixture() {
        const int root = RegistryStore::HKEY_LOCAL_MACHINE_;
        t.ctx.registry->CreateKey(root, RegistryStore::kSettingsKey);
        t.ctx.registry->SetValue(root, RegistryStore::kSettingsKey, "5", QStringLiteral("CORP"));
        for (const QString program : {"Editor", "Mail", "Ledger"})
            store().AddProgram(program, {}, "/usr/bin/" + program.toLower(), {}, {}, {});
    }

    // Stores rules "G:name:status" or "U:name:status", comma-separated, for `program`.
    void Seed(const QString& rules, const QString& program = "Mail") {
        for (const QString& rule : rules.split(u',', Qt::SkipEmptyParts)) {
            const QStringList part = rule.split(u':');
            const int kind = part[0] == "G" ? CatalogStore::KindGroup : CatalogStore::KindUser;
            kind == CatalogStore::KindGroup ? store().AddGroup(part[1])
                                            : store().AddUser(part[1], "S-1-5-21-" + part[1]);
            QVERIFY(store().AddPermission(part[1], part[2].toInt(), program, kind));
        }
    }

    // The rows the window shows: "name|permission|tag|picture".
    static QStringList Rows(const frmSecurity& window) {
        QStringList rows;
        const ListView* list = window.lstView;
        for (int i = 1; i <= list->Count(); ++i)
            rows << QStringLiteral("%1|%2|%3|%4")
                        .arg(list->Text(i), list->SubItem(i, 1), list->Tag(i))
                        .arg(list->Icon(i));
        return rows;
    }

    // The stored rules of a program: "name=status", groups first.
    QStringList StoredRules(const QString& program) {
        QStringList rules;
        const std::pair<Recordset, QString> lists[] = {
            {store().GetProgramGroupPermissions(program), "GroupName"},
            {store().GetProgramUserPermissions(program), "Username"}};
        for (auto [rs, field] : lists)
            for (long i = 0; i < rs.RecordCount(); ++i, rs.MoveNext())
                rules << rs.Fields(field).toString() + '=' + rs.Fields("Status").toString();
        return rules;
    }

    static void Pick(frmSecurity& window, const QString& program) {
        window.cboProgram->setCurrentIndex(window.cboProgram->findText(program));
        window.cboProgram_Click();
    }

    // Makes the catalogue refuse every new rule, as a failing disk or a damaged table would.
    bool RefuseNewRules() {
        return Sabotage(t.ctx, "CREATE TRIGGER refuse BEFORE INSERT ON permissions BEGIN "
                               "SELECT RAISE(ABORT, 'rules are frozen'); END");
    }
};

// Answers the picker and the editor when a window opens them, recording their names.
struct ModalScript {
    std::function<void(frmAddSecurity&)> picker;
    std::function<void(frmChange&)> editor;
    QStringList shown;

    ShowModal Driver() {
        return [this](QDialog& dialog) {
            shown << dialog.objectName();
            if (auto* p = qobject_cast<frmAddSecurity*>(&dialog); p && picker)
                picker(*p);
            else if (auto* e = qobject_cast<frmChange*>(&dialog); e && editor)
                editor(*e);
        };
    }
};
