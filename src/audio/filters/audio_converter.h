#pragma once

#include "audio/model/au_converter.h"

#include <cstdint>
#include <vector>

namespace corvath {

/// Where a mono signal goes when stereo is produced.
enum TMSConverterMode : uint8_t {
    msmMonoToBoth = 0,
    msmMonoToLeft = 1,  ///< left channel the sample, right channel silent
    msmMonoToRight = 2, ///< right channel the sample, left channel silent
};

/// A filter that changes the sample size (8 unsigned, 16 or 24 signed bits) and the channel
/// count (1 or 2) of the PCM flowing through it; the sample rate passes unchanged.
///
/// Shrinking conversions of 8- and 16-bit input work in the input's own buffer; the others copy
/// once into a buffer of the filter's own. Size() is the input's size in whole output frames
/// (-1 when the input's is unknown), and exactly that many bytes are delivered when the input
/// delivers what it announces.
///
/// Properties are set on the main thread while the filter is idle and take effect at the next
/// open (changes asked during a run are refused); the reads come from the sink's worker under
/// the data lock.
class TAudioConverter : public TAuConverter {
public:
    using TAuConverter::TAuConverter;

    TMSConverterMode Mode() const { return mode_; }
    void SetMode(TMSConverterMode mode) { SetWhileIdle(mode_, mode); }
    /// 0 (the input's), 8, 16 or 24; other values raise EAuException.
    uint32_t OutBitsPerSample() const { return outBits_; }
    void SetOutBitsPerSample(uint32_t bits);
    /// 0 (the input's), 1 or 2; other values raise EAuException.
    uint32_t OutChannels() const { return outChannels_; }
    void SetOutChannels(uint32_t channels);

    uint32_t GetBitsPerSample() override;
    uint32_t GetChannels() override;
    uint32_t GetSampleRate() override;

protected:
    /// Raises EAuException without Input, or when a conversion is asked of an input format no
    /// step handles (the run then delivers nothing).
    void OpenSource() override;
    void CloseSource() override;
    AudioChunk ReadChunk(uint32_t wanted) override;

private:
    uint32_t Refill();
    uint32_t Convert(uint8_t* data, uint32_t bytes) const;

    TMSConverterMode mode_ = msmMonoToBoth;
    uint32_t outBits_ = 0;
    uint32_t outChannels_ = 0;

    // Working state of one run.
    uint32_t inBits_ = 0;
    uint32_t inChannels_ = 0;
    uint32_t runBits_ = 0;
    uint32_t runChannels_ = 0;
    uint32_t inFrameBytes_ = 0;
    uint32_t chunkBytes_ = 0;
    bool inPlace_ = false;
    bool inputEnded_ = false;
    std::vector<uint8_t> own_;
    uint8_t* window_ = nullptr;
    uint32_t next_ = 0;
    uint32_t end_ = 0;
};

} // namespace corvath
