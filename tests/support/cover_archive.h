#pragma once

#include "support/http_test_server.h"

#include <filesystem>
#include <optional>
#include <string>

namespace corvath::test {

/// A 16×16 red image that FFmpeg makes in the folder, by extension ("jpg" or "png"): its bytes.
std::string RedSquare(const std::filesystem::path& folder, const std::string& extension);

/// A 500×500 test pattern as a JPEG image that FFmpeg makes in the folder: its bytes.
std::string PatternCover(const std::filesystem::path& folder);

/// Points the cover cache (XDG_CACHE_HOME) at a folder while it lives.
class CoverCacheIn {
public:
    explicit CoverCacheIn(const std::filesystem::path& folder);
    ~CoverCacheIn();
    CoverCacheIn(const CoverCacheIn&) = delete;
    CoverCacheIn& operator=(const CoverCacheIn&) = delete;

private:
    std::optional<std::string> saved_;
};

/// A Cover Art Archive on 127.0.0.1: every release's front cover redirects to an image server
/// answering with the image; without one the archive answers 404, as for a release without
/// cover art.
class TestCoverArchive {
public:
    explicit TestCoverArchive(std::optional<std::string> image);

    /// "http://127.0.0.1:<port>" of the archive.
    std::string Url() const { return "http://" + archive_.Address(); }
    /// The request lines the archive received.
    std::vector<std::string> RequestLines() const { return archive_.RequestLines(); }

private:
    HttpTestServer images_;
    HttpTestServer archive_;
};

} // namespace corvath::test
