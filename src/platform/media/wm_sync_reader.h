#pragma once

#include "platform/acm/av_handles.h"
#include "platform/acm/s16_frame_converter.h"
#include "platform/media/av_format_handles.h"
#include "platform/media/avio_stream_adapter.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvath {

/// The PCM an audio output delivers: interleaved signed 16-bit little-endian samples.
struct WmWaveFormat {
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t bitsPerSample = 16;
};

/// What SetReadStreamSamples answers.
enum class WmReadSamples { kDecoded, kProtected, kFailed };

/// Decodes a Windows Media (ASF) or MP3 file from a stream with FFmpeg, in the manner of
/// the Windows Media synchronous reader: outputs are the container's streams (stream number =
/// output + 1), the chosen audio output is decoded to 16-bit PCM buffer by buffer, header
/// attributes are read by name, and reading can restart at a time.
class WmSyncReader {
public:
    WmSyncReader() = default;
    WmSyncReader(const WmSyncReader&) = delete;
    WmSyncReader& operator=(const WmSyncReader&) = delete;

    /// Opens the container that the adapter presents; the reader keeps the adapter until Close
    /// or its own end. False when FFmpeg does not recognise the data.
    bool OpenStream(std::unique_ptr<AvioStreamAdapter> adapter);
    /// The streams of the open file (0 when none is open).
    uint32_t OutputCount() const;
    /// The PCM format of an output that carries audio this reader can decode; nothing for
    /// other outputs.
    std::optional<WmWaveFormat> OutputWaveFormat(uint32_t output) const;
    /// Chooses the output whose samples GetNextSample delivers; false unless it carries audio.
    bool SetOutputProps(uint32_t output);
    uint16_t StreamNumberForOutput(uint32_t output) const
    {
        return static_cast<uint16_t>(output + 1);
    }
    /// Asks for the decoded samples of the chosen output's stream (compressed samples are not
    /// offered). kProtected for encrypted content.
    WmReadSamples SetReadStreamSamples(uint16_t streamNumber, bool compressed);

    /// The next buffer of decoded samples of the stream, valid until the next call, SetRange
    /// or Close; nothing at the end of the stream.
    std::optional<std::span<uint8_t>> GetNextSample(uint16_t streamNumber);
    /// Restarts reading at start (units of 100 ns), to the sample. False when FFmpeg cannot
    /// seek in the file.
    bool SetRange(uint64_t start);

    /// The "Duration" attribute in units of 100 ns; nothing when the container does not tell.
    std::optional<uint64_t> Duration() const;
    /// A text attribute such as "Author" or "WM/AlbumTitle" ("" when absent).
    std::string Attribute(std::string_view name) const;

    void Close();

private:
    AVStream* ChosenStream() const;
    bool StartDecoder();
    /// Forgets what was decoded: the next sample comes from where the file is read now.
    void RestartDecoding();
    /// Decodes until at least one sample is in pcm_ or the stream ends; false at the end.
    bool DecodeSome();
    /// Sends the next packet of the chosen stream, or the end of the stream.
    void FeedDecoder();
    void TakeFrame();

    std::unique_ptr<AvioStreamAdapter> adapter_;
    AvFormatInputPtr format_;
    bool encrypted_ = false;
    int output_ = -1;
    WmWaveFormat outputFormat_;
    AvCodecContextPtr decoder_;
    AvPacketPtr packet_;
    AvFramePtr frame_;
    std::optional<S16FrameConverter> converter_;
    bool endSent_ = false;
    bool drained_ = false;
    /// After SetRange: decoded samples before this time (stream time base) are dropped.
    std::optional<int64_t> dropBefore_;
    /// The time stamp of the first decoded sample (stream time base).
    std::optional<int64_t> origin_;
    /// pcm_ holds a buffer decoded ahead that GetNextSample has not handed out yet.
    bool pending_ = false;
    std::vector<uint8_t> pcm_;
};

} // namespace corvath
