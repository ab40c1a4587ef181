#pragma once

#include "audio/model/au_tagged_file_out.h"
#include "codecs/mp3/lame_library.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace corvath {

/// Constant bit rates in kbit/s, by ordinal.
enum TMP3BitRate : uint8_t {
    br8,
    br16,
    br24,
    br32,
    br40,
    br48,
    br56,
    br64,
    br80,
    br96,
    br112,
    br128,
    br144,
    br160,
    br192,
    br224,
    br256,
    br320
};

/// Encoder quality 0 (best) to 9 (fastest).
enum TMP3Quality : uint8_t { ql0, ql1, ql2, ql3, ql4, ql5, ql6, ql7, ql8, ql9 };

/// Output sample rate; srDefault leaves the choice to the library.
enum TMP3SampleRate : uint8_t { srDefault, sr32kHz, sr41kHz, sr48kHz };

/// Channel mode for two-channel input; the ordinals are the library's.
enum TMP3Mode : uint8_t { STEREO, JOINT_STEREO, DUAL_CHANNEL, MONO };

/// Encodes 16-bit mono or stereo PCM into an MPEG audio layer III file with LAME. It writes no
/// tag of its own. When the library reserved a VBR/Info header frame, that frame is filled in
/// after the last one (seekable targets holding some sound only).
///
/// Threads: construction, destruction and the setters belong to the main thread; the setters
/// keep the old value while a run is on. The properties are read by StartFile on the worker;
/// that run may exchange VBRMinBitrate and VBRMaxBitrate when they are the wrong way round.
class TMP3Out : public TAuTaggedFileOut {
public:
    /// Raises EAuException "libmp3lame.so.0 library could not be loaded." (the file name looked
    /// for) when the library is missing; the output is not made then.
    explicit TMP3Out(TComponent* owner = nullptr);

    TMP3BitRate BitRate() const { return bitRate_; }
    void SetBitRate(TMP3BitRate rate);
    /// Quality in constant-bit-rate mode.
    TMP3Quality Quality() const { return quality_; }
    void SetQuality(TMP3Quality quality);
    TMP3SampleRate SampleRate() const { return sampleRate_; }
    void SetSampleRate(TMP3SampleRate rate);
    /// Ignored for mono input, which is always encoded as MONO.
    TMP3Mode Mode() const { return mode_; }
    void SetMode(TMP3Mode mode);

    bool CRC() const { return crc_; }
    void SetCRC(bool on);
    bool Copyright() const { return copyright_; }
    void SetCopyright(bool on);
    bool Original() const { return original_; }
    void SetOriginal(bool on);

    /// Asks the library for a VBR header frame; VBR mode only.
    bool WriteVBRHeader() const { return writeVBRHeader_; }
    void SetWriteVBRHeader(bool on);
    bool EnableVBR() const { return enableVBR_; }
    void SetEnableVBR(bool on);
    TMP3Quality VBRQuality() const { return vbrQuality_; }
    void SetVBRQuality(TMP3Quality quality);
    /// kbit/s.
    int32_t VBRMinBitrate() const { return vbrMinBitrate_.load(); }
    void SetVBRMinBitrate(int32_t kbps);
    int32_t VBRMaxBitrate() const { return vbrMaxBitrate_.load(); }
    void SetVBRMaxBitrate(int32_t kbps);

protected:
    void CheckInput(TAuInput& input) override;
    void StartFile(TAuInput& input) override;
    bool WriteStep(bool abort) override;
    void EndFile() override;
    void AbortOutput() override;

private:
    /// Creates the handle, passes every parameter and sizes the steps.
    void OpenEncoder(TAuInput& input);
    int EncodeChunk(const AudioChunk& chunk);
    void WriteFrames(int bytes);
    /// Writes the library's final VBR/Info frame over the placeholder it left at the start.
    void CompleteHeaderFrame();
    void ReleaseEncoder();

    TMP3BitRate bitRate_ = br128;
    TMP3Quality quality_ = ql5;
    TMP3SampleRate sampleRate_ = srDefault;
    TMP3Mode mode_ = STEREO;
    bool crc_ = false;
    bool copyright_ = false;
    bool original_ = true;
    bool writeVBRHeader_ = false;
    bool enableVBR_ = false;
    TMP3Quality vbrQuality_ = ql5;
    std::atomic<int32_t> vbrMinBitrate_{128}; // both exchanged by the worker
    std::atomic<int32_t> vbrMaxBitrate_{192};

    LameLibraryUse library_; // before the encoder, which needs the library to close

    // Per file, from StartFile to EndFile (or AbortOutput).
    LameHandle encoder_;
    std::vector<uint8_t> frameBuffer_;
    std::vector<int16_t> stereo_; // mono samples doubled into left/right pairs
    uint32_t stepBytes_ = 0;
    int64_t startPosition_ = 0; // where the stream's MP3 data begins
    bool encodedAudio_ = false;
};

} // namespace corvath
