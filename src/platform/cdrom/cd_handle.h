#pragma once

#include <cstdint>

namespace corvath {

/// Owns a handle of the CD access layer and closes it when it goes. Empty holds handle 0.
class CdHandle {
public:
    CdHandle() = default;
    explicit CdHandle(int32_t handle) : handle_(handle) {}
    ~CdHandle() { Close(); }
    CdHandle(CdHandle&& other) noexcept;
    CdHandle& operator=(CdHandle&& other) noexcept;
    CdHandle(const CdHandle&) = delete;
    CdHandle& operator=(const CdHandle&) = delete;

    int32_t get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }

    /// Closes the handle now; true when there was none or the layer closed it.
    bool Close();

private:
    int32_t handle_ = 0;
};

} // namespace corvath
