#include "support/CurlLibrary.h"

#include <QLibrary>

namespace {

struct Loaded {
    CurlLibrary api{};
    QString error;
};

template <class F> bool Resolve(QLibrary& library, const char* name, F& function) {
    function = reinterpret_cast<F>(library.resolve(name));
    return function != nullptr;
}

Loaded Load() {
    Loaded loaded;
    // Kept loaded for the rest of the run: curl_global_cleanup is not safe to call while other
    // libraries may still use the TLS library it initialised.
    static QLibrary library(QStringLiteral("curl"), 4);
    library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!library.load()) {
        loaded.error = QStringLiteral("The mail library libcurl could not be loaded (%1). "
                                      "Ask your administrator to install libcurl.")
                           .arg(library.errorString());
        return loaded;
    }
    CURLcode (*globalInit)(long) = nullptr;
    CurlLibrary& api = loaded.api;
    if (!Resolve(library, "curl_global_init", globalInit) ||
        !Resolve(library, "curl_easy_init", api.easy_init) ||
        !Resolve(library, "curl_easy_setopt", api.easy_setopt) ||
        !Resolve(library, "curl_easy_perform", api.easy_perform) ||
        !Resolve(library, "curl_easy_cleanup", api.easy_cleanup) ||
        !Resolve(library, "curl_easy_strerror", api.easy_strerror) ||
        !Resolve(library, "curl_slist_append", api.slist_append) ||
        !Resolve(library, "curl_slist_free_all", api.slist_free_all)) {
        loaded.error = QStringLiteral("The mail library %1 lacks a function this program "
                                      "needs: %2")
                           .arg(library.fileName(), library.errorString());
        return loaded;
    }
    if (const CURLcode result = globalInit(CURL_GLOBAL_DEFAULT); result != CURLE_OK)
        loaded.error = QStringLiteral("The mail library could not start (libcurl error %1).")
                           .arg(int(result));
    return loaded;
}

} // namespace

const CurlLibrary* CurlLibrary::Get(QString& error) {
    static const Loaded loaded = Load();
    error = loaded.error;
    return loaded.error.isEmpty() ? &loaded.api : nullptr;
}
