#include "cd/wave_normalizer.h"

#include "audio/model/au_file_stream.h"
#include "audio/wave/pcm_wave_header.h"
#include "platform/bytes/little_endian.h"

#include <array>
#include <cmath>
#include <exception>
#include <system_error>

namespace corvath {

namespace {

constexpr std::size_t kBlockBytes = 2048;

// The product of a 16-bit sample and a single-precision gain is exact in double precision, so
// the only rounding is the one to an integer (ties to even in the default rounding mode).
void ScaleSamples(uint8_t* bytes, std::size_t count, float gain)
{
    for (std::size_t i = 0; i + 1 < count; i += 2) {
        const int16_t sample = ReadLeInt16(bytes + i);
        const long scaled = std::lrint(static_cast<double>(sample) * static_cast<double>(gain));
        WriteLe16(bytes + i, static_cast<uint16_t>(scaled & 0xFFFF));
    }
}

// False when stopped before the copy was complete.
bool CopyScaled(const std::filesystem::path& wav, const std::filesystem::path& temp, float gain,
                const std::function<void(int32_t)>& onProgress, const std::stop_token& stop)
{
    TAuFileStream in(wav.string(), TAuFileStream::kReadShareRead);
    TAuFileStream out(temp.string(), TAuFileStream::kCreate);
    const int64_t size = in.Size();
    std::array<uint8_t, kBlockBytes> block{};
    const std::size_t header = in.Read(block.data(), kPcmWaveHeaderBytes);
    out.Write(block.data(), header);
    int64_t processed = kPcmWaveHeaderBytes;
    std::size_t got = 0;
    do {
        if (stop.stop_requested())
            return false;
        onProgress(size > 0 ? static_cast<int32_t>(processed * 100 / size) : 0);
        got = in.Read(block.data(), block.size());
        processed += static_cast<int64_t>(got);
        ScaleSamples(block.data(), got, gain);
        out.Write(block.data(), got);
    } while (got > 0);
    return true;
}

} // namespace

std::filesystem::path NormalizerTempFile(const std::filesystem::path& wav)
{
    return std::filesystem::path(wav).replace_extension(".nor");
}

std::optional<std::string> NormalizeWave(const std::filesystem::path& wav, int32_t percent,
                                         const std::function<void(int32_t progress)>& onProgress,
                                         const std::stop_token& stop)
{
    const std::filesystem::path temp = NormalizerTempFile(wav);
    std::error_code ignored;
    try {
        if (!CopyScaled(wav, temp, static_cast<float>(percent) / 100.0f, onProgress, stop)) {
            std::filesystem::remove(temp, ignored);
            return std::nullopt;
        }
    } catch (const std::exception& failure) {
        std::filesystem::remove(temp, ignored);
        return failure.what();
    }
    if (std::filesystem::remove(wav, ignored))
        std::filesystem::rename(temp, wav, ignored);
    return std::nullopt;
}

} // namespace corvath
