#pragma once

#include "audio/filters/samplerate_library.h"
#include "audio/model/au_converter.h"

#include <cstdint>
#include <vector>

namespace corvath {

/// The library's sinc converter a resampler uses.
enum TResamplerQuality : uint8_t { rqBest = 0, rqMedium = 1, rqFastest = 2 };

/// A filter that changes the sample rate of its input through libsamplerate. It works on 16-bit
/// samples: 8-bit input is widened and leaves as 8-bit, 24-bit input leaves as 16-bit. Equal
/// rates pass the data through untouched. It announces the resampled size of its input's and
/// delivers the resampled size of what the input really delivered: when the library produces
/// less, silence fills the rest; when it produces more, the rest is dropped.
///
/// Configured on the main thread while idle; opened, read and closed by the sink's worker.
/// About 16 MiB of buffers live with the object, so opening allocates only the library's state.
class TResampler : public TAuConverter {
public:
    /// Raises EAuException "libsamplerate.so.0 library could not be loaded." unless
    /// SamplerateLibrary() is loaded.
    explicit TResampler(TComponent* owner = nullptr);

    /// Takes effect at the next open; kept while busy.
    TResamplerQuality Quality() const { return quality_; }
    void SetQuality(TResamplerQuality quality);

    /// Hz. 2001 to 999999 are stored, anything else stores 44100; kept while busy.
    uint32_t OutSampleRate() const { return outSampleRate_; }
    void SetOutSampleRate(uint32_t rate);

    /// The input's; 16 for 24-bit input that is resampled. Raises "Input not assigned".
    uint32_t GetBitsPerSample() override;
    /// The input's. Raises "Input not assigned".
    uint32_t GetChannels() override;
    uint32_t GetSampleRate() override { return outSampleRate_; }

protected:
    /// Raises "The component is busy.", "Input not assigned", "Frequences ratio <n> is invalid"
    /// (the ratio rounded to an integer) or "Failed to initialize the resampler".
    void OpenSource() override;
    void CloseSource() override;
    /// Raises the library's error text when a conversion fails.
    AudioChunk ReadChunk(uint32_t wanted) override;

private:
    TAuInput& RequireInput() const;
    /// Sets the library's converter up for the open input and announces the size.
    void StartConverter(TAuInput& input);
    bool PassesThrough() const;
    void Refill();
    void TopUp();
    uint32_t ConvertSlice();
    void NarrowOutputTo8Bits(uint32_t samples);
    /// Bytes this run delivers in all; -1 unknown.
    int64_t DueSize() const;
    void FillSilence();

    bool passThrough_ = false;
    SrcStatePtr state_;
    double ratio_ = 0;
    uint32_t outSampleRate_ = 44100;
    TResamplerQuality quality_ = rqBest;
    uint32_t channels_ = 0;
    uint32_t inBits_ = 0;
    std::vector<int16_t> inPcm_;
    uint32_t inFill_ = 0; // bytes
    std::vector<int16_t> outPcm_;
    uint32_t outNext_ = 0; // bytes
    uint32_t outEnd_ = 0;
    std::vector<float> inFloat_;
    std::vector<float> outFloat_;
    bool inputEnded_ = false;
    bool converterDone_ = false; // the library has given everything it will give
};

} // namespace corvath
