#include "support/SambaDcServer.h"

#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QThread>
#include <unistd.h>

namespace {

bool Listens(const QString& address, quint16 port) {
    QTcpSocket probe;
    probe.connectToHost(address, port);
    return probe.waitForConnected(200);
}

} // namespace

SambaDcServer::~SambaDcServer() {
    Stop();
}

void SambaDcServer::Stop() {
    if (mSamba.state() != QProcess::NotRunning) {
        mSamba.terminate();
        if (!mSamba.waitForFinished(10000)) {
            mSamba.kill();
            mSamba.waitForFinished(5000);
        }
    }
    if (mAddressAdded) {
        QString ignored;
        RunProgram(QStringLiteral("ip"), {"addr", "del", mAddress + "/32", "dev", "lo"}, ignored);
        mAddressAdded = false;
    }
}

bool SambaDcServer::Start(QString& error) {
    if (geteuid() != 0) {
        error = QStringLiteral("the Samba domain controller needs root (port 389 and a loopback "
                               "address of its own)");
        return false;
    }
    if (!QFile::exists(QStringLiteral("/usr/sbin/samba"))) {
        error = QStringLiteral("samba is not installed (Debian packages samba and samba-ad-dc; "
                               "scripts/bootstrap installs them)");
        return false;
    }
    QString output;
    // A loopback address that nothing listens on yet.
    for (int attempt = 0; attempt < 20 && mAddress.isEmpty(); ++attempt) {
        const QString candidate = QStringLiteral("127.0.%1.%2")
                                      .arg(QRandomGenerator::global()->bounded(1, 250))
                                      .arg(QRandomGenerator::global()->bounded(2, 250));
        if (!Listens(candidate, 389))
            mAddress = candidate;
    }
    if (!RunProgram(QStringLiteral("ip"), {"addr", "add", mAddress + "/32", "dev", "lo"}, output)) {
        error = QStringLiteral("cannot add the address %1 to lo: %2").arg(mAddress, output);
        return false;
    }
    mAddressAdded = true;

    const QString dir = mDir.path();
    if (!RunProgram(QStringLiteral("samba-tool"),
                    {"domain", "provision", "--realm=ORVANE.AD", "--domain=ORVANE",
                     "--server-role=dc", "--dns-backend=NONE", "--use-rfc2307",
                     "--adminpass=" + kAdminPassword, "--targetdir=" + dir, "--host-name=orvanedc",
                     "--option=interfaces=" + mAddress, "--option=bind interfaces only=yes"},
                    output)) {
        error = QStringLiteral("samba-tool domain provision failed: ") + output.right(2000);
        return false;
    }
    // Only the LDAP service, simple binds without TLS (test set-up only), files kept here.
    const QString conf = dir + QStringLiteral("/etc/smb.conf");
    QByteArray text = ReadAll(conf);
    if (text.isEmpty()) {
        error = QStringLiteral("no smb.conf after provisioning in %1").arg(dir);
        return false;
    }
    text.replace("[global]\n",
                 QStringLiteral("[global]\n\tserver services = ldap\n"
                                "\tldap server require strong auth = no\n"
                                "\tpid directory = %1/run\n\tlog file = %1/samba.log\n")
                     .arg(dir)
                     .toUtf8());
    if (!QFile::remove(conf) || !WriteFile(conf, text) ||
        !WriteFile(PasswordFile(), kAdminPassword)) {
        error = QStringLiteral("cannot write the server's files in %1").arg(dir);
        return false;
    }

    mSamba.setProcessChannelMode(QProcess::MergedChannels);
    mSamba.start(QStringLiteral("samba"), {"-i", "-M", "single", "-s", conf});
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000) {
        if (mSamba.state() == QProcess::NotRunning) {
            error = QStringLiteral("samba ended at start: ") +
                    QString::fromLocal8Bit(mSamba.readAll()).right(2000);
            return false;
        }
        if (Listens(mAddress, 389))
            return true;
        QThread::msleep(100);
    }
    error = QStringLiteral("samba did not listen on %1 within 60 s").arg(Uri());
    return false;
}

bool SambaDcServer::Add(const QByteArray& ldif, QString& error) {
    const QString file = mDir.filePath(QStringLiteral("add.ldif"));
    if (!WriteFile(file, ldif)) {
        error = QStringLiteral("cannot write %1").arg(file);
        return false;
    }
    QString output;
    if (!RunProgram(QStringLiteral("ldapadd"),
                    {"-x", "-H", Uri(), "-D", kAdminDn, "-y", PasswordFile(), "-f", file},
                    output)) {
        error = QStringLiteral("ldapadd failed: ") + output.right(2000);
        return false;
    }
    return true;
}
