#pragma once

#include "directory/LdapSettings.h"

#include <QByteArray>
#include <QList>
#include <QString>

typedef struct ldap LDAP;

// One bound connection to a domain's directory server through OpenLDAP's libldap: the first
// reachable server of the settings, TLS with certificate checks unless turned off, referrals
// not chased, every wait bounded by the settings' timeout. A failure throws OrvError naming
// the server and the domain. A connection found dropped (an idle timeout, a restarted server)
// is opened again once within the same call.
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
    // One search on the open connection into `entries`: LDAP_SUCCESS, or the code of a lost
    // connection or a timeout (other failures throw).
    int SearchOnce(const QString& base, Scope scope, const QByteArray& filter,
                   const QStringList& attributes, QList<Entry>& entries);
    void Connect();
    void Disconnect();
    // Binds as the settings say; returns libldap's result code.
    int Bind(LDAP* ld) const;
    QByteArray BindPassword() const;
    QStringList Uris() const;
    // A session to `uri` with the settings' options, certificates checked as
    // `requireCertificate` says; null when the address is not valid.
    LDAP* Open(const QString& uri, int requireCertificate) const;
    bool UsesTls(const QString& uri) const;
    // TLS as the address and the settings say (LDAPS connects, StartTLS asks for it).
    int StartSession(LDAP* ld, const QString& uri) const;
    // Why the server at `uri` failed the certificate check, or empty when it did not.
    QString CertificateProblemAt(const QString& uri) const;
    // `advice` empty: check the server and the directory settings.
    [[noreturn]] void Fail(const QString& what, int code, const QString& server,
                           const QString& advice = {}) const;

    LdapSettings mSettings;
    LDAP* mLd = nullptr;
    QString mServer;
};
