#include "cd/id3_tag.h"

#include "platform/files/unique_fd.h"
#include "tags/text_encodings.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace corvath {

namespace {

std::string FirstCharacters(std::string_view text, std::size_t count)
{
    std::size_t pos = 0;
    for (std::size_t taken = 0; taken < count && pos < text.size(); ++taken)
        NextUtf8Character(text, pos);
    return std::string(text.substr(0, pos));
}

std::string ToLatin1(std::string_view text)
{
    std::string latin1;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::optional<char32_t> character = NextUtf8Character(text, pos);
        latin1 += character && *character <= 0xFF ? static_cast<char>(*character) : '?';
    }
    return latin1;
}

// Latin-1 text into a NUL-padded field, cut to its width.
void PutField(std::array<char, Tid3tag::kTagSize>& tag, std::size_t offset, std::size_t width,
              std::string_view text)
{
    const std::string latin1 = ToLatin1(text);
    std::memcpy(tag.data() + offset, latin1.data(), std::min(width, latin1.size()));
}

bool WriteAll(int fd, const char* bytes, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, bytes, size, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
        offset += written;
    }
    return true;
}

// Where the tag goes: over the tag already at the end, or after the last byte; nothing when
// the end of the file cannot be read.
std::optional<off_t> TagOffset(int fd, off_t size)
{
    const auto tagSize = static_cast<off_t>(Tid3tag::kTagSize);
    if (size < tagSize)
        return size;
    char magic[3];
    if (::pread(fd, magic, sizeof magic, size - tagSize) != static_cast<ssize_t>(sizeof magic))
        return std::nullopt;
    return std::memcmp(magic, "TAG", sizeof magic) == 0 ? size - tagSize : size;
}

Id3WriteError WriteTagInto(const std::filesystem::path& file,
                           const std::array<char, Tid3tag::kTagSize>& tag)
{
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Id3WriteError::CannotOpen
                                                   : Id3WriteError::Protected;
    // A device or pipe has no end to append to; writing at its start could wreck it.
    if (!S_ISREG(info.st_mode))
        return Id3WriteError::CannotOpen;
    if (::access(file.c_str(), W_OK) != 0)
        return Id3WriteError::Protected;

    UniqueFd fd(::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (!fd)
        return Id3WriteError::CannotOpen;
    if (::fstat(fd.get(), &info) != 0)
        return Id3WriteError::OtherIo;
    if (!S_ISREG(info.st_mode))
        return Id3WriteError::CannotOpen;

    const off_t size = info.st_size;
    const std::optional<off_t> offset = TagOffset(fd.get(), size);
    if (!offset)
        return Id3WriteError::ReadFailed;

    if (!WriteAll(fd.get(), tag.data(), tag.size(), *offset)) {
        if (*offset == size) {
            // Cut a partly appended tag back off; the failure is reported either way.
            [[maybe_unused]] const int ignored = ::ftruncate(fd.get(), size);
        }
        return Id3WriteError::WriteFailed;
    }
    return fd.Close() ? Id3WriteError::None : Id3WriteError::WriteFailed;
}

} // namespace

void Tid3tag::SetTitle(std::string_view text)
{
    title_ = FirstCharacters(text, kTextLength);
}

void Tid3tag::SetArtist(std::string_view text)
{
    artist_ = FirstCharacters(text, kTextLength);
}

void Tid3tag::SetAlbum(std::string_view text)
{
    album_ = FirstCharacters(text, kTextLength);
}

void Tid3tag::SetYear(std::string_view text)
{
    year_ = FirstCharacters(text, kYearLength);
}

void Tid3tag::SetComment(std::string_view text)
{
    comment_ = FirstCharacters(text, kTextLength);
}

void Tid3tag::SetTrack(std::uint8_t track)
{
    track_ = track;
    hasTrack_ = track > 0;
}

std::array<char, Tid3tag::kTagSize> Tid3tag::BuildTag() const
{
    std::array<char, kTagSize> tag{};
    std::memcpy(tag.data(), "TAG", 3);
    PutField(tag, 3, kTextLength, title_);
    PutField(tag, 33, kTextLength, artist_);
    PutField(tag, 63, kTextLength, album_);
    PutField(tag, 93, kYearLength, year_);
    const bool withTrack = hasTrack_ && track_ > 0;
    PutField(tag, 97, withTrack ? kTextLength - 2 : kTextLength, comment_);
    if (withTrack)
        tag[126] = static_cast<char>(track_); // byte 125 stays 0: the ID3v1.1 marker
    tag[127] = static_cast<char>(genre_);
    return tag;
}

std::uint16_t Tid3tag::Write(const std::filesystem::path& file)
{
    const Id3WriteError error = WriteTagInto(file, BuildTag());
    if (error == Id3WriteError::None)
        lastFile_ = file;
    return Id3WriteResult(error);
}

} // namespace corvath
