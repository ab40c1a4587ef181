#include "platform/cdrom/cd_handle.h"

#include "platform/cdrom/cd_drive_interface.h"

#include <utility>

namespace corvath {

CdHandle::CdHandle(CdHandle&& other) noexcept : handle_(std::exchange(other.handle_, 0)) {}

CdHandle& CdHandle::operator=(CdHandle&& other) noexcept
{
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, 0);
    }
    return *this;
}

bool CdHandle::Close()
{
    const int32_t handle = std::exchange(handle_, 0);
    return handle == 0 || CloseCDHandle(handle);
}

} // namespace corvath
