#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// The loopback SMTP server of scripts/smtp-test-server, run by Debian's own Python for as long
// as the object lives. Recipients in `refused` get a 550 reply; a message to one in
// `refusedAfterData` is refused with a 554 reply once its data is in. `user` and `password`,
// when given, are the only login it accepts.
class SmtpTestServer {
public:
    explicit SmtpTestServer(const QStringList& refused = {}, const QString& user = {},
                            const QString& password = {}, const QStringList& refusedAfterData = {});
    ~SmtpTestServer();

    // Empty when the server is listening, else why it is not.
    QString Error() const { return mError; }
    quint16 Port() const { return mPort; }

    // Every line the server has reported so far ("CONNECT", "MESSAGE <file>", ...).
    QStringList Events();
    int Connections();
    // The next message that arrives within `timeoutMs`, as the server saved it, with its raw
    // bytes decoded into "raw"; an empty object when none comes.
    QJsonObject NextMessage(int timeoutMs = 10000);

private:
    QTemporaryDir mFolder;
    QProcess mProcess;
    QStringList mEvents;
    int mMessagesRead = 0;
    quint16 mPort = 0;
    QString mError;
};
