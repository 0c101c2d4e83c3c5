#include "directory/LdapCertificate.h"

#include "platform/LazyLibrary.h"

#include <QFile>
#include <cstdlib>

namespace {

// GnuTLS's stable C interface, as much of it as a certificate check needs; the library is
// the one libldap loaded for its TLS sessions.
struct Datum {
    unsigned char* data;
    unsigned int size;
};
using Certificate = void*;
using TrustList = void*;
constexpr int kFormatDer = 0;
constexpr int kFormatPem = 1;
constexpr int kTypeX509 = 1;
constexpr unsigned kUnexpectedOwner = 1U << 14; // GNUTLS_CERT_UNEXPECTED_OWNER
constexpr unsigned kInvalid = 1U << 1;          // GNUTLS_CERT_INVALID

struct GnuTls {
    int (*crt_init)(Certificate*);
    int (*crt_import)(Certificate, const Datum*, int);
    void (*crt_deinit)(Certificate);
    unsigned (*crt_check_hostname)(Certificate, const char*);
    int (*list_init)(TrustList*, unsigned);
    void (*list_deinit)(TrustList, unsigned);
    int (*list_add_file)(TrustList, const char*, const char*, int, unsigned, unsigned);
    int (*list_add_system)(TrustList, unsigned, unsigned);
    int (*list_verify)(TrustList, Certificate*, unsigned, unsigned, unsigned*, void*);
    int (*status_print)(unsigned, int, Datum*, unsigned);
};

using Loaded = LazyLibrary<GnuTls>;

void ResolveAll(Loaded& library, GnuTls& api) {
    library.Resolve("gnutls_x509_crt_init", api.crt_init);
    library.Resolve("gnutls_x509_crt_import", api.crt_import);
    library.Resolve("gnutls_x509_crt_deinit", api.crt_deinit);
    library.Resolve("gnutls_x509_crt_check_hostname", api.crt_check_hostname);
    library.Resolve("gnutls_x509_trust_list_init", api.list_init);
    library.Resolve("gnutls_x509_trust_list_deinit", api.list_deinit);
    library.Resolve("gnutls_x509_trust_list_add_trust_file", api.list_add_file);
    library.Resolve("gnutls_x509_trust_list_add_system_trust", api.list_add_system);
    library.Resolve("gnutls_x509_trust_list_verify_crt", api.list_verify);
    library.Resolve("gnutls_certificate_verification_status_print", api.status_print);
}

} // namespace

QString CertificateProblem(const QByteArray& der, const QString& caFile, const QString& host) {
    static const Loaded loaded({QStringLiteral("gnutls"), 30, QStringLiteral("GnuTLS"), QString()},
                               ResolveAll);
    QString why;
    const GnuTls* api = loaded.Get(why);
    if (api == nullptr || der.isEmpty())
        return {};
    Certificate certificate = nullptr;
    TrustList trust = nullptr;
    Datum bytes{reinterpret_cast<unsigned char*>(const_cast<char*>(der.constData())),
                static_cast<unsigned>(der.size())};
    unsigned status = 0;
    bool checked = false;
    if (api->crt_init(&certificate) >= 0 && api->crt_import(certificate, &bytes, kFormatDer) >= 0 &&
        api->list_init(&trust, 0) >= 0) {
        const int added = caFile.isEmpty()
                              ? api->list_add_system(trust, 0, 0)
                              : api->list_add_file(trust, QFile::encodeName(caFile).constData(),
                                                   nullptr, kFormatPem, 0, 0);
        checked = added >= 0 && api->list_verify(trust, &certificate, 1, 0, &status, nullptr) >= 0;
        if (checked && !api->crt_check_hostname(certificate, host.toUtf8().constData()))
            status |= kUnexpectedOwner | kInvalid;
    }
    QString text;
    Datum printed{nullptr, 0};
    if (checked && status != 0 && api->status_print(status, kTypeX509, &printed, 0) >= 0) {
        text = QString::fromUtf8(reinterpret_cast<const char*>(printed.data),
                                 static_cast<qsizetype>(printed.size))
                   .trimmed();
        std::free(printed.data); // GnuTLS allocates with the C library's malloc
    }
    if (trust)
        api->list_deinit(trust, 1);
    if (certificate)
        api->crt_deinit(certificate);
    return text;
}
