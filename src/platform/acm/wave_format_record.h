#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace corvath {

/// A wave format record in the Windows layout (WAVEFORMATEX) as it lies in a RIFF "fmt "
/// chunk: format tag, channels, sample rate, average bytes per second, block align, bits per
/// sample (offsets 0 to 15), the extra size at 16 and that many extra bytes from 18. The
/// storage is a fixed 129 bytes, all zero at first; the accessors never reach past it.
class WaveFormatRecord {
public:
    static constexpr std::size_t kCapacity = 129;
    /// The fields up to and including the extra size.
    static constexpr std::size_t kHeaderSize = 18;
    static constexpr uint16_t kPcmTag = 1;

    /// Sets every byte to zero.
    void Clear() { bytes_.fill(0); }

    /// Copies the first kCapacity bytes of a stored record to the start; every byte after
    /// them becomes zero, so a 16-byte record reads as one with no extra bytes.
    void Assign(std::span<const uint8_t> stored);

    std::span<const uint8_t, kCapacity> Bytes() const { return bytes_; }

    uint16_t FormatTag() const { return Get16(0); }
    uint16_t Channels() const { return Get16(2); }
    uint32_t SampleRate() const { return Get32(4); }
    uint32_t AvgBytesPerSec() const { return Get32(8); }
    uint16_t BlockAlign() const { return Get16(12); }
    uint16_t BitsPerSample() const { return Get16(14); }
    uint16_t ExtraSize() const { return Get16(16); }

    void SetFormatTag(uint16_t value) { Set16(0, value); }
    void SetChannels(uint16_t value) { Set16(2, value); }
    void SetSampleRate(uint32_t value) { Set32(4, value); }
    void SetAvgBytesPerSec(uint32_t value) { Set32(8, value); }
    void SetBlockAlign(uint16_t value) { Set16(12, value); }
    void SetBitsPerSample(uint16_t value) { Set16(14, value); }
    void SetExtraSize(uint16_t value) { Set16(16, value); }

    /// The extra bytes the extra size announces, cut to what the record holds.
    std::span<const uint8_t> Extra() const;

private:
    uint16_t Get16(std::size_t offset) const;
    uint32_t Get32(std::size_t offset) const;
    void Set16(std::size_t offset, uint16_t value);
    void Set32(std::size_t offset, uint32_t value);

    std::array<uint8_t, kCapacity> bytes_{};
};

} // namespace corvath
