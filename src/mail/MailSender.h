#pragma once

#include "mail/MailMessage.h"

#include <QObject>
#include <atomic>
#include <thread>

class RegistryStore;
struct CurlLibrary;

// Sends one mail through libcurl's SMTP on a thread of its own, so the window that started it
// keeps repainting and answering. Its signals arrive on the thread that owns the sender:
// Progress any number of times, then SendFailed or SendSuccesful, then Finished. A sender
// serves one send; destroying it stops a send still running and waits for its thread.
class MailSender : public QObject {
    Q_OBJECT
public:
    explicit MailSender(QObject* parent = nullptr);
    ~MailSender() override;

    // Reads the mail settings, addresses `mail` to the support address and starts sending it;
    // returns at once. Settings that are missing or wrong and text that cannot go into a
    // header are reported through SendFailed without contacting the server.
    void Send(RegistryStore& registry, MailMessage mail);
    // Stops a send in progress without a word: no more signals come.
    void Abort() { mAbort = true; }

Q_SIGNALS:
    void Progress(int percent);
    void SendFailed(const QString& explanation);
    void SendSuccesful();
    void Finished();

private:
    void Fail(const QString& explanation);
    void Transfer(const CurlLibrary* api, QByteArray url, int security, int timeoutSeconds,
                  QByteArray user, QByteArray password, QByteArray from, QByteArray to,
                  QByteArray message);

    std::thread mThread;
    std::atomic<bool> mAbort{false};
};
