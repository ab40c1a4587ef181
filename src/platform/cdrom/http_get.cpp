#include "platform/cdrom/http_get.h"

#include "platform/cdrom/curl_handles.h"

#include <mutex>

namespace corvath {

namespace {

constexpr std::size_t kMaxBodyBytes = 1 << 20;

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// libcurl's write callback: appends to the result's body; a short count makes libcurl stop.
extern "C" size_t AppendToBody(char* data, size_t size, size_t count, void* result) noexcept
{
    auto& answer = *static_cast<HttpGetResult*>(result);
    const std::size_t bytes = size * count;
    if (answer.body.size() + bytes > kMaxBodyBytes) {
        answer.tooLarge = true;
        return 0;
    }
    try {
        answer.body.append(data, bytes);
    } catch (...) {
        return 0;
    }
    return bytes;
}

// libcurl's progress callback, called about once a second even while nothing moves: non-zero
// ends the transfer.
extern "C" int CancelWhenAsked(void* cancel, curl_off_t, curl_off_t, curl_off_t,
                               curl_off_t) noexcept
{
    return static_cast<const std::atomic<bool>*>(cancel)->load() ? 1 : 0;
}

} // namespace

HttpGetResult HttpGet(const std::string& url, const HttpGetOptions& options)
{
    InitCurlOnce();
    HttpGetResult result;
    const CurlEasyPtr curl(curl_easy_init());
    if (!curl) {
        result.error = "libcurl could not start a request";
        return result;
    }
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http");
    // No signals: the time-outs must work on any thread.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options.connectTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(options.requestTimeout.count()));
    // An empty proxy turns proxies off; an empty no-proxy list keeps a given one for every host.
    curl_easy_setopt(handle, CURLOPT_PROXY, options.proxy.c_str());
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "");
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendToBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &result);
    if (options.cancel != nullptr) {
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, CancelWhenAsked);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, options.cancel);
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    }
    const CURLcode code = curl_easy_perform(handle);
    if (code != CURLE_OK) {
        result.body.clear();
        result.error = curl_easy_strerror(code);
        return result;
    }
    result.reached = true;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.status);
    return result;
}

} // namespace corvath
