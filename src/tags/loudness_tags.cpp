#include "tags/loudness_tags.h"

#include "platform/text/ascii_case.h"
#include "tags/audio_file_kind.h"
#include "tags/tag_file_checks.h"
#include "tags/taglib_text.h"

#include <apefile.h>
#include <apetag.h>
#include <asffile.h>
#include <flacfile.h>
#include <id3v2framefactory.h>
#include <id3v2tag.h>
#include <memory>
#include <mpegfile.h>
#include <opusfile.h>
#include <textidentificationframe.h>
#include <vector>
#include <vorbisfile.h>
#include <xiphcomment.h>

namespace corvath {

namespace {

// Tags only: the audio properties would cost a scan of the file.
constexpr bool kNoProperties = false;

constexpr const char* kReplayGainNames[] = {"REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_TRACK_PEAK",
                                            "REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_ALBUM_PEAK"};

struct Field {
    const char* name;
    std::string value;
};
using Fields = std::vector<Field>;

Fields ReplayGainFields(const std::optional<Loudness>& track, const std::optional<Loudness>& album)
{
    Fields fields;
    if (track) {
        fields.push_back({"REPLAYGAIN_TRACK_GAIN", ReplayGainText(*track)});
        fields.push_back({"REPLAYGAIN_TRACK_PEAK", ReplayGainPeakText(*track)});
    }
    if (album) {
        fields.push_back({"REPLAYGAIN_ALBUM_GAIN", ReplayGainText(*album)});
        fields.push_back({"REPLAYGAIN_ALBUM_PEAK", ReplayGainPeakText(*album)});
    }
    return fields;
}

// RFC 7845 has no peak, and a comment header should not carry both kinds of gain.
Fields R128Fields(const std::optional<Loudness>& track, const std::optional<Loudness>& album)
{
    Fields fields;
    if (track)
        fields.push_back({"R128_TRACK_GAIN", R128GainText(*track)});
    if (album)
        fields.push_back({"R128_ALBUM_GAIN", R128GainText(*album)});
    return fields;
}

void PutFields(TagLib::Ogg::XiphComment& comment, const Fields& fields)
{
    // TagLib compares the field names without case.
    for (const Field& field : fields)
        comment.addField(field.name, TagText(field.value), true);
}

void PutFields(TagLib::ID3v2::Tag& tag, const Fields& fields)
{
    using TagLib::ID3v2::UserTextIdentificationFrame;
    const TagLib::ID3v2::FrameList frames = tag.frameList("TXXX"); // a copy: removing changes it
    for (TagLib::ID3v2::Frame* frame : frames) {
        const auto* text = dynamic_cast<const UserTextIdentificationFrame*>(frame);
        for (const Field& field : fields) {
            if (text != nullptr && EqualIgnoringCase(Utf8Of(text->description()), field.name)) {
                tag.removeFrame(frame);
                break;
            }
        }
    }
    for (const Field& field : fields) // the tag owns its frames
        tag.addFrame(new UserTextIdentificationFrame(field.name, TagText(field.value),
                                                     TagLib::String::UTF8));
}

void PutFields(TagLib::APE::Tag& tag, const Fields& fields)
{
    // TagLib keeps the item keys in upper case.
    for (const Field& field : fields)
        tag.addValue(field.name, TagText(field.value), true);
}

void PutFields(TagLib::ASF::Tag& tag, const Fields& fields)
{
    for (const Field& field : fields) {
        std::vector<TagLib::String> stored;
        for (const auto& [name, values] : tag.attributeListMap()) {
            if (EqualIgnoringCase(Utf8Of(name), field.name))
                stored.push_back(name);
        }
        for (const TagLib::String& name : stored)
            tag.removeItem(name);
        tag.setAttribute(field.name, TagLib::ASF::Attribute(TagText(field.value)));
    }
}

template <typename TagFile, typename... Args>
void WriteWith(const std::string& path, const auto& put, Args... args)
{
    TagFile file(path.c_str(), args..., kNoProperties);
    RequireOpenForWriting(file, path);
    put(file);
    RequireSaved(file.save(), path);
}

struct FormatInfo {
    AudioFileKind kind;
    const char* fileName; ///< what the file should be, for the message
};

FormatInfo InfoOf(LoudnessTagFormat format)
{
    switch (format) {
    case LoudnessTagFormat::Flac:
        return {AudioFileKind::Flac, "a FLAC"};
    case LoudnessTagFormat::OggVorbis:
        return {AudioFileKind::OggVorbis, "an Ogg Vorbis"};
    case LoudnessTagFormat::Opus:
        return {AudioFileKind::Opus, "an Opus"};
    case LoudnessTagFormat::Mp3:
        return {AudioFileKind::Mp3, "an MP3"};
    case LoudnessTagFormat::Ape:
        return {AudioFileKind::Ape, "a Monkey's Audio"};
    case LoudnessTagFormat::Wma:
        break;
    }
    return {AudioFileKind::Wma, "a WMA"};
}

void WriteFields(const std::string& path, LoudnessTagFormat format, const Fields& fields)
{
    switch (format) {
    case LoudnessTagFormat::Flac:
        return WriteWith<TagLib::FLAC::File>(
            path, [&](TagLib::FLAC::File& file) { PutFields(*file.xiphComment(true), fields); },
            TagLib::ID3v2::FrameFactory::instance());
    case LoudnessTagFormat::OggVorbis:
        return WriteWith<TagLib::Ogg::Vorbis::File>(
            path, [&](TagLib::Ogg::Vorbis::File& file) { PutFields(*file.tag(), fields); });
    case LoudnessTagFormat::Opus:
        return WriteWith<TagLib::Ogg::Opus::File>(path, [&](TagLib::Ogg::Opus::File& file) {
            for (const char* name : kReplayGainNames)
                file.tag()->removeFields(name);
            PutFields(*file.tag(), fields);
        });
    case LoudnessTagFormat::Mp3: {
        TagLib::MPEG::File file(path.c_str(), TagLib::ID3v2::FrameFactory::instance(),
                                kNoProperties);
        RequireOpenForWriting(file, path);
        PutFields(*file.ID3v2Tag(true), fields);
        // Saving the ID3v2 tag alone leaves an ID3v1 tag as it is.
        return RequireSaved(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone,
                                      TagLib::ID3v2::v4, TagLib::File::DoNotDuplicate),
                            path);
    }
    case LoudnessTagFormat::Ape:
        return WriteWith<TagLib::APE::File>(
            path, [&](TagLib::APE::File& file) { PutFields(*file.APETag(true), fields); });
    case LoudnessTagFormat::Wma:
        break;
    }
    WriteWith<TagLib::ASF::File>(path,
                                 [&](TagLib::ASF::File& file) { PutFields(*file.tag(), fields); });
}

} // namespace

void WriteLoudnessTags(const std::string& path, LoudnessTagFormat format,
                       const std::optional<Loudness>& track, const std::optional<Loudness>& album)
{
    RequireWritableFile(path);
    const FormatInfo info = InfoOf(format);
    if (AudioFileKindByContent(path) != info.kind)
        FailTagWrite(path, std::string("it is not ") + info.fileName + " file");
    WriteFields(path, format,
                format == LoudnessTagFormat::Opus ? R128Fields(track, album)
                                                  : ReplayGainFields(track, album));
}

} // namespace corvath
