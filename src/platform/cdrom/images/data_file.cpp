#include "platform/cdrom/images/data_file.h"

#include "platform/bytes/little_endian.h"
#include "platform/text/utf8_text.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace corvath {

namespace {

constexpr uint32_t kCdSampleRate = 44100;
constexpr uint16_t kCdChannels = 2;
constexpr uint16_t kCdBitsPerSample = 16;
constexpr uint32_t kBytesPerFrame = 4;

std::string Quoted(const std::filesystem::path& path)
{
    return "\"" + path.string() + "\"";
}

struct Stream {
    uint64_t offset = 0;
    uint64_t bytes = 0;
};

// A WAVE file's data chunk, when its format is CD audio: PCM (plain or extensible).
std::optional<Stream> WaveStream(int fd, uint64_t fileSize, std::string& reason)
{
    std::array<uint8_t, 12> riff{};
    if (!ReadAt(fd, riff.data(), riff.size(), 0) || std::memcmp(riff.data(), "RIFF", 4) != 0 ||
        std::memcmp(riff.data() + 8, "WAVE", 4) != 0) {
        reason = "it is not a WAVE file";
        return std::nullopt;
    }
    constexpr uint16_t kPcm = 1;
    constexpr uint16_t kExtensible = 0xFFFE;
    bool cdAudio = false;
    for (uint64_t at = riff.size(); at + 8 <= fileSize;) {
        std::array<uint8_t, 8> header{};
        if (!ReadAt(fd, header.data(), header.size(), at))
            break;
        const uint32_t size = ReadLe32(header.data() + 4);
        if (std::memcmp(header.data(), "fmt ", 4) == 0 && size >= 16) {
            std::array<uint8_t, 16> format{};
            if (!ReadAt(fd, format.data(), format.size(), at + 8))
                break;
            const uint16_t tag = ReadLe16(format.data());
            cdAudio = (tag == kPcm || tag == kExtensible) &&
                      ReadLe16(format.data() + 2) == kCdChannels &&
                      ReadLe32(format.data() + 4) == kCdSampleRate &&
                      ReadLe16(format.data() + 14) == kCdBitsPerSample;
        } else if (std::memcmp(header.data(), "data", 4) == 0) {
            if (!cdAudio) {
                reason = "it is not 44.1 kHz 16-bit stereo PCM";
                return std::nullopt;
            }
            // A writer that stopped early leaves the size it meant to write.
            const uint64_t bytes = std::min<uint64_t>(size, fileSize - (at + 8));
            return Stream{at + 8, bytes - bytes % kBytesPerFrame};
        }
        at += 8 + uint64_t{size} + (size & 1);
    }
    reason = "it is not a WAVE file";
    return std::nullopt;
}

// A FLAC file's samples as 2352-byte sectors, from its STREAMINFO block.
std::optional<Stream> FlacStream(int fd, std::string& reason)
{
    // "fLaC", the block header, then STREAMINFO: sizes (10 bytes), then 20 bits of rate, 3 of
    // channels - 1, 5 of bits - 1 and 36 of the sample count.
    std::array<uint8_t, 4 + 4 + 18> head{};
    if (!ReadAt(fd, head.data(), head.size(), 0) || std::memcmp(head.data(), "fLaC", 4) != 0 ||
        (head[4] & 0x7F) != 0) {
        reason = "it is not a FLAC file";
        return std::nullopt;
    }
    const uint8_t* info = head.data() + 8 + 10;
    const uint32_t rate = uint32_t{info[0]} << 12 | uint32_t{info[1]} << 4 | info[2] >> 4;
    const unsigned channels = ((info[2] >> 1) & 0x07) + 1;
    const unsigned bits = ((info[2] & 0x01) << 4 | info[3] >> 4) + 1;
    const uint64_t samples = uint64_t{info[3] & 0x0Fu} << 32 | uint64_t{info[4]} << 24 |
                             uint64_t{info[5]} << 16 | uint64_t{info[6]} << 8 | info[7];
    if (rate != kCdSampleRate || channels != kCdChannels || bits != kCdBitsPerSample) {
        reason = "it is not 44.1 kHz 16-bit stereo audio";
        return std::nullopt;
    }
    if (samples == 0) {
        reason = "it does not say how long it is";
        return std::nullopt;
    }
    return Stream{0, samples * kBytesPerFrame};
}

// The path's parts after the folder's, when it lies inside the folder or below it.
bool IsInside(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    const auto [folderEnd, pathAt] =
        std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return folderEnd == folder.end() && pathAt != path.end();
}

} // namespace

std::string CannotReadProblem()
{
    return std::string("it cannot be read (") + std::strerror(errno) + ")";
}

bool ReadAt(int fd, void* data, std::size_t size, uint64_t offset)
{
    auto* bytes = static_cast<uint8_t*>(data);
    while (size > 0) {
        const ssize_t got = ::pread(fd, bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

UniqueFd OpenRegularFile(const std::filesystem::path& path, std::string& problem)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd) {
        problem = errno == ENOENT ? "the file does not exist" : CannotReadProblem();
        return {};
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = S_ISDIR(status.st_mode) ? "it is a folder" : "it is not a regular file";
        return {};
    }
    // Reads of a regular file never block; clearing the flag keeps it that way for all kinds.
    ::fcntl(fd.get(), F_SETFL, 0);
    return fd;
}

std::optional<std::string> ReadSheetText(const std::filesystem::path& sheet, std::string& problem)
{
    const UniqueFd fd = OpenRegularFile(sheet, problem);
    if (!fd)
        return std::nullopt;
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || static_cast<uint64_t>(status.st_size) > kMaxSheetBytes) {
        problem = "it is too large for a cue sheet or TOC file";
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(status.st_size), '\0');
    if (!ReadAt(fd.get(), bytes.data(), bytes.size(), 0)) {
        problem = CannotReadProblem();
        return std::nullopt;
    }
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        bytes = Utf16ToUtf8(bytes, bytes[0] == '\xFE');
    else if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.erase(0, 3);
    if (bytes.find('\0') != std::string::npos) {
        problem = "it is not a cue sheet or TOC file";
        return std::nullopt;
    }
    return bytes;
}

std::optional<ImageDataFile> ResolveDataFile(const std::filesystem::path& sheetFolder,
                                             const std::string& name, ImageFileFormat format,
                                             std::string& problem)
{
    std::error_code error;
    // A sheet named without a folder lies in the current one, which the data files may not leave
    // either.
    const std::filesystem::path sheetAt = std::filesystem::absolute(sheetFolder, error);
    const std::filesystem::path folder = std::filesystem::weakly_canonical(sheetAt, error);
    const std::filesystem::path named =
        std::filesystem::path(name).is_absolute() ? std::filesystem::path(name) : sheetAt / name;
    // Links are followed, so a link inside the folder cannot lead out of it either.
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(named, error);
    if (name.empty() || error || !IsInside(resolved, folder)) {
        problem = "its data file " + Quoted(name) + " lies outside the image's folder";
        return std::nullopt;
    }
    std::string reason;
    const UniqueFd fd = OpenRegularFile(resolved, reason);
    struct stat status {};
    if (fd && ::fstat(fd.get(), &status) != 0)
        reason = CannotReadProblem();
    if (!reason.empty()) {
        problem = "its data file " + Quoted(resolved) +
                  (reason == "the file does not exist" ? " is missing" : ": " + reason);
        return std::nullopt;
    }
    const auto size = static_cast<uint64_t>(status.st_size);
    std::optional<Stream> stream = Stream{0, size};
    if (format == ImageFileFormat::Wave)
        stream = WaveStream(fd.get(), size, reason);
    else if (format == ImageFileFormat::Flac)
        stream = FlacStream(fd.get(), reason);
    if (!stream) {
        problem = "its data file " + Quoted(resolved) + ": " + reason;
        return std::nullopt;
    }
    return ImageDataFile{resolved, format, stream->offset, stream->bytes};
}

} // namespace corvath
