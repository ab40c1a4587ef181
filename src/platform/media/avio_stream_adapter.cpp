#include "platform/media/avio_stream_adapter.h"

#include "platform/acm/ffmpeg_library.h"

#include <exception>
#include <new>

namespace corvath {

namespace {

constexpr int kBufferBytes = 32768;

} // namespace

AvioStreamAdapter::AvioStreamAdapter(TAudioStream& stream)
    : stream_(stream), start_(stream.IsSeekable() ? stream.Position() : 0)
{
    auto* buffer = static_cast<unsigned char*>(Ffmpeg().av_malloc(kBufferBytes));
    if (!buffer)
        throw std::bad_alloc();
    const bool seekable = stream.IsSeekable();
    context_.reset(Ffmpeg().avio_alloc_context(buffer, kBufferBytes, 0, this,
                                               &AvioStreamAdapter::Read, nullptr,
                                               seekable ? &AvioStreamAdapter::Seek : nullptr));
    if (!context_) {
        Ffmpeg().av_free(buffer);
        throw std::bad_alloc();
    }
}

int AvioStreamAdapter::Read(void* opaque, uint8_t* buffer, int size)
{
    auto& self = *static_cast<AvioStreamAdapter*>(opaque);
    try {
        const std::size_t read = self.stream_.Read(buffer, static_cast<std::size_t>(size));
        return read > 0 ? static_cast<int>(read) : AVERROR_EOF;
    } catch (const std::exception&) {
        return AVERROR(EIO);
    }
}

int64_t AvioStreamAdapter::Seek(void* opaque, int64_t offset, int whence)
{
    auto& self = *static_cast<AvioStreamAdapter*>(opaque);
    try {
        TAudioStream& stream = self.stream_;
        int64_t base = 0;
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return stream.Size() - self.start_;
        case SEEK_SET:
            base = self.start_;
            break;
        case SEEK_CUR:
            base = stream.Position();
            break;
        case SEEK_END:
            base = stream.Size();
            break;
        default:
            return AVERROR(EINVAL);
        }
        // Offsets may come from a damaged file.
        int64_t target = 0;
        if (__builtin_add_overflow(base, offset, &target) || target < self.start_)
            return AVERROR(EINVAL);
        return stream.Seek(target, TSeekOrigin::Begin) - self.start_;
    } catch (const std::exception&) {
        return AVERROR(EIO);
    }
}

} // namespace corvath
