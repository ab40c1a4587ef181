#include "platform/media/asf_protection.h"

#include "platform/acm/ffmpeg_library.h"

extern "C" {
#include <libavformat/avio.h>
}

#include <array>
#include <cstdint>

namespace corvath {

namespace {

using Guid = std::array<uint8_t, 16>;

// The object identifiers as stored in the file (little-endian GUID layout).
constexpr Guid kHeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kContentEncryption = {0xFB, 0xB3, 0x11, 0x22, 0x23, 0xBD, 0xD2, 0x11,
                                     0xB4, 0xB7, 0x00, 0xC0, 0x4F, 0xB8, 0xD8, 0xA9};
constexpr Guid kExtendedContentEncryption = {0x14, 0xE6, 0x8A, 0x29, 0x22, 0x26, 0x17, 0x4C,
                                             0xB9, 0x35, 0xDA, 0xE0, 0x7E, 0xE9, 0x28, 0x9C};

// An object starts with its identifier and its size (which counts these 24 bytes).
constexpr uint64_t kObjectHeadBytes = 24;
// The header object adds an object count and two reserved bytes.
constexpr uint64_t kHeaderObjectBytes = 30;

bool ReadGuid(AVIOContext& input, Guid& guid)
{
    return Ffmpeg().avio_read(&input, guid.data(), static_cast<int>(guid.size())) ==
           static_cast<int>(guid.size());
}

bool ScanHeader(AVIOContext& input)
{
    Guid guid{};
    if (!ReadGuid(input, guid) || guid != kHeaderObject)
        return false;
    const uint64_t headerBytes = Ffmpeg().avio_rl64(&input);
    uint64_t at = kHeaderObjectBytes;
    while (at + kObjectHeadBytes <= headerBytes) {
        if (Ffmpeg().avio_seek(&input, static_cast<int64_t>(at), SEEK_SET) < 0 ||
            !ReadGuid(input, guid))
            return false;
        if (guid == kContentEncryption || guid == kExtendedContentEncryption)
            return true;
        const uint64_t objectBytes = Ffmpeg().avio_rl64(&input);
        // A damaged size would loop or jump out of the header.
        if (objectBytes < kObjectHeadBytes || objectBytes > headerBytes - at)
            return false;
        at += objectBytes;
    }
    return false;
}

} // namespace

bool AsfHeaderDeclaresEncryption(AVIOContext& input)
{
    if (Ffmpeg().avio_seek(&input, 0, SEEK_SET) < 0)
        return false;
    const bool encrypted = ScanHeader(input);
    Ffmpeg().avio_seek(&input, 0, SEEK_SET);
    return encrypted;
}

} // namespace corvath
