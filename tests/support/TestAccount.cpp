#include "support/TestAccount.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <pwd.h>
#include <unistd.h>

bool RunningAsRoot() {
    return geteuid() == 0;
}

bool RunAsTestAccount(QString& output) {
    const passwd* account = getpwnam(kTestAccount);
    if (account == nullptr) {
        output = QStringLiteral("The unprivileged test account %1 does not exist: scripts/test "
                                "creates it (useradd --system %1).")
                     .arg(QString::fromLatin1(kTestAccount));
        return false;
    }
    // The build tree may sit where the account cannot reach it: run a copy from a folder it
    // can read.
    QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("test"));
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                             QFile::ReadOther | QFile::ExeOther);
    if (!QFile::copy(QCoreApplication::applicationFilePath(), copy)) {
        output = QStringLiteral("Cannot copy the test executable to %1").arg(copy);
        return false;
    }
    QString function = QString::fromLatin1(QTest::currentTestFunction());
    if (const char* tag = QTest::currentDataTag())
        function += u':' + QString::fromLatin1(tag);

    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setWorkingDirectory(QStringLiteral("/"));
    child.start(QStringLiteral("runuser"), {QStringLiteral("-u"), QString::fromLatin1(kTestAccount),
                                            QStringLiteral("--"), copy, function});
    const bool finished = child.waitForFinished(120000);
    output = QString::fromLocal8Bit(child.readAll());
    if (!finished) {
        child.kill();
        output += QStringLiteral("\n(no answer within two minutes)");
        return false;
    }
    output.prepend(QStringLiteral("As %1:\n").arg(QString::fromLatin1(kTestAccount)));
    return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}
