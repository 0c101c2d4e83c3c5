#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A throwaway OpenLDAP server on a free loopback port: its own configuration, an MDB database
// loaded from the LDIF given, stopped (and its files removed) when the object goes. The base
// is kBase; the administrator kAdminDn binds with kAdminPassword; anyone may read.
class SlapdServer {
public:
    static inline const QString kBase = QStringLiteral("dc=orvane,dc=test");
    static inline const QString kDomain = QStringLiteral("orvane.test");
    static inline const QString kAdminDn = QStringLiteral("cn=admin,dc=orvane,dc=test");
    static inline const QByteArray kAdminPassword = "orvane-secret";

    ~SlapdServer();
    // Loads `ldif` (entries below kBase; the base entry itself is added) and starts the
    // server. Returns false with the reason in `error` when slapd is missing or does not start.
    // With `tls`, the server also speaks StartTLS and LDAPS (TlsUri) with a certificate for
    // 127.0.0.1 signed by a throwaway CA (CaFile).
    bool Start(const QByteArray& ldif, QString& error, bool tls = false);
    // Before Start: the server closes connections idle for this long, as Active Directory
    // does after 15 minutes.
    void SetIdleTimeout(int seconds) { mIdleSeconds = seconds; }
    void Stop();
    QString Uri() const { return QStringLiteral("ldap://127.0.0.1:%1").arg(mPort); }
    QString TlsUri() const { return QStringLiteral("ldaps://127.0.0.1:%1").arg(mTlsPort); }
    QString CaFile() const { return mDir.filePath(QStringLiteral("ca.crt")); }

    // One LDIF record: "dn" first, then attribute/value pairs. Values that are not plain
    // ASCII are written base64-encoded, as LDIF asks.
    static QByteArray Record(const QString& dn, const QList<std::pair<QString, QString>>& values);

private:
    QTemporaryDir mDir;
    QProcess mSlapd;
    quint16 mPort = 0;
    quint16 mTlsPort = 0;
    int mIdleSeconds = 0;
};

// A free TCP port on the loopback interface.
quint16 FreeLoopbackPort();
