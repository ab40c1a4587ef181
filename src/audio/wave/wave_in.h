#pragma once

#include "audio/model/au_file_in.h"
#include "audio/model/memory_stream.h"
#include "audio/wave/ms_adpcm.h"
#include "audio/wave/wav_type.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace corvath {

/// Reads RIFF WAVE files: PCM (8, 16, 24 bit) as stored, IMA ADPCM and Microsoft ADPCM decoded
/// to 16 bits, and MPEG layer 3 inside WAV decoded whole into memory when the file opens.
/// Delivers exactly the bytes it announces: a last block's padding and chunks after the data
/// never reach the sink. A data size of 0xFFFFFFFF (as written to a pipe), or one that runs past
/// the end of the file, means the sound runs to the end of the file; so does an ADPCM fact
/// chunk claiming more frames than the file's blocks hold.
class TWaveIn : public TAuFileIn {
public:
    using TAuFileIn::TAuFileIn;

    /// The coding found in the file (opens it first).
    TWavType WavType();

protected:
    void EnsureOpen() override;
    void ReleaseFile() override;
    AudioChunk ReadChunk(uint32_t wanted) override;
    bool SeekSource(int64_t& frame) override;

private:
    bool ReadHeader(TAudioStream& stream);
    /// Sets the sizes from the data chunk's stored size.
    void SizePcmData(TAudioStream& stream, uint32_t dataSize);
    /// Limits an ADPCM file's size to what its blocks can decode to.
    void SizeAdpcmData(TAudioStream& stream);
    bool CheckFormat();
    bool DecodeWithConverter();
    TAudioStream* DataStream() const;
    uint32_t Refill();
    bool ReadBlock();

    TWavType wavType_ = wtUnsupported;
    uint16_t blockAlign_ = 0;
    uint32_t samplesPerBlock_ = 0;
    uint32_t factFrames_ = 0;
    uint16_t fmtBits_ = 0;
    TMsAdpcmFormat msAdpcm_;
    int64_t dataStart_ = 0;
    std::vector<uint8_t> buffer_;
    std::vector<uint8_t> block_;
    std::unique_ptr<TMemoryStream> decoded_; // the whole file as PCM WAV, for wtACM
};

} // namespace corvath
