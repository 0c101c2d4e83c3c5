#include "mail/MailSender.h"

#include "mail/CurlLibrary.h"
#include "mail/MailSettings.h"

#include <QSysInfo>

namespace {

// The domain of Message-IDs: this machine's name when it can stand in one, else "localhost".
QString MessageIdDomain() {
    const QString host = QSysInfo::machineHostName();
    for (const QChar c : host)
        if (!c.isLetterOrNumber() || c.unicode() > 0x7e)
            if (c != u'.' && c != u'-')
                return QStringLiteral("localhost");
    return host.isEmpty() ? QStringLiteral("localhost") : host;
}

struct Upload {
    QByteArray data;
    qsizetype offset = 0;
    // What libcurl really sends and counts as uploaded: the data with its dots doubled.
    qsizetype sentTotal = 0;
    int percent = 1;
    std::atomic<bool>* abort = nullptr;
    MailSender* sender = nullptr;
    // The server's first refusal and the lines of the reply being read.
    QByteArray refusal;
    QByteArray pendingReply;
};

size_t ReadBody(char* buffer, size_t size, size_t count, void* user) {
    auto* upload = static_cast<Upload*>(user);
    const qsizetype length =
        std::min<qsizetype>(qsizetype(size * count), upload->data.size() - upload->offset);
    memcpy(buffer, upload->data.constData() + upload->offset, size_t(length));
    upload->offset += length;
    return size_t(length);
}

// libcurl's upload total is the size it was given, but the count it reports grows with the
// dot-stuffed bytes it writes: the share is taken of the stuffed size, so it ends at 100.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulNow) {
    auto* upload = static_cast<Upload*>(user);
    if (upload->abort->load())
        return 1;
    if (upload->sentTotal > 0) {
        const int percent = int(ulNow * 100 / upload->sentTotal);
        if (percent > upload->percent) {
            upload->percent = percent;
            QMetaObject::invokeMethod(
                upload->sender,
                [sender = upload->sender, percent] { emit sender->Progress(percent); },
                Qt::QueuedConnection);
        }
    }
    return 0;
}

// Keeps the server's first refusal (a 4xx or 5xx reply; "550-..." lines end with "550 ..."),
// to quote its own words: what follows it is only the goodbye.
int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    auto* upload = static_cast<Upload*>(user);
    if (type != CURLINFO_HEADER_IN || !upload->refusal.isEmpty())
        return 0;
    const QByteArray line = QByteArray(data, qsizetype(size)).trimmed();
    const bool more = line.size() > 3 && line.at(3) == '-';
    if (!upload->pendingReply.isEmpty())
        upload->pendingReply += ' ';
    upload->pendingReply += more ? line.mid(4) : line;
    if (more)
        return 0;
    if (line.startsWith('4') || line.startsWith('5'))
        upload->refusal = upload->pendingReply;
    upload->pendingReply.clear();
    return 0;
}

} // namespace

MailSender::MailSender(QObject* parent) : QObject(parent) {}

MailSender::~MailSender() {
    mAbort = true;
    if (mThread.joinable())
        mThread.join();
}

void MailSender::Fail(const QString& explanation) {
    QMetaObject::invokeMethod(
        this,
        [this, explanation] {
            if (mAbort)
                return;
            emit SendFailed(explanation);
            emit Finished();
        },
        Qt::QueuedConnection);
}

void MailSender::Send(RegistryStore& registry, MailMessage mail) {
    QString error;
    const auto settings = ReadMailSettings(registry, error);
    if (!settings)
        return Fail(error);
    mail.to = settings->supportAddress;
    if (const QString refused = RefusedHeaderText(mail); !refused.isEmpty())
        return Fail(refused + QStringLiteral(" Nothing was sent."));
    QString password;
    if (!settings->user.isEmpty()) {
        password = ReadMailPassword(settings->passwordFile, error);
        if (!error.isEmpty())
            return Fail(error);
    }
    const CurlLibrary* curl = CurlLibrary::Get(error);
    if (!curl)
        return Fail(error + QStringLiteral(" Nothing was sent."));
    const QByteArray message =
        ComposeMessage(mail, QDateTime::currentDateTime(), MessageIdDomain());
    mThread = std::thread(
        &MailSender::Transfer, this, curl, settings->Url().toUtf8(), int(settings->security),
        settings->timeoutSeconds, settings->user.toUtf8(), password.toUtf8(),
        (u'<' + mail.fromAddress + u'>').toUtf8(), (u'<' + mail.to + u'>').toUtf8(), message);
}

// Runs on the sender's own thread; speaks to the owner's thread only through queued calls.
void MailSender::Transfer(const CurlLibrary* api, QByteArray url, int security, int timeoutSeconds,
                          QByteArray user, QByteArray password, QByteArray from, QByteArray to,
                          QByteArray message) {
    Upload upload;
    upload.data = std::move(message);
    upload.sentTotal = DotStuffedSize(upload.data);
    upload.abort = &mAbort;
    upload.sender = this;
    char errorText[CURL_ERROR_SIZE] = {};

    CURL* curl = api->easy_init();
    curl_slist* recipients = api->slist_append(nullptr, to.constData());
    CURLcode result = curl && recipients ? CURLE_OK : CURLE_OUT_OF_MEMORY;
    if (result == CURLE_OK) {
        const long timeout = timeoutSeconds;
        api->easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
        api->easy_setopt(curl, CURLOPT_URL, url.constData());
        api->easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
        api->easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        api->easy_setopt(curl, CURLOPT_USE_SSL,
                         security == int(MailSettings::Security::None) ? long(CURLUSESSL_NONE)
                                                                       : long(CURLUSESSL_ALL));
        api->easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, timeout);
        api->easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeout);
        api->easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        api->easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, timeout);
        api->easy_setopt(curl, CURLOPT_TIMEOUT, 4 * timeout);
        if (!user.isEmpty()) {
            api->easy_setopt(curl, CURLOPT_USERNAME, user.constData());
            api->easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
        }
        api->easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
        api->easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
        api->easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        api->easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(upload.data.size()));
        api->easy_setopt(curl, CURLOPT_READFUNCTION, ReadBody);
        api->easy_setopt(curl, CURLOPT_READDATA, &upload);
        api->easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        api->easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
        api->easy_setopt(curl, CURLOPT_XFERINFODATA, &upload);
        api->easy_setopt(curl, CURLOPT_VERBOSE, 1L);
        api->easy_setopt(curl, CURLOPT_DEBUGFUNCTION, OnDebug);
        api->easy_setopt(curl, CURLOPT_DEBUGDATA, &upload);
        result = api->easy_perform(curl);
    }
    api->slist_free_all(recipients);
    api->easy_cleanup(curl);
    // Overwrite the password's copy before its memory goes back.
    password.fill('\0');

    if (mAbort)
        return; // nobody listens any more
    // A server that refused speaks for itself; libcurl's summary of the same refusal ("Login
    // denied", "Weird server reply") would only blur its words.
    QString explanation;
    if (result != CURLE_OK && !upload.refusal.isEmpty())
        explanation = QString::fromUtf8(upload.refusal);
    else if (result != CURLE_OK)
        explanation =
            QStringLiteral("Sending through %1 failed: %2")
                .arg(QString::fromUtf8(url),
                     QString::fromUtf8(*errorText ? errorText : api->easy_strerror(result)));
    QMetaObject::invokeMethod(
        this,
        [this, ok = result == CURLE_OK, explanation] {
            if (mAbort)
                return;
            if (ok)
                emit SendSuccesful();
            else
                emit SendFailed(explanation);
            emit Finished();
        },
        Qt::QueuedConnection);
}
