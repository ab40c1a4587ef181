#include "tags/tag_file_checks.h"

#include "platform/files/unique_fd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>

namespace corvath {

void FailTagWrite(const std::string& path, const std::string& why)
{
    throw std::runtime_error("Cannot write the tags of " + path + ": " + why);
}

void RequireWritableFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        FailTagWrite(path, std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        FailTagWrite(path, "it is not a regular file");
    const UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (!fd)
        FailTagWrite(path, std::strerror(errno));
}

void RequireOpenForWriting(const TagLib::File& file, const std::string& path)
{
    if (!file.isValid() || file.readOnly())
        FailTagWrite(path, "it cannot be opened for writing");
}

void RequireSaved(bool saved, const std::string& path)
{
    if (!saved)
        FailTagWrite(path, "the tag could not be saved");
}

} // namespace corvath
