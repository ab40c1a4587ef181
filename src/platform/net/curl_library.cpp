#include "platform/net/curl_library.h"

namespace corvath {

namespace {

bool ResolveCurl(const DynamicLibrary& library, CurlApi& api)
{
    const bool resolved = library.Resolve("curl_global_init", api.curl_global_init) &&
                          library.Resolve("curl_easy_init", api.curl_easy_init) &&
                          library.Resolve("curl_easy_setopt", api.curl_easy_setopt) &&
                          library.Resolve("curl_easy_perform", api.curl_easy_perform) &&
                          library.Resolve("curl_easy_getinfo", api.curl_easy_getinfo) &&
                          library.Resolve("curl_easy_strerror", api.curl_easy_strerror) &&
                          library.Resolve("curl_easy_cleanup", api.curl_easy_cleanup);
    if (!resolved)
        return false;
    // The global set-up (TLS libraries among it) is never undone, so libcurl stays loaded.
    library.KeepLoaded();
    return api.curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
}

} // namespace

CodecLibrary<CurlApi>& CurlLibrary()
{
    static CodecLibrary<CurlApi> library("libcurl.so.4", ResolveCurl);
    return library;
}

bool CurlAvailable()
{
    CodecLibrary<CurlApi>& library = CurlLibrary();
    return library.Loaded() || library.Load();
}

} // namespace corvath
