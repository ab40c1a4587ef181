#pragma once

#include "audio/filters/background_loudness.h"
#include "audio/model/au_converter.h"

#include <cstdint>
#include <optional>

namespace corvath {

/// A filter that passes its input through untouched (the same format, the same bytes, not
/// copied) and measures the loudness of what it passes, on a thread beside the reader's: each
/// open starts a fresh measurement.
///
/// Opened, read and closed by the sink's worker; TakeMeasurement on the main thread once the run
/// has ended.
class TLoudnessMeter : public TAuConverter {
public:
    /// Raises EAuException "libebur128.so.1 library could not be loaded." unless
    /// Ebur128Library() is available.
    explicit TLoudnessMeter(TComponent* owner = nullptr);

    /// The input's; 0 without one.
    uint32_t GetBitsPerSample() override;
    uint32_t GetChannels() override;
    uint32_t GetSampleRate() override;
    uint32_t GetTotalSeconds() override;
    int64_t GetSampleCount() override;

    /// The measurement of the last run when that run read its input to the end, moved out (a
    /// second call gives nothing); nothing after a run that was stopped early or never opened.
    std::optional<TrackLoudness> TakeMeasurement();

    /// The loudness of the run under way once its input has ended, for the sink's completed-file
    /// step; nothing before. Sink's worker.
    std::optional<Loudness> FinishedLoudness();

protected:
    /// Raises EAuException "Input not assigned", the input's reason for not opening, or
    /// TrackLoudness's refusal of the input's format.
    void OpenSource() override;
    void CloseSource() override;
    AudioChunk ReadChunk(uint32_t wanted) override;

private:
    std::optional<BackgroundLoudness> measurement_;
    uint32_t bits_ = 0;
    bool inputEnded_ = false;
};

} // namespace corvath
