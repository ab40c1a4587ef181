#include "tags/file_tag_reader.h"

#include "tags/ape_record.h"
#include "tags/asf_record.h"
#include "tags/audio_file_kind.h"
#include "tags/id3v1_record.h"
#include "tags/id3v2_record.h"
#include "tags/record_fields.h"
#include "tags/riff_info_record.h"
#include "tags/xiph_record.h"

#include <apefile.h>
#include <asffile.h>
#include <filesystem>
#include <flacfile.h>
#include <id3v2framefactory.h>
#include <mpegfile.h>
#include <opusfile.h>
#include <vorbisfile.h>
#include <wavfile.h>

namespace corvath {

namespace {

// Tags only: the audio properties would cost a scan of the file.
constexpr bool kNoProperties = false;

// The ID3v2 tag's record, with the file's other tag filling what it lacks.
template <typename File, typename OtherTag>
TrackRecord Id3v2FilledFrom(File& file, bool hasOther, const OtherTag* other)
{
    TrackRecord record;
    if (file.hasID3v2Tag())
        record = RecordOf(*file.ID3v2Tag());
    if (hasOther)
        FillGaps(record, RecordOf(*other));
    return record;
}

TrackRecord ReadMp3(const std::string& path)
{
    TagLib::MPEG::File file(path.c_str(), TagLib::ID3v2::FrameFactory::instance(), kNoProperties);
    return Id3v2FilledFrom(file, file.hasID3v1Tag(), file.ID3v1Tag());
}

TrackRecord ReadWav(const std::string& path)
{
    DecodeInfoTextAsUtf8OrWindows1252();
    TagLib::RIFF::WAV::File file(path.c_str(), kNoProperties);
    return Id3v2FilledFrom(file, file.hasInfoTag(), file.InfoTag());
}

TrackRecord ReadWma(const std::string& path)
{
    TagLib::ASF::File file(path.c_str(), kNoProperties);
    return file.isValid() ? RecordOf(*file.tag()) : TrackRecord();
}

TrackRecord ReadFlac(const std::string& path)
{
    TagLib::FLAC::File file(path.c_str(), TagLib::ID3v2::FrameFactory::instance(), kNoProperties);
    if (!file.isValid())
        return {};
    TrackRecord record;
    if (file.hasXiphComment())
        record = RecordOf(*file.xiphComment());
    if (auto cover = CoverOf(file.pictureList()))
        record.cover = std::move(cover); // the PICTURE blocks are where FLAC keeps pictures
    return record;
}

template <typename OggFile> TrackRecord ReadOgg(const std::string& path)
{
    OggFile file(path.c_str(), kNoProperties);
    return file.isValid() && file.tag() != nullptr ? RecordOf(*file.tag()) : TrackRecord();
}

TrackRecord ReadApe(const std::string& path)
{
    TagLib::APE::File file(path.c_str(), kNoProperties);
    return file.isValid() && file.hasAPETag() ? RecordOf(*file.APETag()) : TrackRecord();
}

} // namespace

TrackRecord ReadFileTags(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {}; // TagLib would wait for a pipe's writer
    try {
        switch (AudioFileKindOf(path)) {
        case AudioFileKind::Mp3:
            return ReadMp3(path);
        case AudioFileKind::Wav:
            return ReadWav(path);
        case AudioFileKind::Wma:
            return ReadWma(path);
        case AudioFileKind::Flac:
            return ReadFlac(path);
        case AudioFileKind::OggVorbis:
            return ReadOgg<TagLib::Ogg::Vorbis::File>(path);
        case AudioFileKind::Opus:
            return ReadOgg<TagLib::Ogg::Opus::File>(path);
        case AudioFileKind::Ape:
            return ReadApe(path);
        case AudioFileKind::Unknown:
            break;
        }
    } catch (const std::exception&) {
        // TagLib reports damage by reading less; what it throws is running out of memory.
    }
    return {};
}

} // namespace corvath
