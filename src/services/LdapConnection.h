#pragma once

#include "services/LdapSettings.h"

#include <QByteArray>
#include <QList>
#include <QString>

typedef struct ldap LDAP;

// One bound connection to a domain's directory server through OpenLDAP's libldap: the first
// reachable server of the settings, TLS with certificate checks unless turned off, referrals
// not chased, every wait bounded by the settings' timeout. A failure throws OrvError naming
// the server and the domain; the next call after a lost connection connects again.
class LdapConnection {
public:
    struct Entry {
        QString dn;
        // The few attributes a search asks for, names as the server spells them.
        QList<std::pair<QByteArray, QList<QByteArray>>> attributes;
        QList<QByteArray> Values(const QString& name) const;
        QString First(const QString& name) const;
    };
    enum Scope { Base = 0, Subtree = 2 };

    explicit LdapConnection(LdapSettings settings);
    ~LdapConnection();
    LdapConnection(const LdapConnection&) = delete;
    LdapConnection& operator=(const LdapConnection&) = delete;

    // Every entry that matches, in pages of 1000 for subtree searches (as Active Directory
    // allows); search references are left out.
    QList<Entry> Search(const QString& base, Scope scope, const QByteArray& filter,
                        const QStringList& attributes);
    const LdapSettings& Settings() const { return mSettings; }
    // The server connected to, or the servers that were tried.
    QString Server() const;

private:
    void Connect();
    void Disconnect();
    // Binds as the settings say; returns libldap's result code.
    int Bind(LDAP* ld) const;
    QByteArray BindPassword() const;
    QStringList Uris() const;
    [[noreturn]] void Fail(const QString& what, int code, const QString& server) const;

    LdapSettings mSettings;
    LDAP* mLd = nullptr;
    QString mServer;
};
