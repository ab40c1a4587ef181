#include "platform/profile/profile_file.h"

#include "platform/files/unique_fd.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace corvath {

namespace {

bool WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

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
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return ProfileDocument::Parse(text);
}

void SaveProfile(const ProfileDocument& document, const std::filesystem::path& file)
{
    if (!ReplaceAtomically(FollowLink(file), document.Serialize()))
        throw std::runtime_error("Unable to write to " + file.string());
}

} // namespace corvath
