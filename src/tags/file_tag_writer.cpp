#include "tags/file_tag_writer.h"

#include "tags/ape_record.h"
#include "tags/asf_record.h"
#include "tags/audio_file_kind.h"
#include "tags/id3v2_record.h"
#include "tags/riff_info_record.h"
#include "tags/tag_file_checks.h"

#include <apefile.h>
#include <asffile.h>
#include <id3v2framefactory.h>
#include <mpegfile.h>
#include <wavfile.h>

namespace corvath {

namespace {

// Tags only: the audio properties would cost a scan of the file.
constexpr bool kNoProperties = false;

void WriteId3v2(const std::string& path, const TrackRecord& record)
{
    TagLib::MPEG::File file(path.c_str(), TagLib::ID3v2::FrameFactory::instance(), kNoProperties);
    RequireOpenForWriting(file, path);
    PutRecord(*file.ID3v2Tag(true), record);
    // The ID3v1 tag is the ID3v1 writer's, before or after this one.
    RequireSaved(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v4,
                           TagLib::File::DoNotDuplicate),
                 path);
}

void WriteApe(const std::string& path, const TrackRecord& record)
{
    TagLib::APE::File file(path.c_str(), kNoProperties);
    RequireOpenForWriting(file, path);
    PutRecord(*file.APETag(true), record);
    RequireSaved(file.save(), path);
}

void WriteAsf(const std::string& path, const TrackRecord& record)
{
    TagLib::ASF::File file(path.c_str(), kNoProperties);
    RequireOpenForWriting(file, path);
    PutRecord(*file.tag(), record);
    RequireSaved(file.save(), path);
}

void WriteWav(const std::string& path, const TrackRecord& record)
{
    DecodeInfoTextAsUtf8OrWindows1252();
    TagLib::RIFF::WAV::File file(path.c_str(), kNoProperties);
    RequireOpenForWriting(file, path);
    PutRecord(*file.ID3v2Tag(), record);
    PutRecord(*file.InfoTag(), record);
    RequireSaved(
        file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v4),
        path);
}

struct FormatWriter {
    AudioFileKind kind;
    const char* fileName; ///< what the file should be, for the message
    void (*write)(const std::string& path, const TrackRecord& record);
};

FormatWriter WriterOf(FileTagFormat format)
{
    switch (format) {
    case FileTagFormat::Id3v2:
        return {AudioFileKind::Mp3, "an MP3", WriteId3v2};
    case FileTagFormat::Ape:
        return {AudioFileKind::Ape, "a Monkey's Audio", WriteApe};
    case FileTagFormat::Wav:
        return {AudioFileKind::Wav, "a WAV", WriteWav};
    case FileTagFormat::Asf:
        break;
    }
    return {AudioFileKind::Wma, "a WMA", WriteAsf};
}

} // namespace

void WriteFileTags(const std::string& path, FileTagFormat format, const TrackRecord& record)
{
    RequireWritableFile(path);
    const FormatWriter writer = WriterOf(format);
    if (AudioFileKindByContent(path) != writer.kind)
        FailTagWrite(path, std::string("it is not ") + writer.fileName + " file");
    writer.write(path, record);
}

} // namespace corvath
