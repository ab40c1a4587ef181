#include "platform/cdrom/images/flac_sectors.h"

#include "platform/bytes/little_endian.h"
#include "platform/dynlib/codec_library.h"

#include <FLAC/stream_decoder.h>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace corvath {

namespace {

struct FlacDecoderApi {
    decltype(&FLAC__stream_decoder_new) decoderNew = nullptr;
    decltype(&FLAC__stream_decoder_delete) decoderDelete = nullptr;
    decltype(&FLAC__stream_decoder_init_stream) initStream = nullptr;
    decltype(&FLAC__stream_decoder_process_single) processSingle = nullptr;
    decltype(&FLAC__stream_decoder_seek_absolute) seekAbsolute = nullptr;
    decltype(&FLAC__stream_decoder_get_state) getState = nullptr;
    decltype(&FLAC__stream_decoder_flush) flush = nullptr;
};

CodecLibrary<FlacDecoderApi>& DecoderLibrary()
{
    static CodecLibrary<FlacDecoderApi> library(
        "libFLAC.so.12", [](const DynamicLibrary& library, FlacDecoderApi& api) {
            return library.Resolve("FLAC__stream_decoder_new", api.decoderNew) &&
                   library.Resolve("FLAC__stream_decoder_delete", api.decoderDelete) &&
                   library.Resolve("FLAC__stream_decoder_init_stream", api.initStream) &&
                   library.Resolve("FLAC__stream_decoder_process_single", api.processSingle) &&
                   library.Resolve("FLAC__stream_decoder_seek_absolute", api.seekAbsolute) &&
                   library.Resolve("FLAC__stream_decoder_get_state", api.getState) &&
                   library.Resolve("FLAC__stream_decoder_flush", api.flush);
        });
    return library;
}

const FlacDecoderApi& Api()
{
    return DecoderLibrary().Functions();
}

FlacSectors& Self(void* client)
{
    return *static_cast<FlacSectors*>(client);
}

FLAC__StreamDecoderReadStatus ReadBytes(const FLAC__StreamDecoder*, FLAC__byte buffer[],
                                        size_t* bytes, void* client)
{
    ssize_t got = -1;
    do {
        got = ::read(Self(client).Fd(), buffer, *bytes);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        *bytes = 0;
        return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    }
    *bytes = static_cast<size_t>(got);
    return got == 0 ? FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM
                    : FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
}

FLAC__StreamDecoderSeekStatus SeekTo(const FLAC__StreamDecoder*, FLAC__uint64 offset, void* client)
{
    return ::lseek(Self(client).Fd(), static_cast<off_t>(offset), SEEK_SET) < 0
               ? FLAC__STREAM_DECODER_SEEK_STATUS_ERROR
               : FLAC__STREAM_DECODER_SEEK_STATUS_OK;
}

FLAC__StreamDecoderTellStatus Tell(const FLAC__StreamDecoder*, FLAC__uint64* offset, void* client)
{
    const off_t at = ::lseek(Self(client).Fd(), 0, SEEK_CUR);
    if (at < 0)
        return FLAC__STREAM_DECODER_TELL_STATUS_ERROR;
    *offset = static_cast<FLAC__uint64>(at);
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
}

FLAC__StreamDecoderLengthStatus Length(const FLAC__StreamDecoder*, FLAC__uint64* length,
                                       void* client)
{
    struct stat status {};
    if (::fstat(Self(client).Fd(), &status) != 0)
        return FLAC__STREAM_DECODER_LENGTH_STATUS_ERROR;
    *length = static_cast<FLAC__uint64>(status.st_size);
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
}

FLAC__bool AtEnd(const FLAC__StreamDecoder* decoder, void* client)
{
    FLAC__uint64 at = 0;
    FLAC__uint64 length = 0;
    return Tell(decoder, &at, client) != FLAC__STREAM_DECODER_TELL_STATUS_OK ||
           Length(decoder, &length, client) != FLAC__STREAM_DECODER_LENGTH_STATUS_OK ||
           at >= length;
}

FLAC__StreamDecoderWriteStatus TakeFrame(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                         const FLAC__int32* const buffer[], void* client)
{
    // Files other than 16-bit stereo were refused before; a stream that changes mid-way is not
    // CD audio either.
    if (frame->header.channels != 2 || frame->header.bits_per_sample != 16 ||
        frame->header.number_type != FLAC__FRAME_NUMBER_TYPE_SAMPLE_NUMBER)
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    Self(client).TakeBlock(buffer, frame->header.blocksize, frame->header.number.sample_number);
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void NoteError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {}

} // namespace

void FlacDecoderDeleter::operator()(FLAC__StreamDecoder* decoder) const
{
    Api().decoderDelete(decoder);
}

FlacSectors::FlacSectors(UniqueFd fd) : fd_(std::move(fd)) {}

FlacSectors::~FlacSectors() = default;

std::unique_ptr<FlacSectors> FlacSectors::Open(UniqueFd fd, std::string& problem)
{
    if (!DecoderLibrary().Load()) {
        problem = DecoderLibrary().NotLoadedMessage();
        return nullptr;
    }
    std::unique_ptr<FlacSectors> sectors(new FlacSectors(std::move(fd)));
    sectors->decoder_.reset(Api().decoderNew());
    if (!sectors->decoder_ ||
        Api().initStream(sectors->decoder_.get(), ReadBytes, SeekTo, Tell, Length, AtEnd, TakeFrame,
                         nullptr, NoteError,
                         sectors.get()) != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        problem = "the FLAC decoder cannot be started";
        return nullptr;
    }
    return sectors;
}

void FlacSectors::TakeBlock(const int32_t* const channels[], uint32_t frames, uint64_t firstFrame)
{
    block_.resize(std::size_t{frames} * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        block_[2 * i] = static_cast<int16_t>(channels[0][i]);
        block_[2 * i + 1] = static_cast<int16_t>(channels[1][i]);
    }
    blockStart_ = firstFrame;
}

bool FlacSectors::Read(uint8_t* data, uint64_t firstFrame, uint64_t frames)
{
    FLAC__StreamDecoder* decoder = decoder_.get();
    const uint64_t end = firstFrame + frames;
    uint64_t frame = firstFrame;
    // A read outside the block in hand, or beyond the next one, seeks; the next block in line is
    // simply decoded.
    const uint64_t blockEnd = blockStart_ + block_.size() / 2;
    if (block_.empty() || frame < blockStart_ || frame > blockEnd) {
        block_.clear();
        if (!Api().seekAbsolute(decoder, frame)) {
            Api().flush(decoder);
            return false;
        }
    }
    while (frame < end) {
        const uint64_t inBlockEnd = blockStart_ + block_.size() / 2;
        if (!block_.empty() && frame >= blockStart_ && frame < inBlockEnd) {
            const uint64_t n = std::min(end, inBlockEnd) - frame;
            const int16_t* from = block_.data() + (frame - blockStart_) * 2;
            for (uint64_t i = 0; i < n * 2; ++i)
                WriteLe16(data + ((frame - firstFrame) * 2 + i) * 2,
                          static_cast<uint16_t>(from[i]));
            frame += n;
            continue;
        }
        const uint64_t before = blockStart_;
        const std::size_t size = block_.size();
        if (!Api().processSingle(decoder) ||
            Api().getState(decoder) == FLAC__STREAM_DECODER_END_OF_STREAM ||
            (blockStart_ == before && block_.size() == size && !block_.empty()))
            return false;
    }
    return true;
}

} // namespace corvath
