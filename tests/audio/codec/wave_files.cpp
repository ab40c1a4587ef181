#include "wave_files.h"

#include "audio/model/au_file_stream.h"
#include "audio/wave/ima_adpcm.h"
#include "audio/wave/ms_adpcm.h"
#include "platform/bytes/little_endian.h"
#include "support/run_command.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace corvath::test {

namespace {

std::vector<int16_t> Samples(const std::string& bytes)
{
    std::vector<int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = ReadLeInt16(reinterpret_cast<const uint8_t*>(bytes.data()) + 2 * i);
    return samples;
}

TFmtVerdict AcceptAdpcm(std::span<const uint8_t> fmt)
{
    switch (ReadLe16(fmt.data())) {
    case 0x0011:
        return {wtDVIADPCM, true};
    case 0x0002:
        return {wtMSADPCM, true};
    default:
        return {};
    }
}

TMsAdpcmFormat MsAdpcmFormat(const std::vector<uint8_t>& fmt)
{
    TMsAdpcmFormat format{ReadLe16(&fmt[2]), ReadLe16(&fmt[18]), {}};
    const std::size_t pairs = ReadLe16(&fmt[20]);
    for (std::size_t i = 0; i < pairs && 22 + 4 * i + 4 <= fmt.size(); ++i)
        format.coefficients.push_back(
            {ReadLeInt16(&fmt[22 + 4 * i]), ReadLeInt16(&fmt[24 + 4 * i])});
    return format;
}

} // namespace

std::string ImaAdpcmWav(int channels, uint32_t sampleRate, uint16_t blockAlign, uint32_t frames,
                        std::string_view blocks)
{
    const auto samplesPerBlock =
        static_cast<uint16_t>(ImaAdpcmFramesPerBlock(blockAlign, channels));
    std::string fmt = FmtBody(0x0011, static_cast<uint16_t>(channels), sampleRate, blockAlign, 4);
    fmt.replace(8, 4, Le32(sampleRate / samplesPerBlock * blockAlign));
    const std::string body = "WAVE" + Chunk("fmt ", fmt + Le16(2) + Le16(samplesPerBlock)) +
                             Chunk("fact", Le32(frames)) + Chunk("data", blocks);
    return Chunk("RIFF", body);
}

std::vector<int16_t> DecodeAdpcmFileOurselves(const std::filesystem::path& file)
{
    TAuFileStream stream(file.string(), TAuFileStream::kReadShareRead);
    const TWaveHeader header = ScanWaveHeader(stream, AcceptAdpcm);
    if (header.kind == wtUnsupported || header.fmt.size() < 20)
        throw std::runtime_error("not an ADPCM WAV file: " + file.string());
    const int channels = ReadLe16(&header.fmt[2]);
    const std::size_t blockAlign = ReadLe16(&header.fmt[12]);
    const TMsAdpcmFormat msFormat =
        header.kind == wtMSADPCM ? MsAdpcmFormat(header.fmt) : TMsAdpcmFormat{};

    std::vector<int16_t> samples;
    std::vector<uint8_t> block(blockAlign);
    std::vector<int16_t> frames(2 * 2 * blockAlign + 2 * channels);
    for (std::size_t left = header.dataSize; left > 0;) {
        std::ranges::fill(block, 0);
        const std::size_t read = stream.Read(block.data(), std::min(left, blockAlign));
        if (read == 0)
            break;
        left -= read;
        const std::size_t decoded = header.kind == wtMSADPCM
                                        ? DecodeMsAdpcmBlock(block, msFormat, frames)
                                        : DecodeImaAdpcmBlock(block, channels, frames);
        samples.insert(samples.end(), frames.begin(), frames.begin() + decoded * channels);
    }
    samples.resize(std::min<std::size_t>(samples.size(), header.factFrames * channels));
    return samples;
}

bool ToolInstalled(const std::string& tool)
{
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<int16_t> DecodeWithFfmpeg(const std::filesystem::path& file)
{
    return Samples(RunCommand("ffmpeg -nostdin -v error -i " + Quoted(file) +
                              " -f s16le -acodec pcm_s16le -"));
}

std::vector<int16_t> DecodeWithSox(const std::filesystem::path& file)
{
    return Samples(RunCommand("sox -V1 " + Quoted(file) + " -t raw -e signed -b 16 -L -"));
}

} // namespace corvath::test
