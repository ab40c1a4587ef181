#include "platform/net/http_get.h"

#include "platform/net/curl_library.h"

namespace corvath {

namespace {

// What the write callback fills.
struct BodySink {
    HttpGetResult& result;
    std::size_t maxBytes;
};

// libcurl's write callback: appends to the result's body; a short count makes libcurl stop.
extern "C" size_t AppendToBody(char* data, size_t size, size_t count, void* sink) noexcept
{
    auto& [answer, maxBytes] = *static_cast<BodySink*>(sink);
    const std::size_t bytes = size * count;
    if (bytes > maxBytes - answer.body.size()) {
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
extern "C" int CancelWhenAsked(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) noexcept
{
    return static_cast<const std::stop_token*>(stop)->stop_requested() ? 1 : 0;
}

std::string SizeText(std::size_t bytes)
{
    constexpr std::size_t kMebibyte = std::size_t{1} << 20;
    if (bytes % kMebibyte == 0)
        return std::to_string(bytes / kMebibyte) + " MiB";
    return std::to_string(bytes) + " bytes";
}

} // namespace

HttpGetResult HttpGet(const std::string& url, const HttpGetOptions& options)
{
    HttpGetResult result;
    if (options.stop.stop_requested()) {
        result.error = "Cancelled";
        return result;
    }
    if (!CurlAvailable()) {
        result.error = CurlLibrary().NotLoadedMessage();
        return result;
    }
    const CurlApi& api = Curl();
    const CurlEasyPtr curl(api.curl_easy_init());
    if (!curl) {
        result.error = "libcurl could not start a request";
        return result;
    }
    CURL* handle = curl.get();
    api.curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    const char* protocols = options.allowHttps ? "http,https" : "http";
    api.curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, protocols);
    if (options.maxRedirects > 0) {
        api.curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        api.curl_easy_setopt(handle, CURLOPT_MAXREDIRS, options.maxRedirects);
        api.curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, protocols);
    }
    if (!options.userAgent.empty())
        api.curl_easy_setopt(handle, CURLOPT_USERAGENT, options.userAgent.c_str());
    // No signals: the time-outs must work on any thread.
    api.curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    api.curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(options.connectTimeout.count()));
    api.curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS,
                         static_cast<long>(options.requestTimeout.count()));
    // An empty proxy turns proxies off; an empty no-proxy list keeps a given one for every host.
    api.curl_easy_setopt(handle, CURLOPT_PROXY, options.proxy.c_str());
    api.curl_easy_setopt(handle, CURLOPT_NOPROXY, "");
    api.curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendToBody);
    BodySink sink{result, options.maxBodyBytes};
    api.curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    if (options.stop.stop_possible()) {
        api.curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, CancelWhenAsked);
        api.curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &options.stop);
        api.curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    }
    const CURLcode code = api.curl_easy_perform(handle);
    curl_off_t announced = -1;
    if (api.curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK)
        result.announcedBytes = announced;
    if (code != CURLE_OK) {
        long requestBytes = 0;
        api.curl_easy_getinfo(handle, CURLINFO_REQUEST_SIZE, &requestBytes);
        result.requestSent = requestBytes > 0;
        result.timedOut = code == CURLE_OPERATION_TIMEDOUT;
        result.body.clear();
        result.error = api.curl_easy_strerror(code);
        return result;
    }
    result.reached = true;
    api.curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.status);
    return result;
}

std::string NoAnswerText(const HttpGetResult& result, const std::string& server,
                         std::size_t maxBodyBytes)
{
    if (result.tooLarge)
        return "The answer from " + server + " is larger than " + SizeText(maxBodyBytes);
    if (!result.requestSent)
        return "Could not connect to " + server + ": " + result.error;
    if (result.timedOut)
        return server + " took the request but did not answer in time: " + result.error;
    return server + " broke off its answer: " + result.error;
}

} // namespace corvath
