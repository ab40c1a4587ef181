#include "codecs/wma/wm_in.h"

#include "audio/model/au_exception.h"
#include "audio/model/au_file_stream.h"
#include "platform/acm/ffmpeg_library.h"

#include <algorithm>
#include <cmath>

namespace corvath {

namespace {

// Where a second opening attempt starts when the reader refuses the stream's first byte.
constexpr int64_t kRetryOffset = 30;
constexpr uint64_t kHundredthInUnits = 100'000; // of 100 ns

} // namespace

TId3v2Tags& TWMIn::Id3v2Tags()
{
    EnsureOpen();
    return TAuTaggedFileIn::Id3v2Tags();
}

void TWMIn::EnsureOpen()
{
    std::lock_guard lock(openLock_);
    if (openCount_ != 0)
        return;
    if (!StreamAttached() && FileName().empty())
        throw EAuException("File name is not assigned");
    if (!StreamAttached())
        // Only reads: other readers of the file, another conversion of it among them, may too.
        own_ = std::make_unique<TAuFileStream>(FileName(), TAuFileStream::kReadShareRead);
    ClearParameters();
    if (!FfmpegAvailable())
        throw EAuException(FfmpegLibrary().NotLoadedMessage());
    valid_ = OpenReader(*Stream());
    if (!valid_) {
        // Not counted as an open: the next query tries again.
        own_.reset();
        return;
    }
    if (protected_) {
        CloseReader();
        own_.reset();
        throw EAuException("File is protected");
    }
    const auto playTime =
        static_cast<uint32_t>((duration_ + kHundredthInUnits / 2) / kHundredthInUnits);
    // A damaged header's duration may not fit: the length is then unknown.
    int64_t hundredthFrames = 0;
    int64_t bytes = 0;
    if (__builtin_mul_overflow(int64_t{playTime}, int64_t{sampleRate_}, &hundredthFrames) ||
        __builtin_mul_overflow(hundredthFrames / 100, int64_t{channels_} * (bitsPerSample_ / 8),
                               &bytes))
        hundredthFrames = bytes = 0;
    totalFrames_ = hundredthFrames / 100;
    size_ = announcedSize_ = bytes;
    seekable_ = true;
    ReadTags();
    ++openCount_;
}

void TWMIn::ClearParameters()
{
    channels_ = 0;
    sampleRate_ = 0;
    bitsPerSample_ = 0;
    duration_ = 0;
    totalFrames_ = 0;
    size_ = 0;
    announcedSize_ = -1;
    protected_ = false;
}

bool TWMIn::OpenReader(TAudioStream& stream)
{
    auto reader = std::make_unique<WmSyncReader>();
    stream.SetPosition(0);
    if (!reader->OpenStream(std::make_unique<AvioStreamAdapter>(stream))) {
        stream.SetPosition(kRetryOffset);
        if (!reader->OpenStream(std::make_unique<AvioStreamAdapter>(stream)))
            return false;
    }
    // When several outputs carry audio, the last one counts.
    std::optional<uint32_t> output;
    for (uint32_t i = 0; i < reader->OutputCount(); ++i) {
        if (reader->SetOutputProps(i))
            output = i;
    }
    if (!output)
        return false;
    const WmWaveFormat format = *reader->OutputWaveFormat(*output);
    streamNumber_ = reader->StreamNumberForOutput(*output);
    const WmReadSamples samples = reader->SetReadStreamSamples(streamNumber_, false);
    if (samples == WmReadSamples::kFailed)
        return false; // audio that FFmpeg cannot decode is no audio for us
    protected_ = samples == WmReadSamples::kProtected;
    channels_ = format.channels;
    sampleRate_ = format.sampleRate;
    bitsPerSample_ = format.bitsPerSample;
    duration_ = reader->Duration().value_or(0);
    reader_ = std::move(reader);
    return true;
}

void TWMIn::ReadTags()
{
    TId3v2Tags& tags = TAuTaggedFileIn::Id3v2Tags();
    tags.SetArtist(reader_->Attribute("Author"));
    tags.SetTitle(reader_->Attribute("Title"));
    tags.SetAlbum(reader_->Attribute("WM/AlbumTitle"));
    tags.SetGenre(reader_->Attribute("WM/Genre"));
    tags.SetTrack(reader_->Attribute("WM/Track"));
    tags.SetYear(reader_->Attribute("WM/Year"));
    tags.SetComment(reader_->Attribute("Copyright"));
}

void TWMIn::CloseReader()
{
    sample_ = {};
    handedOut_ = 0;
    reader_.reset();
}

void TWMIn::ReleaseFile()
{
    std::lock_guard lock(openLock_);
    if (openCount_ <= 0)
        return;
    CloseReader();
    openCount_ = 0;
    if (StreamAttached())
        Stream()->SetPosition(0);
    else
        own_.reset();
}

AudioChunk TWMIn::ReadChunk(uint32_t wanted)
{
    if (!reader_)
        return {};
    // Never past the length the duration announced.
    if (size_ > 0)
        wanted = static_cast<uint32_t>(std::clamp<int64_t>(size_ - position_, 0, wanted));
    for (;;) {
        if (handedOut_ < sample_.size()) {
            const auto bytes =
                static_cast<uint32_t>(std::min<std::size_t>(sample_.size() - handedOut_, wanted));
            const AudioChunk chunk{sample_.data() + handedOut_, bytes};
            handedOut_ += bytes;
            return chunk;
        }
        sample_ = {};
        handedOut_ = 0;
        const std::optional<std::span<uint8_t>> next = reader_->GetNextSample(streamNumber_);
        if (!next)
            return {};
        sample_ = *next;
    }
}

bool TWMIn::SeekSource(int64_t& frame)
{
    if (!busy_ || !reader_ || sampleRate_ == 0 || frame < 0)
        return false;
    sample_ = {};
    handedOut_ = 0;
    // The reader's positions are whole hundredths of a second.
    const auto hundredths =
        static_cast<uint64_t>(std::llround(static_cast<double>(frame) * 100 / sampleRate_));
    return reader_->SetRange(hundredths * kHundredthInUnits);
}

} // namespace corvath
