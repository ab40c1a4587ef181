#include "platform/cdrom/cd_errors.h"

#include "platform/cdrom/cd_drive_interface.h"

#include <atomic>

namespace corvath {

namespace {

std::atomic<int32_t> lastError{kCdErrorNone};

} // namespace

void SetCdLastError(int32_t error)
{
    lastError = error;
}

int32_t GetAspiLibError()
{
    return lastError;
}

} // namespace corvath
