#include "platform/profile/profile_file.h"

#include "platform/files/unique_fd.h"
#include "platform/files/whole_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace corvath {

namespace {

// Writes the text to a temporary file in the target's folder and renames it over the target.
bool ReplaceAtomically(const std::filesystem::path& target, const std::string& text)
{
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || ::access(target.c_str(), W_OK) != 0))
        return false;

    std::string temporary = target.string() + ".XXXXXX";
    UniqueFd fd(::mkstemp(temporary.data()));
    if (!fd)
        return false;
    const mode_t mode = exists ? existing.st_mode & 07777 : 0644;
    const bool written = ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), text) &&
                         ::fsync(fd.get()) == 0 && fd.Close() &&
                         ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!written)
        ::unlink(temporary.c_str());
    return written;
}

// Lines as Parse counts them: a last line without its line break counts too.
std::size_t LineCount(std::string_view text)
{
    const auto breaks = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    return breaks + (text.empty() || text.ends_with('\n') ? 0 : 1);
}

// The file a link names, so that a write goes to it rather than over the link.
std::filesystem::path FollowLink(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(file, error))
        return file;
    auto target = std::filesystem::weakly_canonical(file, error);
    return error ? file : target;
}

} // namespace

ProfileDocument LoadProfile(const std::filesystem::path& file)
{
    const auto refuse = [&file](const std::string& reason) {
        return ProfileReadError("Cannot read " + file.string() + ": " + reason);
    };
    // Opened without blocking, so a pipe in the file's place cannot hang the program.
    const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        if (errno == ENOENT || errno == ENOTDIR) // no such file
            return {};
        throw refuse(std::strerror(errno));
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        throw refuse(std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        throw refuse(S_ISDIR(status.st_mode) ? "it is a folder" : "it is not a regular file");

    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw refuse(std::strerror(errno));
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ProfileDocument document = ProfileDocument::Parse(text);
    if (2 * document.MendedLines().size() > LineCount(text))
        throw refuse("it is not a text settings file");
    return document;
}

std::string MendedLinesNote(const ProfileDocument& document, const std::filesystem::path& file)
{
    const std::vector<std::size_t>& mended = document.MendedLines();
    if (mended.empty())
        return {};
    constexpr std::size_t kNamed = 5; // a file with many is told by its first few
    std::string numbers;
    for (std::size_t i = 0; i < std::min(mended.size(), kNamed); ++i)
        numbers += (i == 0 ? "" : ", ") + std::to_string(mended[i]);
    if (mended.size() > kNamed)
        numbers += " and " + std::to_string(mended.size() - kNamed) + " more";
    return (mended.size() == 1 ? "Line " : "Lines ") + numbers + " of " + file.string() +
           " held NUL bytes, read as blanks";
}

void SaveProfile(const ProfileDocument& document, const std::filesystem::path& file)
{
    if (!ReplaceAtomically(FollowLink(file), document.Serialize()))
        throw std::runtime_error("Unable to write to " + file.string());
}

} // namespace corvath
