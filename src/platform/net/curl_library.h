#pragma once

#include "platform/dynlib/codec_library.h"

// The type-checking wrappers of curl_easy_setopt and curl_easy_getinfo are macros that would
// take over the calls through the table.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>
#include <memory>

namespace corvath {

/// The libcurl entry points of an HTTP GET. libcurl brings the TLS, Kerberos and LDAP
/// libraries with it, so it is opened at run time, at the first request, never linked.
struct CurlApi {
    decltype(&::curl_global_init) curl_global_init = nullptr;
    decltype(&::curl_easy_init) curl_easy_init = nullptr;
    decltype(&::curl_easy_setopt) curl_easy_setopt = nullptr;
    decltype(&::curl_easy_perform) curl_easy_perform = nullptr;
    decltype(&::curl_easy_getinfo) curl_easy_getinfo = nullptr;
    decltype(&::curl_easy_strerror) curl_easy_strerror = nullptr;
    decltype(&::curl_easy_cleanup) curl_easy_cleanup = nullptr;
};

/// The process's binding of "libcurl.so.4", globally initialised once loaded.
CodecLibrary<CurlApi>& CurlLibrary();

/// Loads libcurl unless it is loaded; false when it cannot be. Any thread.
bool CurlAvailable();

/// The entry points; only once CurlAvailable() said true.
inline const CurlApi& Curl()
{
    return CurlLibrary().Functions();
}

/// Owner of a libcurl easy handle.
struct CurlEasyDeleter {
    void operator()(CURL* handle) const { Curl().curl_easy_cleanup(handle); }
};
using CurlEasyPtr = std::unique_ptr<CURL, CurlEasyDeleter>;

} // namespace corvath
