// Feeds arbitrary bytes to the WAV reader as a file in memory, reads it to the end and seeks in
// it. A clean EAuException is an accepted answer; a crash, a sanitizer report, another
// exception or a reader that never ends is a bug.

#include "audio/model/au_exception.h"
#include "audio/model/memory_stream.h"
#include "audio/wave/wave_in.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using corvath::TWaveIn;

// Mixed read sizes: odd ones, frame multiples, and more than the reader buffers at once.
constexpr std::array<uint32_t, 6> kReadSizes = {4096, 1, 1000, 65536, 3, 16384};

// A WAV file decodes to a bounded multiple of its size (ADPCM to about 4x, MPEG audio to far
// less than this); a reader delivering more goes round in circles or inflates the sound.
constexpr uint64_t kMaxExpansion = 256;
constexpr uint64_t kExpansionSlack = 1 << 20;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "wave_in_fuzzer: %s\n", what);
    std::abort();
}

// Never less than a frame: a smaller request reads as the end of the data.
uint32_t ReadSize(std::size_t call, const TWaveIn& in)
{
    return std::max<uint32_t>(kReadSizes[call % kReadSizes.size()], in.FrameBytes());
}

// Reads until the end or until limit chunks came; returns the bytes delivered.
uint64_t ReadChunks(TWaveIn& in, uint64_t byteBound, std::size_t limit)
{
    uint64_t delivered = 0;
    for (std::size_t call = 0; call < limit; ++call) {
        const corvath::AudioChunk chunk = in.ReadData(ReadSize(call, in));
        if (chunk.data == nullptr || chunk.bytes == 0)
            break;
        delivered += chunk.bytes;
        if (delivered > byteBound)
            Fail("the reader delivered far more than the file can hold");
    }
    return delivered;
}

void Exercise(TWaveIn& in, std::size_t fileBytes)
{
    if (!in.IsValid())
        return;
    (void)in.WavType();
    (void)in.GetChannels();
    (void)in.GetBitsPerSample();
    (void)in.GetSampleRate();
    (void)in.GetTotalSeconds();
    const int64_t frames = in.GetSampleCount();
    const uint64_t bound = kMaxExpansion * fileBytes + kExpansionSlack;

    // One whole run, never past what the reader announced.
    in.BeginRead();
    const int64_t announced = in.Size();
    const uint64_t delivered = ReadChunks(in, bound, SIZE_MAX);
    if (announced > 0 && delivered > static_cast<uint64_t>(announced))
        Fail("the reader delivered more than it announced");
    in.EndRead();
    if (frames <= 0)
        return;

    // A second run from a start frame, with a seek while busy.
    const auto someFrame = [&](uint64_t salt) {
        return static_cast<int64_t>((fileBytes * salt) % static_cast<uint64_t>(frames + 1));
    };
    (void)in.SeekTo(someFrame(1));
    in.BeginRead();
    ReadChunks(in, bound, 2);
    (void)in.SeekTo(someFrame(7));
    ReadChunks(in, bound, SIZE_MAX);
    in.EndRead();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    corvath::TMemoryStream file;
    file.Write(data, size);
    file.SetPosition(0);
    auto in = corvath::MakeComponent<TWaveIn>();
    in->SetStream(&file);
    try {
        Exercise(*in, size);
    } catch (const corvath::EAuException&) {
        // A clean refusal of a broken file.
    }
    return 0;
}
