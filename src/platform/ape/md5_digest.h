#pragma once

#include <array>
#include <cstdint>
#include <span>

struct AVMD5;

namespace corvath::ape {

/// An MD5 sum fed piece by piece (over libavutil's implementation, which it owns).
class Md5Digest {
public:
    Md5Digest();
    ~Md5Digest();
    Md5Digest(const Md5Digest&) = delete;
    Md5Digest& operator=(const Md5Digest&) = delete;

    void Add(std::span<const uint8_t> bytes);
    /// The sum of everything added; the digest starts afresh afterwards.
    std::array<uint8_t, 16> Finish();

private:
    AVMD5* context_;
};

} // namespace corvath::ape
