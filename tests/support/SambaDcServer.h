#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A throwaway Samba Active Directory domain controller: a domain provisioned into a temporary
// folder and its LDAP service started on a loopback address of its own (127.0.0.x, port 389,
// which Samba cannot move), so that it runs beside anything else on the machine. Needs root
// (the address and the port); stopped, and the address removed, when the object goes.
class SambaDcServer {
public:
    static inline const QString kDomain = QStringLiteral("orvane.ad");
    static inline const QString kBase = QStringLiteral("DC=orvane,DC=ad");
    static inline const QString kUsers = QStringLiteral("CN=Users,DC=orvane,DC=ad");
    static inline const QString kAdminDn =
        QStringLiteral("CN=Administrator,CN=Users,DC=orvane,DC=ad");
    static inline const QByteArray kAdminPassword = "Orvane-Pass1!";

    ~SambaDcServer();
    bool Start(QString& error);
    // Adds the entries of `ldif` as the domain's administrator.
    bool Add(const QByteArray& ldif, QString& error);
    void Stop();
    QString Uri() const { return QStringLiteral("ldap://") + mAddress; }
    // A file holding the administrator's password, for a simple bind.
    QString PasswordFile() const { return mDir.filePath(QStringLiteral("admin-password")); }

private:
    QTemporaryDir mDir;
    QProcess mSamba;
    QString mAddress;
    bool mAddressAdded = false;
};
