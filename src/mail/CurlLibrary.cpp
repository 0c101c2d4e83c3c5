#include "mail/CurlLibrary.h"

#include "platform/LazyLibrary.h"

namespace {

LazyLibrary<CurlLibrary> Load() {
    LazyLibrary<CurlLibrary> loaded;
    // Never unloaded: curl_global_cleanup is not safe while other libraries may still use the
    // TLS library it initialised.
    static QLibrary library(QStringLiteral("curl"), 4);
    const QString what = QStringLiteral("The mail library libcurl");
    if (!loaded.Load(library, what,
                     QStringLiteral("Ask your administrator to install libcurl (Debian package "
                                    "libcurl4).")))
        return loaded;
    CURLcode (*globalInit)(long) = nullptr;
    CurlLibrary& api = loaded.api;
    loaded.Resolve(library, "curl_global_init", globalInit);
    loaded.Resolve(library, "curl_easy_init", api.easy_init);
    loaded.Resolve(library, "curl_easy_setopt", api.easy_setopt);
    loaded.Resolve(library, "curl_easy_perform", api.easy_perform);
    loaded.Resolve(library, "curl_easy_cleanup", api.easy_cleanup);
    loaded.Resolve(library, "curl_easy_strerror", api.easy_strerror);
    loaded.Resolve(library, "curl_slist_append", api.slist_append);
    loaded.Resolve(library, "curl_slist_free_all", api.slist_free_all);
    if (loaded.Complete(what))
        if (const CURLcode result = globalInit(CURL_GLOBAL_DEFAULT); result != CURLE_OK)
            loaded.error = QStringLiteral("The mail library could not start (libcurl error %1).")
                               .arg(int(result));
    return loaded;
}

} // namespace

const CurlLibrary* CurlLibrary::Get(QString& error) {
    static const LazyLibrary<CurlLibrary> loaded = Load();
    return loaded.Get(error);
}
