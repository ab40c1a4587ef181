#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace corvath {

/// A buffer of bytes handed to the writer, allocated by it at a maximum length.
class WmSample {
public:
    explicit WmSample(uint32_t maxLength) : bytes_(maxLength), length_(maxLength) {}

    std::span<uint8_t> Buffer() { return bytes_; }
    /// The bytes in use; at most the maximum length.
    std::span<const uint8_t> Data() const { return std::span(bytes_).first(length_); }
    /// Values above the maximum length are refused (false).
    bool SetLength(uint32_t length)
    {
        if (length > bytes_.size())
            return false;
        length_ = length;
        return true;
    }

private:
    std::vector<uint8_t> bytes_;
    uint32_t length_;
};

} // namespace corvath
