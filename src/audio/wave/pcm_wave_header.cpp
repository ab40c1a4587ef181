#include "audio/wave/pcm_wave_header.h"

#include "platform/bytes/little_endian.h"

#include <algorithm>

namespace corvath {

std::array<uint8_t, kPcmWaveHeaderBytes> PcmWaveHeader(uint16_t channels, uint32_t sampleRate,
                                                       uint16_t bitsPerSample, uint32_t dataSize)
{
    std::array<uint8_t, kPcmWaveHeaderBytes> header{};
    const auto blockAlign = static_cast<uint16_t>(channels * bitsPerSample / 8);
    std::copy_n("RIFF", 4, header.begin());
    WriteLe32(&header[4], dataSize + kPcmWaveHeaderBytes - 8);
    std::copy_n("WAVEfmt ", 8, header.begin() + 8);
    WriteLe32(&header[16], 16);
    WriteLe16(&header[20], 1);
    WriteLe16(&header[22], channels);
    WriteLe32(&header[24], sampleRate);
    WriteLe32(&header[28], sampleRate * blockAlign);
    WriteLe16(&header[32], blockAlign);
    WriteLe16(&header[34], bitsPerSample);
    std::copy_n("data", 4, header.begin() + 36);
    WriteLe32(&header[40], dataSize);
    return header;
}

} // namespace corvath
