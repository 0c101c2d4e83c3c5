#pragma once

// Programs and their rules in a test catalogue, shared by the access, launcher, directory and
// administration tests.

#include "access/AccessEvaluation.h"
#include "support/DataRow.h"
#include "support/SignIn.h"
#include "support/TestContext.h"

#include <QTest>

// The texts of a ListView's or a PrincipalList's items, in order.
template <class List> QStringList Texts(const List* view) {
    QStringList texts;
    for (int i = 1; i <= view->Count(); ++i)
        texts.append(view->Text(i));
    return texts;
}

namespace fixture {

inline const int kAllow = CatalogStore::StatusAllow;
inline const int kDeny = CatalogStore::StatusDeny;

using ::SignIn;

inline void AddProgram(TestContext& t, const QString& name, const QString& startIn = {},
                       const QString& parameters = {}, const QString& icon = {}) {
    QVERIFY(t.ctx.Catalog().AddProgram(name, name + " description", "/usr/bin/" + name.toLower(),
                                       icon, startIn, parameters));
}

inline void AddGroupRule(TestContext& t, const QString& group, const QString& program, int status) {
    if (!t.ctx.Catalog().GroupExists(group))
        QVERIFY(t.ctx.Catalog().AddGroup(group));
    QVERIFY(t.ctx.Catalog().AddPermission(group, status, program, CatalogStore::KindGroup));
}

inline void AddUserRule(TestContext& t, const QString& program, int status) {
    const QString user = t.ctx.gUserName.toString();
    if (!t.ctx.Catalog().UserExists(user))
        QVERIFY(t.ctx.Catalog().AddUser(user, t.ctx.gUserSid.toString()));
    QVERIFY(t.ctx.Catalog().AddPermission(user, status, program, CatalogStore::KindUser));
}

} // namespace fixture
