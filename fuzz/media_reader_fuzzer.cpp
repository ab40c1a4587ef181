// Feeds arbitrary bytes to the Windows Media / MP3 reader as a file in memory, reads its tags,
// reads it to the end and seeks in it. A clean EAuException is an accepted answer; a crash, a
// sanitizer report, another exception, more bytes than the reader announced or a reader that
// never ends is a bug.

#include "audio/model/au_exception.h"
#include "audio/model/memory_stream.h"
#include "codecs/wma/wm_in.h"

extern "C" {
#include <libavutil/log.h>
}

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using corvath::TWMIn;

// Mixed read sizes: odd ones, frame multiples, and more than one decoded buffer holds.
constexpr std::array<uint32_t, 6> kReadSizes = {4096, 1, 1000, 65536, 3, 16384};

// A file without a duration has no announced size; decoding that much of it is enough.
constexpr uint64_t kUnannouncedLimit = uint64_t{32} << 20;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "media_reader_fuzzer: %s\n", what);
    std::abort();
}

// Reads until the end or until limit chunks came; returns the bytes delivered.
uint64_t ReadChunks(TWMIn& in, std::size_t limit)
{
    const int64_t announced = in.Size();
    uint64_t delivered = 0;
    for (std::size_t call = 0; call < limit; ++call) {
        const corvath::AudioChunk chunk = in.ReadData(kReadSizes[call % kReadSizes.size()]);
        if (chunk.data == nullptr || chunk.bytes == 0)
            break;
        delivered += chunk.bytes;
        if (announced > 0 && delivered > static_cast<uint64_t>(announced))
            Fail("the reader delivered more than it announced");
        if (announced <= 0 && delivered > kUnannouncedLimit)
            break;
    }
    return delivered;
}

void Exercise(TWMIn& in)
{
    const corvath::TId3v2Tags& tags = in.Id3v2Tags();
    (void)tags.Title();
    (void)tags.Artist();
    if (!in.IsValid())
        return;
    (void)in.GetChannels();
    (void)in.GetBitsPerSample();
    (void)in.GetSampleRate();
    (void)in.GetTotalSeconds();
    const int64_t frames = in.GetSampleCount();

    in.BeginRead();
    ReadChunks(in, SIZE_MAX);
    in.EndRead();
    if (frames <= 0)
        return;

    // A second run from a start frame, with seeks while busy.
    (void)in.SeekTo(frames / 3);
    in.BeginRead();
    ReadChunks(in, 2);
    (void)in.SeekTo(frames / 2);
    ReadChunks(in, 4);
    (void)in.SeekTo(0);
    ReadChunks(in, SIZE_MAX);
    in.EndRead();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    av_log_set_level(AV_LOG_QUIET); // FFmpeg would describe every broken input at length
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    corvath::TMemoryStream file;
    file.Write(data, size);
    file.SetPosition(0);
    auto in = corvath::MakeComponent<TWMIn>();
    in->SetStream(&file);
    try {
        Exercise(*in);
    } catch (const corvath::EAuException&) {
        // A clean refusal: a protected file.
    }
    return 0;
}
