#include "mail/CurlLibrary.h"

#include "platform/LazyLibrary.h"

namespace {

using Loaded = LazyLibrary<CurlLibrary>;

void ResolveAll(Loaded& library, CurlLibrary& api) {
    library.Resolve("curl_global_init", api.global_init);
    library.Resolve("curl_easy_init", api.easy_init);
    library.Resolve("curl_easy_setopt", api.easy_setopt);
    library.Resolve("curl_easy_perform", api.easy_perform);
    library.Resolve("curl_easy_cleanup", api.easy_cleanup);
    library.Resolve("curl_easy_strerror", api.easy_strerror);
    library.Resolve("curl_slist_append", api.slist_append);
    library.Resolve("curl_slist_free_all", api.slist_free_all);
}

QString Start(const CurlLibrary& api) {
    if (const CURLcode result = api.global_init(CURL_GLOBAL_DEFAULT); result != CURLE_OK)
        return QStringLiteral("The mail library could not start (libcurl error %1).")
            .arg(int(result));
    return {};
}

} // namespace

const CurlLibrary* CurlLibrary::Get(QString& error) {
    // Never unloaded: curl_global_cleanup is not safe while other libraries may still use the
    // TLS library it initialised.
    static const Loaded loaded(
        {QStringLiteral("curl"), 4, QStringLiteral("The mail library libcurl"),
         QStringLiteral("Ask your administrator to install libcurl (Debian package libcurl4).")},
        ResolveAll, Start);
    return loaded.Get(error);
}
