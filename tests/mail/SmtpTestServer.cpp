#include "SmtpTestServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTest>

SmtpTestServer::SmtpTestServer(const QStringList& refused, const QString& user,
                               const QString& password, const QStringList& refusedAfterData) {
    QStringList arguments{qEnvironmentVariable("ORV_SOURCE_DIR") +
                              QStringLiteral("/scripts/smtp-test-server"),
                          mFolder.path()};
    for (const QString& address : refused)
        arguments << QStringLiteral("--refuse") << address;
    for (const QString& address : refusedAfterData)
        arguments << QStringLiteral("--refuse-after-data") << address;
    if (!user.isEmpty())
        arguments << QStringLiteral("--user") << user << QStringLiteral("--password") << password;
    // Debian's Python has python3-aiosmtpd; another python3 may come first on PATH.
    mProcess.start(QStringLiteral("/usr/bin/python3"), arguments);
    const QDeadlineTimer deadline(15000);
    while (mPort == 0 && !deadline.hasExpired() && mProcess.state() != QProcess::NotRunning) {
        mProcess.waitForReadyRead(100);
        for (const QString& line : Events())
            if (line.startsWith(QLatin1String("PORT ")))
                mPort = quint16(line.mid(5).toUInt());
    }
    if (mPort == 0)
        mError = QStringLiteral("the test SMTP server did not start: %1 %2")
                     .arg(mProcess.errorString(),
                          QString::fromLocal8Bit(mProcess.readAllStandardError()));
}

SmtpTestServer::~SmtpTestServer() {
    mProcess.closeWriteChannel(); // the server ends when its input closes
    if (!mProcess.waitForFinished(5000)) {
        mProcess.kill();
        mProcess.waitForFinished(5000);
    }
}

QStringList SmtpTestServer::Events() {
    while (mProcess.canReadLine())
        mEvents.append(QString::fromUtf8(mProcess.readLine()).trimmed());
    return mEvents;
}

int SmtpTestServer::Connections() {
    QCoreApplication::processEvents();
    mProcess.waitForReadyRead(50);
    return int(Events().count(QStringLiteral("CONNECT")));
}

QJsonObject SmtpTestServer::NextMessage(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QStringList files;
        for (const QString& line : Events())
            if (line.startsWith(QLatin1String("MESSAGE ")))
                files.append(line.mid(8));
        if (files.size() > mMessagesRead) {
            QFile file(files.at(mMessagesRead++));
            if (!file.open(QIODevice::ReadOnly))
                return {};
            QJsonObject message = QJsonDocument::fromJson(file.readAll()).object();
            message.insert(QStringLiteral("raw"),
                           QString::fromLatin1(QByteArray::fromBase64(
                               message.value(QStringLiteral("data")).toString().toLatin1())));
            return message;
        }
        // The window's own events (the mail's signals) go on while the test waits.
        QTest::qWait(20);
        mProcess.waitForReadyRead(10);
    }
    return {};
}
