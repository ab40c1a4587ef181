#pragma once

#include <curl/curl.h>
#include <memory>

namespace corvath {

/// Owner of a libcurl easy handle.
struct CurlEasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasyPtr = std::unique_ptr<CURL, CurlEasyDeleter>;

} // namespace corvath
