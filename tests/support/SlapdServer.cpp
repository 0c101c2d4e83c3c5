#include "support/SlapdServer.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace {

// sambaSID as Samba's schema defines it, without the rest of that schema.
const char* const kSambaSchema =
    "attributetype ( 1.3.6.1.4.1.7165.2.1.20 NAME 'sambaSID' DESC 'Security ID'\n"
    "  EQUALITY caseIgnoreIA5Match SUBSTR caseExactIA5SubstringsMatch\n"
    "  SYNTAX 1.3.6.1.4.1.1466.115.121.1.26{64} SINGLE-VALUE )\n"
    "objectclass ( 1.3.6.1.4.1.7165.2.2.6 NAME 'sambaSamAccount' SUP top AUXILIARY\n"
    "  MUST ( uid $ sambaSID ) )\n";

bool PlainAscii(const QByteArray& value) {
    if (value.isEmpty())
        return true;
    if (value.front() == ' ' || value.front() == ':' || value.front() == '<' || value.back() == ' ')
        return false;
    for (const char c : value)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e)
            return false;
    return true;
}

QByteArray Line(const QString& name, const QString& value) {
    const QByteArray bytes = value.toUtf8();
    if (PlainAscii(bytes))
        return name.toUtf8() + ": " + bytes + '\n';
    return name.toUtf8() + ":: " + bytes.toBase64() + '\n';
}

// A CA and a server certificate for 127.0.0.1 that it signed.
bool MakeCertificates(const QString& dir, QString& error) {
    const QString ext = dir + QStringLiteral("/san.ext");
    QFile san(ext);
    if (!san.open(QIODevice::WriteOnly) || san.write("subjectAltName=IP:127.0.0.1\n") < 0)
        return false;
    san.close();
    const QList<QStringList> steps{
        {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.crt",
         "-days", "2", "-subj", "/CN=Orvane test CA"},
        {"req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out", "server.csr",
         "-subj", "/CN=127.0.0.1"},
        {"x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
         "-CAcreateserial", "-out", "server.crt", "-days", "2", "-extfile", ext}};
    for (const QStringList& step : steps) {
        QString output;
        if (!RunProgram(QStringLiteral("openssl"), step, output, dir, 60000)) {
            error = QStringLiteral("openssl %1 failed: %2").arg(step.first(), output);
            return false;
        }
    }
    return true;
}

} // namespace

quint16 FreeLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QByteArray SlapdServer::Record(const QString& dn,
                               const QList<std::pair<QString, QString>>& values) {
    QByteArray record = Line(QStringLiteral("dn"), dn);
    for (const auto& [name, value] : values)
        record += Line(name, value);
    return record + '\n';
}

SlapdServer::~SlapdServer() {
    Stop();
}

void SlapdServer::Stop() {
    if (mSlapd.state() == QProcess::NotRunning)
        return;
    mSlapd.terminate();
    if (!mSlapd.waitForFinished(5000)) {
        mSlapd.kill();
        mSlapd.waitForFinished(5000);
    }
}

bool SlapdServer::Start(const QByteArray& ldif, QString& error, bool tls) {
    const QString slapd = QStringLiteral("/usr/sbin/slapd");
    const QString slapadd = QStringLiteral("/usr/sbin/slapadd");
    if (!QFile::exists(slapd) || !QFile::exists(slapadd)) {
        error = QStringLiteral("slapd is not installed (Debian packages slapd and ldap-utils; "
                               "scripts/bootstrap installs them)");
        return false;
    }
    const QString dir = mDir.path();
    QDir().mkpath(dir + QStringLiteral("/data"));
    QString conf;
    if (tls) {
        if (!MakeCertificates(dir, error))
            return false;
        conf = QStringLiteral("TLSCACertificateFile %1/ca.crt\nTLSCertificateFile %1/server.crt\n"
                              "TLSCertificateKeyFile %1/server.key\n")
                   .arg(dir);
    }
    if (mIdleSeconds > 0)
        conf += QStringLiteral("idletimeout %1\n").arg(mIdleSeconds);
    // As Active Directory does: at most 1000 entries unless the search is paged.
    conf += QStringLiteral(R"(include /etc/ldap/schema/core.schema
include /etc/ldap/schema/cosine.schema
include /etc/ldap/schema/inetorgperson.schema
include /etc/ldap/schema/nis.schema
include %1/samba.schema
pidfile %1/slapd.pid
modulepath /usr/lib/ldap
moduleload back_mdb
sizelimit size.soft=1000 size.hard=1000 size.prtotal=unlimited
database mdb
maxsize 1073741824
suffix "%2"
rootdn "%3"
rootpw %4
directory %1/data
index objectClass,uid,cn,memberUid,member,uniqueMember,gidNumber eq
)")
                .arg(dir, kBase, kAdminDn, QString::fromUtf8(kAdminPassword));
    const QByteArray base = Record(kBase, {{"objectClass", "dcObject"},
                                           {"objectClass", "organization"},
                                           {"dc", "orvane"},
                                           {"o", "Orvane test"}});
    if (!WriteFile(dir + QStringLiteral("/slapd.conf"), conf.toUtf8()) ||
        !WriteFile(dir + QStringLiteral("/samba.schema"), kSambaSchema) ||
        !WriteFile(dir + QStringLiteral("/data.ldif"), base + ldif)) {
        error = QStringLiteral("cannot write the server's files in %1").arg(dir);
        return false;
    }
    QString output;
    if (!RunProgram(slapadd, {"-q", "-f", dir + "/slapd.conf", "-l", dir + "/data.ldif"}, output)) {
        error = QStringLiteral("slapadd failed: ") + output;
        return false;
    }
    mPort = FreeLoopbackPort();
    QString listen = Uri() + u'/';
    if (tls) {
        mTlsPort = FreeLoopbackPort();
        listen += u' ' + TlsUri() + u'/';
    }
    mSlapd.setProcessChannelMode(QProcess::MergedChannels);
    mSlapd.start(slapd, {QStringLiteral("-d"), QStringLiteral("0"), QStringLiteral("-f"),
                         dir + "/slapd.conf", QStringLiteral("-h"), listen});
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 15000) {
        if (mSlapd.state() == QProcess::NotRunning) {
            error =
                QStringLiteral("slapd ended at start: ") + QString::fromLocal8Bit(mSlapd.readAll());
            return false;
        }
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, mPort);
        if (probe.waitForConnected(200))
            return true;
        QThread::msleep(50);
    }
    error = QStringLiteral("slapd did not listen on %1 within 15 s").arg(Uri());
    Stop();
    return false;
}
