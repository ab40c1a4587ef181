#pragma once

#include "platform/media/asf_wma_encoder.h"
#include "platform/media/wm_media_type.h"
#include "platform/media/wm_profile.h"
#include "platform/media/wm_sample.h"
#include "platform/media/wm_writer_file_sink.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace corvath {

/// Writes a WMA file: a profile says what to encode, the input takes PCM samples, the header
/// attributes become the file's tags, a file sink receives the bytes. Calls that fail return
/// false and leave a readable reason in ErrorText().
///
/// Sample times are the samples' end times in 100 ns. The writer places the sound by the
/// bytes it receives and refuses a sample whose time contradicts them, so a wrong clock cannot
/// silently shift or stretch the file.
class WmWriter {
public:
    WmWriter();
    ~WmWriter();
    WmWriter(const WmWriter&) = delete;
    WmWriter& operator=(const WmWriter&) = delete;

    void AddSink(std::unique_ptr<WmWriterFileSink> sink);

    /// Takes a version 9 profile of one WMA stream (false otherwise); the writer then has one
    /// input, for PCM.
    bool SetProfile(const WmProfile& profile);
    uint32_t InputCount() const { return stream_ ? 1 : 0; }
    /// The input's media type: PCM at the stream's rate and channels until set. input <
    /// InputCount().
    WmMediaType InputProps(uint32_t input) const;
    /// Accepts PCM of 8, 16 or 24 bits in 1 to 8 channels with a consistent wave format record.
    bool SetInputProps(uint32_t input, const WmMediaType& type);

    /// A string attribute of the file (stream 0), one of WmAttributes(); UTF-8.
    bool SetAttribute(uint16_t stream, std::string_view name, std::string_view value);

    /// Opens the encoder and writes the file's header; needs the sink open and the profile and
    /// input set.
    bool BeginWriting();
    WmSample AllocateSample(uint32_t length) const { return WmSample(length); }
    bool WriteSample(uint32_t input, int64_t time, uint32_t flags, const WmSample& sample);
    /// Completes and closes the file.
    bool EndWriting();

    const std::string& ErrorText() const { return errorText_; }

private:
    bool Fail(std::string text);
    /// Whether time is the end of the first bytes of input, written in samples samples.
    bool TimeMatchesBytes(int64_t time, int64_t bytes, int64_t samples) const;

    std::unique_ptr<WmWriterFileSink> sink_;
    std::optional<WmStreamConfig> stream_;
    WmMediaType input_;
    bool inputSet_ = false;
    AsfWmaEncoder::Metadata metadata_;
    std::unique_ptr<AsfWmaEncoder> encoder_;
    int64_t bytesWritten_ = 0;
    int64_t samplesWritten_ = 0;
    std::string errorText_;
};

} // namespace corvath
