#include "directory/LdapConnection.h"

#include "directory/LdapCertificate.h"
#include "directory/LdapLibrary.h"
#include "platform/OrvError.h"
#include "platform/SmallFile.h"

#include <QFile>
#include <QUrl>
#include <memory>
#include <sys/time.h>

namespace {

const QString kSource = QStringLiteral("DirectoryService");
constexpr int kPageSize = 1000;

// The client library, or the reason it cannot be used, as a directory failure.
const LdapLibrary& Api() {
    QString error;
    if (const LdapLibrary* api = LdapLibrary::Get(error))
        return *api;
    throw OrvError(1722, error, kSource);
}

QString ErrorText(int code) {
    return QString::fromUtf8(Api().ldap_err2string(code));
}

// Frees what libldap allocated when the scope ends.
struct MessageGuard {
    LDAPMessage* message = nullptr;
    ~MessageGuard() {
        if (message)
            Api().ldap_msgfree(message);
    }
};
// What the library or the server said about the last failure, e.g. why a certificate was
// not accepted.
QString Diagnostic(LDAP* ld) {
    char* message = nullptr;
    if (Api().ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &message) != LDAP_OPT_SUCCESS ||
        message == nullptr)
        return {};
    const QString text = QString::fromUtf8(message);
    Api().ldap_memfree(message);
    return text;
}

struct Unbind {
    void operator()(LDAP* ld) const { Api().ldap_unbind_ext_s(ld, nullptr, nullptr); }
};
using Handle = std::unique_ptr<LDAP, Unbind>;

struct ControlGuard {
    LDAPControl* control = nullptr;
    LDAPControl** controls = nullptr;
    ~ControlGuard() {
        if (control)
            Api().ldap_control_free(control);
        if (controls)
            Api().ldap_controls_free(controls);
    }
};

LdapConnection::Entry ReadEntry(LDAP* ld, LDAPMessage* message) {
    LdapConnection::Entry entry;
    if (char* dn = Api().ldap_get_dn(ld, message)) {
        entry.dn = QString::fromUtf8(dn);
        Api().ldap_memfree(dn);
    }
    BerElement* ber = nullptr;
    for (char* name = Api().ldap_first_attribute(ld, message, &ber); name != nullptr;
         name = Api().ldap_next_attribute(ld, message, ber)) {
        entry.attributes.append({QByteArray(name), {}});
        QList<QByteArray>& values = entry.attributes.back().second;
        if (berval** raw = Api().ldap_get_values_len(ld, message, name)) {
            for (berval** v = raw; *v != nullptr; ++v)
                values.append(QByteArray((*v)->bv_val, static_cast<qsizetype>((*v)->bv_len)));
            Api().ldap_value_free_len(raw);
        }
        Api().ldap_memfree(name);
    }
    if (ber)
        Api().ber_free(ber, 0);
    return entry;
}

} // namespace

QList<QByteArray> LdapConnection::Entry::Values(const QString& name) const {
    // Attribute names compare without letter case; entries hold a handful of them.
    const QByteArray wanted = name.toLatin1();
    for (const auto& [attribute, values] : attributes)
        if (qstricmp(attribute.constData(), wanted.constData()) == 0)
            return values;
    return {};
}

QString LdapConnection::Entry::First(const QString& name) const {
    const QList<QByteArray> values = Values(name);
    return values.isEmpty() ? QString() : QString::fromUtf8(values.first());
}

LdapConnection::LdapConnection(LdapSettings settings) : mSettings(std::move(settings)) {}

LdapConnection::~LdapConnection() {
    Disconnect();
}

void LdapConnection::Disconnect() {
    if (mLd)
        Api().ldap_unbind_ext_s(mLd, nullptr, nullptr);
    mLd = nullptr;
}

QString LdapConnection::Server() const {
    return mServer.isEmpty() ? Uris().join(u' ') : mServer;
}

QStringList LdapConnection::Uris() const {
    if (!mSettings.uris.isEmpty())
        return mSettings.uris;
    // The domain's servers from DNS (_ldap._tcp.<domain>).
    char* hosts = nullptr;
    QStringList uris;
    const QByteArray domain = mSettings.domain.toUtf8();
    if (Api().ldap_domain2hostlist(domain.constData(), &hosts) == LDAP_SUCCESS && hosts) {
        for (const QString& host : QString::fromUtf8(hosts).split(u' ', Qt::SkipEmptyParts))
            uris.append(QStringLiteral("ldap://") + host);
        Api().ldap_memfree(hosts);
    }
    return uris;
}

void LdapConnection::Fail(const QString& what, int code, const QString& server,
                          const QString& advice) const {
    throw OrvError(
        1722,
        QStringLiteral("The directory of the domain \"%1\" at %2 %3: %4. %5")
            .arg(mSettings.domain,
                 server.isEmpty() ? QStringLiteral("(no server found in DNS)") : server, what,
                 code == 0 ? QStringLiteral("no server") : ErrorText(code),
                 advice.isEmpty()
                     ? QStringLiteral("Check that the server is running and reachable, and the "
                                      "directory settings (LdapUri, LdapBindDn, LdapPasswordFile, "
                                      "LdapTls) in %1.")
                           .arg(mSettings.settingsFile)
                     : advice),
        kSource);
}

bool LdapConnection::UsesTls(const QString& uri) const {
    return uri.startsWith(QLatin1String("ldaps://"), Qt::CaseInsensitive) || mSettings.startTls;
}

LDAP* LdapConnection::Open(const QString& uri, int requireCertificate) const {
    LDAP* ld = nullptr;
    if (Api().ldap_initialize(&ld, uri.toUtf8().constData()) != LDAP_SUCCESS)
        return nullptr;
    const int version = LDAP_VERSION3;
    timeval timeout{mSettings.timeoutSeconds, 0};
    Api().ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    Api().ldap_set_option(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    Api().ldap_set_option(ld, LDAP_OPT_NETWORK_TIMEOUT, &timeout);
    Api().ldap_set_option(ld, LDAP_OPT_TIMEOUT, &timeout);
    if (UsesTls(uri)) {
        const int server = 0;
        Api().ldap_set_option(ld, LDAP_OPT_X_TLS_REQUIRE_CERT, &requireCertificate);
        if (!mSettings.caFile.isEmpty())
            Api().ldap_set_option(ld, LDAP_OPT_X_TLS_CACERTFILE,
                                  QFile::encodeName(mSettings.caFile).constData());
        Api().ldap_set_option(ld, LDAP_OPT_X_TLS_NEWCTX, &server);
    }
    return ld;
}

int LdapConnection::StartSession(LDAP* ld, const QString& uri) const {
    if (uri.startsWith(QLatin1String("ldaps://"), Qt::CaseInsensitive))
        return Api().ldap_connect(ld);
    return mSettings.startTls ? Api().ldap_start_tls_s(ld, nullptr, nullptr) : LDAP_SUCCESS;
}

QString LdapConnection::CertificateProblemAt(const QString& uri) const {
    // A second session that takes any certificate, only to read the server's and say what is
    // wrong with it: it ends before a bind, so nothing but the TLS handshake crosses it.
    const Handle ld(Open(uri, LDAP_OPT_X_TLS_ALLOW));
    if (!ld || StartSession(ld.get(), uri) != LDAP_SUCCESS)
        return {};
    berval der{0, nullptr};
    if (Api().ldap_get_option(ld.get(), LDAP_OPT_X_TLS_PEERCERT, &der) != LDAP_OPT_SUCCESS)
        return {};
    const QByteArray bytes(der.bv_val, static_cast<qsizetype>(der.bv_len));
    Api().ber_memfree(der.bv_val);
    return CertificateProblem(bytes, mSettings.caFile, QUrl(uri).host());
}

void LdapConnection::Connect() {
    if (mLd)
        return;
    const QStringList uris = Uris();
    if (uris.isEmpty())
        Fail(QStringLiteral("cannot be found"), 0, {});

    int lastCode = LDAP_SERVER_DOWN;
    QString lastServer;
    QString lastWhat = QStringLiteral("cannot be reached");
    QString lastAdvice;
    for (const QString& uri : uris) {
        lastServer = uri;
        lastAdvice.clear();
        // The server's certificate is always checked, against the given CAs if any.
        Handle handle(Open(uri, LDAP_OPT_X_TLS_DEMAND)); // unbound on every way out
        LDAP* ld = handle.get();
        if (!ld) {
            lastCode = LDAP_PARAM_ERROR;
            lastWhat = QStringLiteral("is not a valid server address");
            continue;
        }
        int rc = StartSession(ld, uri);
        if (rc == LDAP_SUCCESS) {
            rc = Bind(ld);
            if (rc != LDAP_SUCCESS)
                lastWhat = rc == LDAP_INVALID_CREDENTIALS ? QStringLiteral("refused the bind")
                                                          : QStringLiteral("cannot be bound to");
        }
        if (rc == LDAP_SUCCESS) {
            mLd = handle.release();
            mServer = uri;
            return;
        }
        lastCode = rc;
        QString certificate;
        if (UsesTls(uri) && (rc == LDAP_SERVER_DOWN || rc == LDAP_CONNECT_ERROR))
            certificate = CertificateProblemAt(uri);
        if (!certificate.isEmpty()) {
            lastWhat = QStringLiteral("presented a certificate that was not accepted (%1); "
                                      "nothing was sent to it")
                           .arg(certificate);
            lastAdvice =
                QStringLiteral("Name the CA that signed the server's certificate in the setting "
                               "LdapCaFile of %1 (now %2), or have the server's certificate "
                               "renewed for the name %3.")
                    .arg(mSettings.settingsFile,
                         mSettings.caFile.isEmpty() ? QStringLiteral("the system's CAs")
                                                    : mSettings.caFile,
                         QUrl(uri).host());
            continue;
        }
        if (rc == LDAP_SERVER_DOWN || rc == LDAP_TIMEOUT || rc == LDAP_CONNECT_ERROR)
            lastWhat = rc == LDAP_TIMEOUT ? QStringLiteral("did not answer in time")
                                          : QStringLiteral("cannot be reached");
        if (const QString diagnostic = Diagnostic(ld); !diagnostic.isEmpty())
            lastWhat += QStringLiteral(" (%1)").arg(diagnostic);
        // A refused bind is the same everywhere: do not try the other servers with it.
        if (rc == LDAP_INVALID_CREDENTIALS)
            break;
    }
    Fail(lastWhat, lastCode, lastServer, lastAdvice);
}

QByteArray LdapConnection::BindPassword() const {
    const SmallFile::Read read = mSettings.passwordFile.isEmpty()
                                     ? SmallFile::Read{}
                                     : SmallFile::ReadFile(mSettings.passwordFile, 64 * 1024);
    if (!read.Ok())
        throw OrvError(
            1722,
            QStringLiteral("The password for binding to the directory of the domain \"%1\" "
                           "as %2 cannot be read from \"%3\"%4. Name a readable file in the "
                           "setting LdapPasswordFile of %5, or use LdapSasl=GSSAPI with a "
                           "Kerberos ticket.")
                .arg(mSettings.domain, mSettings.bindDn, mSettings.passwordFile,
                     read.problem.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(read.problem),
                     mSettings.settingsFile),
            kSource);
    return SmallFile::FirstLine(read.bytes);
}

namespace {
// SASL mechanisms such as GSSAPI take what they need from the Kerberos ticket; nothing is
// asked interactively.
int NoInteraction(LDAP*, unsigned, void*, void*) {
    return LDAP_SUCCESS;
}
} // namespace

int LdapConnection::Bind(LDAP* ld) const {
    if (!mSettings.bindDn.isEmpty()) {
        QByteArray password = BindPassword();
        berval credentials{static_cast<ber_len_t>(password.size()), password.data()};
        const int rc =
            Api().ldap_sasl_bind_s(ld, mSettings.bindDn.toUtf8().constData(), LDAP_SASL_SIMPLE,
                                   &credentials, nullptr, nullptr, nullptr);
        password.fill('\0');
        return rc;
    }
    if (!mSettings.saslMechanism.isEmpty())
        return Api().ldap_sasl_interactive_bind_s(
            ld, nullptr, mSettings.saslMechanism.toUtf8().constData(), nullptr, nullptr,
            LDAP_SASL_QUIET, NoInteraction, nullptr);
    berval none{0, nullptr};
    return Api().ldap_sasl_bind_s(ld, "", LDAP_SASL_SIMPLE, &none, nullptr, nullptr, nullptr);
}

QList<LdapConnection::Entry> LdapConnection::Search(const QString& base, Scope scope,
                                                    const QByteArray& filter,
                                                    const QStringList& attributes) {
    // A connection kept from an earlier call may have been dropped meanwhile (an idle timeout,
    // a restarted server): it is opened again once and the search asked again. Searches only
    // read, so asking twice changes nothing.
    const bool kept = mLd != nullptr;
    Connect();
    QList<Entry> entries;
    int code = SearchOnce(base, scope, filter, attributes, entries);
    if (code != LDAP_SUCCESS && kept && code != LDAP_TIMEOUT) {
        Disconnect();
        Connect();
        entries.clear();
        code = SearchOnce(base, scope, filter, attributes, entries);
    }
    if (code != LDAP_SUCCESS) {
        const QString server = mServer;
        Disconnect();
        Fail(code == LDAP_TIMEOUT ? QStringLiteral("did not answer in time")
                                  : QStringLiteral("stopped answering"),
             code, server);
    }
    return entries;
}

int LdapConnection::SearchOnce(const QString& base, Scope scope, const QByteArray& filter,
                               const QStringList& attributes, QList<Entry>& entries) {
    QList<QByteArray> names;
    for (const QString& a : attributes)
        names.append(a.toUtf8());
    std::vector<char*> attrs;
    for (QByteArray& n : names)
        attrs.push_back(n.data());
    attrs.push_back(nullptr);
    const QByteArray baseDn = base.toUtf8();
    timeval timeout{mSettings.timeoutSeconds, 0};

    berval cookie{0, nullptr};
    QByteArray cookieBytes;
    const bool paged = scope == Subtree;
    do {
        ControlGuard request;
        LDAPControl* controls[2] = {nullptr, nullptr};
        if (paged) {
            cookie = {static_cast<ber_len_t>(cookieBytes.size()), cookieBytes.data()};
            const int rc =
                Api().ldap_create_page_control(mLd, kPageSize, &cookie, 0, &request.control);
            if (rc != LDAP_SUCCESS)
                Fail(QStringLiteral("cannot page a search"), rc, mServer);
            controls[0] = request.control;
        }
        MessageGuard result;
        int rc = Api().ldap_search_ext_s(mLd, baseDn.constData(), scope, filter.constData(),
                                         attrs.data(), 0, paged ? controls : nullptr, nullptr,
                                         &timeout, LDAP_NO_LIMIT, &result.message);
        if (rc == LDAP_SERVER_DOWN || rc == LDAP_TIMEOUT || rc == LDAP_CONNECT_ERROR)
            return rc;
        // A base that does not exist means nothing matches; a referral is another domain's.
        if (rc == LDAP_NO_SUCH_OBJECT || rc == LDAP_REFERRAL)
            return LDAP_SUCCESS;
        if (rc != LDAP_SUCCESS && rc != LDAP_SIZELIMIT_EXCEEDED && rc != LDAP_PARTIAL_RESULTS)
            Fail(QStringLiteral("refused a search (%1)").arg(QString::fromUtf8(filter.left(200))),
                 rc, mServer);
        for (LDAPMessage* m = Api().ldap_first_entry(mLd, result.message); m != nullptr;
             m = Api().ldap_next_entry(mLd, m))
            entries.append(ReadEntry(mLd, m));
        cookieBytes.clear();
        if (paged) {
            ControlGuard response;
            int code = 0;
            if (Api().ldap_parse_result(mLd, result.message, &code, nullptr, nullptr, nullptr,
                                        &response.controls, 0) == LDAP_SUCCESS &&
                response.controls) {
                if (LDAPControl* page = Api().ldap_control_find(LDAP_CONTROL_PAGEDRESULTS,
                                                                response.controls, nullptr)) {
                    ber_int_t estimate = 0;
                    berval next{0, nullptr};
                    if (Api().ldap_parse_pageresponse_control(mLd, page, &estimate, &next) ==
                        LDAP_SUCCESS) {
                        cookieBytes = QByteArray(next.bv_val, static_cast<qsizetype>(next.bv_len));
                        Api().ber_memfree(next.bv_val);
                    }
                }
            }
        }
    } while (!cookieBytes.isEmpty());
    return LDAP_SUCCESS;
}
