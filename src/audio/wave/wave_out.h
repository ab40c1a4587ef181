#pragma once

#include "audio/model/au_file_out.h"
#include "audio/wave/ima_adpcm.h"
#include "audio/wave/wav_type.h"

#include <cstdint>
#include <vector>

namespace corvath {

/// Writes RIFF WAVE files, plain PCM or IMA ADPCM, and appends to an existing file of the same
/// format. The header first holds the input's announced size and is patched at the end to what
/// really came. WAV size fields are 32-bit: an input known to be too large is refused before the
/// file is touched, and a run that grows past the limit fails.
class TWaveOut : public TAuFileOut {
public:
    using TAuFileOut::TAuFileOut;

    TWavType WavType() const { return wavType_; }
    /// Only wtPCM and wtDVIADPCM, and only while idle.
    void SetWavType(TWavType type);

    /// Bytes per IMA ADPCM block; only multiples of 4 above 0, and only while idle.
    uint16_t BlockSize() const { return blockSize_; }
    void SetBlockSize(uint16_t bytes);

    void SetFileMode(TFileOutputMode mode) override { StoreFileMode(mode); }

protected:
    void CheckInput(TAuInput& input) override;
    void StartFile(TAuInput& input) override;
    bool WriteStep(bool abort) override;
    void EndFile() override;

private:
    // What parsing an existing file for appending found.
    struct ExistingFile {
        TWavType kind = wtUnsupported;
        uint32_t sampleRate = 0;
        uint16_t channels = 0;
        uint16_t bitsPerSample = 0;
        uint16_t blockAlign = 0;
        int64_t factValueOffset = -1;
        int64_t dataSizeOffset = -1;
        int64_t dataStart = 0;
        uint32_t dataSize = 0;
    };

    /// The file to append to, or "Cannot append data to this .wav file.".
    ExistingFile ParseExisting();
    /// Puts the stream where the existing data ends, or refuses a file with chunks after it.
    void GoToEndOfData();
    void PreparePcm(bool appending, const ExistingFile& existing);
    void PrepareImaAdpcm(bool appending, const ExistingFile& existing);
    bool WritePcmStep();
    bool WriteImaAdpcmStep();
    void WriteAt(int64_t offset, uint32_t value);
    void CountData(uint32_t bytes);
    uint32_t SamplesPerBlock(uint16_t channels) const;

    TWavType wavType_ = wtPCM;
    uint16_t blockSize_ = 512;
    bool appending_ = false;
    bool inputEnded_ = false;
    uint16_t channels_ = 0; // of the IMA ADPCM blocks being written
    ExistingFile existing_;
    int64_t dataBytes_ = 0;      // data chunk bytes this file will hold when the run ends
    uint32_t paddingFrames_ = 0; // silent frames that fill the last IMA ADPCM block
    TImaAdpcmEncoder encoder_;
    std::vector<int16_t> pcmBlock_;
    std::vector<uint8_t> adpcmBlock_;
};

} // namespace corvath
