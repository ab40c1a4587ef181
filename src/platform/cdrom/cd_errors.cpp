#include "platform/cdrom/cd_errors.h"

#include "platform/cdrom/cd_drive_interface.h"

#include <mutex>

namespace corvath {

namespace {

struct LastError {
    std::mutex mutex;
    int32_t number = kCdErrorNone;
    std::string text;
};

// Never destroyed: a lookup still running past the bounded wait at exit may record its error.
LastError& Last()
{
    static auto* last = new LastError;
    return *last;
}

} // namespace

void SetCdLastError(int32_t error, std::string text)
{
    LastError& last = Last();
    const std::lock_guard lock(last.mutex);
    last.number = error;
    last.text = std::move(text);
}

int32_t GetAspiLibError()
{
    LastError& last = Last();
    const std::lock_guard lock(last.mutex);
    return last.number;
}

std::string GetCdLastErrorText()
{
    LastError& last = Last();
    const std::lock_guard lock(last.mutex);
    return last.text;
}

} // namespace corvath
