#pragma once

#include <QString>
#include <curl/curl.h>

// libcurl, loaded the first time a mail is sent. Linked into the program it would bring two
// dozen libraries (TLS, SSH, HTTP/2, IDN, Kerberos...) into every start, for a window that few
// users ever open.
struct CurlLibrary {
    // Called once, by Get.
    CURLcode (*global_init)(long);
    CURL* (*easy_init)();
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...);
    CURLcode (*easy_perform)(CURL*);
    void (*easy_cleanup)(CURL*);
    const char* (*easy_strerror)(CURLcode);
    curl_slist* (*slist_append)(curl_slist*, const char*);
    void (*slist_free_all)(curl_slist*);

    // The library, loaded and initialised once for the whole run; null, with `error` saying
    // why, when it cannot be loaded.
    static const CurlLibrary* Get(QString& error);
};
