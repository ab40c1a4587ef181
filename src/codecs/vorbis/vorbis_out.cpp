#include "codecs/vorbis/vorbis_out.h"

#include "audio/model/au_exception.h"
#include "codecs/pcm_to_float.h"
#include "codecs/vorbis/vorbis_libraries.h"
#include "platform/bytes/little_endian.h"
#include "platform/text/base64.h"

#include <array>
#include <cstring>
#include <numeric>
#include <set>
#include <string>

namespace corvath {

using enum TVorbisBitRate;

namespace {

// Bytes asked of the input per step, and samples per channel asked of the library for them.
constexpr uint32_t kStepBytes = 32768;
constexpr int kBufferSamples = 32768;

constexpr std::array<int32_t, static_cast<std::size_t>(TVorbisBitRate::br499) + 1> kBitsPerSecond =
    {-1,     24000,  32000,  45000,  48000,  56000,  64000,  80000,  96000,
     112000, 128000, 144000, 160000, 192000, 224000, 256000, 320000, 499000};

[[noreturn]] void FailEncoding()
{
    throw EAuException("Vorbis encoding failed.");
}

// The library's negative results are failures that would otherwise leave a broken file.
int Checked(int result)
{
    if (result < 0)
        FailEncoding();
    return result;
}

// Releases a library record with the library's own clear function before freeing it.
template <auto Library, auto Clear> struct ClearRecord {
    template <typename Record> void operator()(Record* record) const
    {
        (Library().Functions().*Clear)(record);
        delete record;
    }
};

template <typename Record, auto Library, auto Clear>
using LibraryRecord = std::unique_ptr<Record, ClearRecord<Library, Clear>>;

void WritePage(TAudioStream& stream, const ogg_page& page)
{
    stream.Write(page.header, static_cast<std::size_t>(page.header_len));
    stream.Write(page.body, static_cast<std::size_t>(page.body_len));
}

// The first serial number from wanted on that no page of the stream carries yet: a stream
// chained after others needs its own, or readers take the chain for one broken stream.
int32_t FreeSerial(TAudioStream& stream, int32_t wanted)
{
    constexpr std::size_t kPageHeaderBytes = 27;
    std::set<uint32_t> used;
    std::array<uint8_t, kPageHeaderBytes + 255> header{};
    stream.SetPosition(0);
    while (stream.Read(header.data(), kPageHeaderBytes) == kPageHeaderBytes &&
           std::memcmp(header.data(), "OggS", 4) == 0) {
        const uint8_t segments = header[26];
        if (stream.Read(header.data() + kPageHeaderBytes, segments) != segments)
            break;
        used.insert(ReadLe32(&header[14]));
        const auto lacing = header.begin() + kPageHeaderBytes;
        stream.Seek(std::accumulate(lacing, lacing + segments, int64_t{0}), TSeekOrigin::Current);
    }
    auto serial = static_cast<uint32_t>(wanted);
    while (used.contains(serial))
        ++serial;
    return static_cast<int32_t>(serial);
}

} // namespace

int32_t VorbisBitsPerSecond(TVorbisBitRate rate)
{
    return kBitsPerSecond.at(static_cast<std::size_t>(rate));
}

// The library records of one file, declared in the order they are built, so that they are
// cleared in the reverse order: stream, block, analysis state, comment, info.
struct TVorbisOut::Encoder {
    LibraryRecord<vorbis_info, &VorbisLibrary, &VorbisApi::info_clear> info;
    LibraryRecord<vorbis_comment, &VorbisLibrary, &VorbisApi::comment_clear> comment;
    LibraryRecord<vorbis_dsp_state, &VorbisLibrary, &VorbisApi::dsp_clear> dsp;
    LibraryRecord<vorbis_block, &VorbisLibrary, &VorbisApi::block_clear> block;
    LibraryRecord<ogg_stream_state, &OggLibrary, &OggApi::stream_clear> stream;
    uint32_t channels = 0;
    uint32_t bits = 0;
};

TVorbisOut::TVorbisOut(TComponent* owner) : TAuFileOut(owner)
{
    RequireVorbisLibraries();
}

TVorbisOut::~TVorbisOut() = default;

void TVorbisOut::SetCompression(float quality)
{
    if (!IsBusy())
        compression_ = quality;
}

void TVorbisOut::SetComments(const TVorbisTags& tags)
{
    if (!IsBusy())
        comments_.Assign(tags);
}

void TVorbisOut::SetCoverPicture(std::optional<CoverPicture> picture)
{
    if (!IsBusy())
        cover_ = std::move(picture);
}

bool TVorbisOut::BitRateSettable(TVorbisBitRate rate) const
{
    return !IsBusy() && rate <= br499;
}

void TVorbisOut::SetDesiredNominalBitrate(TVorbisBitRate rate)
{
    if (!BitRateSettable(rate))
        return;
    nominal_ = rate;
    if (nominal_ < minimum_)
        minimum_ = nominal_;
    if (maximum_ < nominal_)
        maximum_ = nominal_;
    if (nominal_ == brAutoSelect)
        maximum_ = brAutoSelect;
}

void TVorbisOut::SetDesiredMaximumBitrate(TVorbisBitRate rate)
{
    if (BitRateSettable(rate) && nominal_ != brAutoSelect &&
        (rate == brAutoSelect || rate >= nominal_))
        maximum_ = rate;
}

void TVorbisOut::SetMinimumBitrate(TVorbisBitRate rate)
{
    if (BitRateSettable(rate) && rate <= nominal_)
        minimum_ = rate;
}

void TVorbisOut::SetSerial(int32_t serial)
{
    if (!IsBusy())
        serial_ = serial;
}

void TVorbisOut::CheckInput(TAuInput& input)
{
    const uint32_t bits = input.GetBitsPerSample();
    if (bits != 8 && bits != 16 && bits != 24)
        throw EAuException("Ogg Vorbis output takes 8, 16 or 24-bit samples, not " +
                           std::to_string(bits) + "-bit.");
    if (input.GetChannels() == 0 || input.GetSampleRate() == 0)
        throw EAuException("The input holds no sound that an Ogg Vorbis file can take.");
}

void TVorbisOut::StartFile(TAuInput& input)
{
    endOfStream_ = false;
    int32_t serial = serial_;
    if (FileMode() == foAppend) {
        serial = FreeSerial(*Stream(), serial_);
        Stream()->Seek(0, TSeekOrigin::End);
    }

    encoder_ = std::make_unique<Encoder>();
    encoder_->channels = input.GetChannels();
    encoder_->bits = input.GetBitsPerSample();
    SetUpEncoder();
    WriteHeaders(serial);
}

void TVorbisOut::SetUpEncoder()
{
    const VorbisApi& vorbis = VorbisLibrary().Functions();
    const VorbisEncApi& enc = VorbisEncLibrary().Functions();
    Encoder& e = *encoder_;
    e.info.reset(new vorbis_info{});
    vorbis.info_init(e.info.get());
    const long channels = e.channels;
    const long rate = Input()->GetSampleRate();
    if (nominal_ == brAutoSelect) {
        // Unchecked, a failed set-up would leave the later calls working on an empty state.
        if (enc.encode_setup_vbr(e.info.get(), channels, rate, compression_) != 0 ||
            enc.encode_setup_init(e.info.get()) != 0)
            throw EAuException("Vorbis codec setup with the requested quality failed.");
    } else {
        const long nominal = VorbisBitsPerSecond(nominal_);
        const long minimum = minimum_ == brAutoSelect ? nominal : VorbisBitsPerSecond(minimum_);
        if (enc.encode_init(e.info.get(), channels, rate, VorbisBitsPerSecond(maximum_), nominal,
                            minimum) != 0)
            throw EAuException(
                "Vorbis codec setup with the requested bitrate failed. Try a lower bitrate.");
    }

    e.comment.reset(new vorbis_comment{});
    vorbis.comment_init(e.comment.get());
    for (const std::string& line : comments_.CommentLines())
        vorbis.comment_add(e.comment.get(), line.c_str());
    if (cover_) {
        const std::string block = PictureBlockBody(*cover_);
        const std::string encoded =
            Base64(std::span(reinterpret_cast<const uint8_t*>(block.data()), block.size()));
        vorbis.comment_add_tag(e.comment.get(), "METADATA_BLOCK_PICTURE", encoded.c_str());
    }

    e.dsp.reset(new vorbis_dsp_state{});
    if (vorbis.analysis_init(e.dsp.get(), e.info.get()) != 0)
        FailEncoding();
    e.block.reset(new vorbis_block{});
    if (vorbis.block_init(e.dsp.get(), e.block.get()) != 0)
        FailEncoding();
}

void TVorbisOut::WriteHeaders(int32_t serial)
{
    const VorbisApi& vorbis = VorbisLibrary().Functions();
    const OggApi& ogg = OggLibrary().Functions();
    Encoder& e = *encoder_;
    e.stream.reset(new ogg_stream_state{});
    if (ogg.stream_init(e.stream.get(), serial) != 0)
        FailEncoding();

    ogg_packet identification{};
    ogg_packet comment{};
    ogg_packet codebooks{};
    Checked(vorbis.analysis_headerout(e.dsp.get(), e.comment.get(), &identification, &comment,
                                      &codebooks));
    for (ogg_packet* header : {&identification, &comment, &codebooks})
        Checked(ogg.stream_packetin(e.stream.get(), header));
    // The headers stand on pages of their own, before any audio.
    ogg_page page{};
    while (ogg.stream_flush(e.stream.get(), &page) != 0)
        WritePage(*Stream(), page);
}

bool TVorbisOut::WriteStep(bool abort)
{
    if (!OutputEnabled())
        return true;
    if (abort || endOfStream_)
        return false;
    Feed(Input()->ReadData(kStepBytes));
    Drain();
    return true;
}

void TVorbisOut::Feed(const AudioChunk& chunk)
{
    const VorbisApi& vorbis = VorbisLibrary().Functions();
    Encoder& e = *encoder_;
    const uint32_t frameBytes = e.channels * e.bits / 8;
    const uint32_t frames = chunk.data == nullptr ? 0 : chunk.bytes / frameBytes;
    float** buffers = vorbis.analysis_buffer(e.dsp.get(), kBufferSamples);
    if (buffers == nullptr)
        FailEncoding();
    // Zero frames tell the library that the input has ended.
    PcmToFloat(chunk.data, frames, e.channels, e.bits,
               [buffers](uint32_t frame, uint32_t channel, float value) {
                   buffers[channel][frame] = value;
               });
    Checked(vorbis.analysis_wrote(e.dsp.get(), static_cast<int>(frames)));
}

void TVorbisOut::Drain()
{
    const VorbisApi& vorbis = VorbisLibrary().Functions();
    const OggApi& ogg = OggLibrary().Functions();
    Encoder& e = *encoder_;
    while (Checked(vorbis.analysis_blockout(e.dsp.get(), e.block.get())) == 1) {
        Checked(vorbis.analysis(e.block.get(), nullptr));
        Checked(vorbis.bitrate_addblock(e.block.get()));
        ogg_packet packet{};
        while (Checked(vorbis.bitrate_flushpacket(e.dsp.get(), &packet)) > 0) {
            Checked(ogg.stream_packetin(e.stream.get(), &packet));
            ogg_page page{};
            while (!endOfStream_ && ogg.stream_pageout(e.stream.get(), &page) != 0) {
                WritePage(*Stream(), page);
                endOfStream_ = ogg.page_eos(&page) != 0;
            }
        }
    }
}

void TVorbisOut::EndFile()
{
    // A stopped run still ends its stream, so that the file is complete up to where it stopped.
    if (!endOfStream_) {
        Feed({});
        Drain();
    }
    ReleaseFileState();
}

void TVorbisOut::AbortOutput()
{
    ReleaseFileState();
    TAuFileOut::AbortOutput();
}

void TVorbisOut::ReleaseFileState()
{
    encoder_.reset();
    comments_.Clear();
}

} // namespace corvath
