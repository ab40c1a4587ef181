#include "app/rip_helpers.h"

#include "platform/files/file_share.h"
#include "platform/files/unique_fd.h"

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

namespace corvath {

bool IsFileInUse(const std::filesystem::path& file)
{
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0)
        return false;
    const UniqueFd fd(::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd)
        return true;
    return !FileShareLock::Acquire(file, {.read = true, .write = true}).has_value();
}

void WaitMilliseconds(int ms)
{
    if (ms < 1)
        return;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace corvath
