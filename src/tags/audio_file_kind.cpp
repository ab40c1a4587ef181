#include "tags/audio_file_kind.h"

#include "platform/text/ascii_case.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace corvath {

namespace {

constexpr std::string_view kAsfHeaderGuid("\x30\x26\xB2\x75\x8E\x66\xCF\x11"
                                          "\xA6\xD9\x00\xAA\x00\x62\xCE\x6C",
                                          16);
// An Ogg page header is 27 bytes plus one lacing value per segment; a stream's first page
// holds the first packet alone, in one segment.
constexpr std::size_t kFirstOggPacket = 28;

struct NamedKind {
    std::string_view extension;
    AudioFileKind kind;
};

constexpr NamedKind kExtensions[] = {
    {".mp3", AudioFileKind::Mp3}, {".wav", AudioFileKind::Wav},   {".wma", AudioFileKind::Wma},
    {".asf", AudioFileKind::Wma}, {".flac", AudioFileKind::Flac}, {".ape", AudioFileKind::Ape},
};

std::string FirstBytes(const std::string& path, std::size_t count)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {};
    std::ifstream file(path, std::ios::binary);
    std::string bytes(count, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

bool IsMpegFrameSync(std::string_view bytes)
{
    // Eleven set bits, then any version and a layer other than the reserved 00.
    return bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF &&
           (static_cast<uint8_t>(bytes[1]) & 0xE0) == 0xE0 &&
           (static_cast<uint8_t>(bytes[1]) & 0x06) != 0;
}

AudioFileKind OggKind(std::string_view bytes)
{
    const std::string_view packet = bytes.substr(std::min(bytes.size(), kFirstOggPacket));
    if (packet.starts_with("\x01vorbis"))
        return AudioFileKind::OggVorbis;
    return packet.starts_with("OpusHead") ? AudioFileKind::Opus : AudioFileKind::Unknown;
}

AudioFileKind KindOfBytes(std::string_view bytes)
{
    if (bytes.size() >= 12 && bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WAVE")
        return AudioFileKind::Wav;
    if (bytes.starts_with("ID3") || IsMpegFrameSync(bytes))
        return AudioFileKind::Mp3;
    if (bytes.starts_with(kAsfHeaderGuid))
        return AudioFileKind::Wma;
    if (bytes.starts_with("fLaC"))
        return AudioFileKind::Flac;
    if (bytes.starts_with("OggS"))
        return OggKind(bytes);
    return bytes.starts_with("MAC ") ? AudioFileKind::Ape : AudioFileKind::Unknown;
}

} // namespace

AudioFileKind AudioFileKindByContent(const std::string& path)
{
    return KindOfBytes(FirstBytes(path, kFirstOggPacket + 8));
}

AudioFileKind AudioFileKindOf(const std::string& path)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    for (const auto& [named, kind] : kExtensions) {
        if (EqualIgnoringCase(extension, named))
            return kind;
    }
    return AudioFileKindByContent(path);
}

} // namespace corvath
