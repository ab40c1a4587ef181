#include "platform/files/whole_file.h"

#include "platform/files/unique_fd.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace corvath {

std::string ReadWholeFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool WriteAll(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        if (written == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

std::string WriteWholeFile(const std::filesystem::path& file, std::string_view bytes)
{
    std::string temporary = file.string() + ".XXXXXX";
    UniqueFd fd(::mkstemp(temporary.data()));
    const bool created = static_cast<bool>(fd);
    // mkstemp makes the file readable by its owner only; other files of the folder are not.
    const bool written = created && ::fchmod(fd.get(), 0644) == 0 && WriteAll(fd.get(), bytes) &&
                         ::fsync(fd.get()) == 0 && fd.Close() &&
                         ::rename(temporary.c_str(), file.c_str()) == 0;
    if (written)
        return {};
    const int reason = errno;
    if (created)
        ::unlink(temporary.c_str());
    return "Cannot write " + file.string() + ": " + std::strerror(reason);
}

} // namespace corvath
