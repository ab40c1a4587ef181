#pragma once

#include "audio/model/au_tagged_file_out.h"
#include "platform/media/wm_stream_config.h"
#include "platform/media/wm_writer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvath {

/// Encodes its input (8-, 16- or 24-bit PCM, any rate) into a WMA file through the Windows Media
/// writer, which converts it to the chosen format. The format is CodecIndex/FormatIndex of the
/// lists Codecs() and Formats() show; with CodecIndex -1 the output searches for the format
/// nearest DesiredBitrate (or VBRQuality when VBR). The ID3v2 tags become header attributes.
/// Writes its file itself: an attached stream is not used, and FileMode stays foRewrite.
///
/// Threads: construction, the setters, Codecs() and Formats() belong to the main thread; the
/// setters keep the old value while a run is on. The writer runs on the sink's worker.
class TWMAOut : public TAuTaggedFileOut {
public:
    explicit TWMAOut(TComponent* owner = nullptr);
    ~TWMAOut() override;

    /// Wanted bit rate for the search; below 1000 it counts as kbit/s.
    uint32_t DesiredBitrate() const { return desiredBitrate_; }
    void SetDesiredBitrate(uint32_t bitrate);
    /// Searches or lists lossless formats.
    bool Lossless() const { return lossless_; }
    void SetLossless(bool lossless);
    /// Searches or lists variable-bit-rate formats.
    bool VBR() const { return vbr_; }
    void SetVBR(bool vbr);
    /// Wanted quality of the variable-bit-rate search.
    uint8_t VBRQuality() const { return vbrQuality_; }
    void SetVBRQuality(uint8_t quality);

    /// Index into Codecs(); -1 searches instead.
    int32_t CodecIndex() const { return codecIndex_; }
    void SetCodecIndex(int32_t index);
    /// Index into Formats(CodecIndex()).
    int32_t FormatIndex() const { return formatIndex_; }
    void SetFormatIndex(int32_t index);

    /// The installed audio codecs' names, listed at construction.
    const std::vector<std::string>& Codecs() const { return codecs_; }
    /// The descriptions of a codec's formats (variable-bit-rate ones when VBR or Lossless);
    /// empty for an index out of range. The list is rebuilt by each call.
    const std::vector<std::string>& Formats(int32_t codecIndex);

protected:
    void StartFile(TAuInput& input) override;
    bool WriteStep(bool abort) override;
    void EndFile() override;
    void AbortOutput() override;

private:
    void OpenFile();
    void SetProfileByIndex();
    void SetProfileByTarget(uint32_t target);
    /// Adds the stream to an empty profile, sets it on the writer and the input format.
    void UseStream(WmStreamConfig stream);
    void SetInputFormat();
    void WriteAttributes();
    void ReleaseWriter();

    uint32_t desiredBitrate_ = 0;
    bool lossless_ = false;
    bool vbr_ = false;
    uint8_t vbrQuality_ = 0;
    int32_t codecIndex_ = -1;
    int32_t formatIndex_ = 0;
    std::vector<std::string> codecs_;
    std::vector<std::string> formats_;

    // Per file, from StartFile to EndFile (or AbortOutput).
    std::unique_ptr<WmWriter> writer_;
    uint32_t inputNumber_ = 0;
    uint32_t averageBytesPerSecond_ = 0;
    int64_t sampleTime_ = 0; // end of the last sample, in 100 ns
    std::vector<uint8_t> pcm_;
    bool inputEnded_ = false;
};

} // namespace corvath
