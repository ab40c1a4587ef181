#include "support/audio_tools.h"

#include "audio/model/au_file_stream.h"
#include "audio/wave/wave_header_scanner.h"
#include "support/run_command.h"

#include <atomic>
#include <cmath>

namespace corvath::test {

bool HaveTool(const std::string& name)
{
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<int16_t> Samples16(const std::string& bytes)
{
    std::vector<int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                          static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    return samples;
}

std::vector<int16_t> FfmpegDecode(const std::filesystem::path& file)
{
    return Samples16(RunCommand("ffmpeg -v error -i '" + file.string() +
                                "' -f s16le -acodec pcm_s16le - 2>/dev/null"));
}

std::filesystem::path Sox(const std::filesystem::path& file, const std::string& options,
                          const std::string& seconds, const std::string& sound)
{
    RunCommand("sox -n " + options + " " + Quoted(file) + " synth " + seconds + " " + sound +
               " 2>&1");
    return file;
}

std::vector<int16_t> SoxDecode(const std::filesystem::path& file)
{
    return Samples16(
        RunCommand("sox '" + file.string() + "' -t raw -e signed -b 16 - 2>/dev/null"));
}

std::string ZlibCrc32(const std::filesystem::path& file)
{
    std::string crc = RunCommand("python3 -c 'import sys, zlib; print(\"%08X\" % "
                                 "zlib.crc32(open(sys.argv[1], \"rb\").read()))' " +
                                 Quoted(file) + " 2>/dev/null");
    if (!crc.empty())
        crc.pop_back();
    return crc;
}

std::string WaveData(const std::filesystem::path& file)
{
    TAuFileStream stream(file.string(), TAuFileStream::kReadShareRead);
    const TWaveHeader header = ScanWaveHeader(stream, [](std::span<const uint8_t>) {
        return TFmtVerdict{wtPCM, false};
    });
    std::string data(header.dataSize, '\0');
    data.resize(stream.Read(data.data(), data.size()));
    return data;
}

std::vector<int16_t> ChannelOf(const std::vector<int16_t>& interleaved, uint32_t channels,
                               uint32_t channel)
{
    std::vector<int16_t> samples;
    for (std::size_t i = channel; i < interleaved.size(); i += channels)
        samples.push_back(interleaved[i]);
    return samples;
}

double ToneFrequency(const std::vector<int16_t>& samples, uint32_t sampleRate)
{
    constexpr int16_t kBand = 1000;
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t crossings = 0;
    bool below = false;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] < -kBand) {
            below = true;
        } else if (below && samples[i] > kBand) {
            below = false;
            if (crossings++ == 0)
                first = i;
            last = i;
        }
    }
    return crossings < 2 ? 0 : (crossings - 1) * double(sampleRate) / double(last - first);
}

double Rms(const std::vector<int16_t>& samples)
{
    double sum = 0;
    for (const int16_t sample : samples)
        sum += double(sample) * sample;
    return samples.empty() ? 0 : std::sqrt(sum / double(samples.size())) / 32768;
}

std::string AudioRunFixture::Run(TAuOutput& sink)
{
    std::atomic<bool> done{false};
    sink.SetOnDone([&](TAuOutput*) { done = true; });
    sink.Start();
    const bool ended = PumpUntil([&] { return done.load(); }, std::chrono::seconds(60));
    sink.SetOnDone(nullptr);
    return ended ? sink.LastError() : "timeout";
}

} // namespace corvath::test
