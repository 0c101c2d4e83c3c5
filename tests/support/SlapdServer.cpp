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

bool RunTool(const QString& program, const QStringList& arguments, const QString& dir,
             QString& output) {
    QProcess process;
    process.setWorkingDirectory(dir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ok = process.waitForFinished(60000) && process.exitCode() == 0;
    output = QString::fromLocal8Bit(process.readAll());
    return ok;
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
        if (!RunTool(QStringLiteral("openssl"), step, dir, output)) {
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
    QByteArray tlsConf;
    if (tls) {
        if (!MakeCertificates(dir, error))
            return false;
        tlsConf = "TLSCACertificateFile " + dir.toUtf8() +
                  "/ca.crt\n"
                  "TLSCertificateFile " +
                  dir.toUtf8() +
                  "/server.crt\n"
                  "TLSCertificateKeyFile " +
                  dir.toUtf8() + "/server.key\n";
    }
    const QByteArray conf =
        tlsConf +
        "include /etc/ldap/schema/core.schema\n"
        "include /etc/ldap/schema/cosine.schema\n"
        "include /etc/ldap/schema/inetorgperson.schema\n"
        "include /etc/ldap/schema/nis.schema\n"
        "include " +
        dir.toUtf8() +
        "/samba.schema\n"
        "pidfile " +
        dir.toUtf8() + "/slapd.pid\n" +
        (mIdleSeconds > 0 ? "idletimeout " + QByteArray::number(mIdleSeconds) + "\n"
                          : QByteArray()) +
        "modulepath /usr/lib/ldap\n"
        "moduleload back_mdb\n"
        // As Active Directory does: at most 1000 entries unless the search is paged.
        "sizelimit size.soft=1000 size.hard=1000 size.prtotal=unlimited\n"
        "database mdb\n"
        "maxsize 1073741824\n"
        "suffix \"" +
        kBase.toUtf8() +
        "\"\n"
        "rootdn \"" +
        kAdminDn.toUtf8() +
        "\"\n"
        "rootpw " +
        kAdminPassword +
        "\n"
        "directory " +
        dir.toUtf8() +
        "/data\n"
        "index objectClass,uid,cn,memberUid,member,uniqueMember,gidNumber eq\n";
    const QByteArray base = Record(kBase, {{"objectClass", "dcObject"},
                                           {"objectClass", "organization"},
                                           {"dc", "orvane"},
                                           {"o", "Orvane test"}});
    if (!WriteFile(dir + QStringLiteral("/slapd.conf"), conf) ||
        !WriteFile(dir + QStringLiteral("/samba.schema"), kSambaSchema) ||
        !WriteFile(dir + QStringLiteral("/data.ldif"), base + ldif)) {
        error = QStringLiteral("cannot write the server's files in %1").arg(dir);
        return false;
    }
    QProcess load;
    load.setProcessChannelMode(QProcess::MergedChannels);
    load.start(slapadd, {QStringLiteral("-q"), QStringLiteral("-f"), dir + "/slapd.conf",
                         QStringLiteral("-l"), dir + "/data.ldif"});
    if (!load.waitForFinished(120000) || load.exitCode() != 0) {
        error = QStringLiteral("slapadd failed: ") + QString::fromLocal8Bit(load.readAll());
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
