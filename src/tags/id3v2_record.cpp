#include "tags/id3v2_record.h"

#include "platform/text/ascii_case.h"
#include "tags/cover_choice.h"
#include "tags/record_fields.h"
#include "tags/taglib_text.h"

#include <attachedpictureframe.h>
#include <commentsframe.h>
#include <memory>
#include <textidentificationframe.h>
#include <uniquefileidentifierframe.h>

namespace corvath {

namespace {

using TagLib::String;
using TagLib::ID3v2::AttachedPictureFrame;
using TagLib::ID3v2::CommentsFrame;
using TagLib::ID3v2::Frame;
using TagLib::ID3v2::TextIdentificationFrame;
using TagLib::ID3v2::UniqueFileIdentifierFrame;
using TagLib::ID3v2::UserTextIdentificationFrame;

constexpr const char* kMusicBrainzOwner = "http://musicbrainz.org";

constexpr NamedText kTextFrames[] = {
    {RecordText::Title, "TIT2"}, {RecordText::Artist, "TPE1"}, {RecordText::AlbumArtist, "TPE2"},
    {RecordText::Album, "TALB"}, {RecordText::Date, "TDRC"},   {RecordText::Genre, "TCON"},
    {RecordText::Isrc, "TSRC"},
};
constexpr TextNames kTextNames{kTextFrames, "TRCK", "TPOS"};

// Picard's descriptions, which are written; TagLib's own spellings differ in case only, but for
// the disc id, whose other spelling is read too.
struct UserTextFrame {
    RecordText field;
    std::string_view description;
    std::string_view otherSpelling;
};

constexpr UserTextFrame kUserTextFrames[] = {
    {RecordText::AlbumId, "MusicBrainz Album Id", {}},
    {RecordText::ReleaseGroupId, "MusicBrainz Release Group Id", {}},
    {RecordText::AlbumArtistId, "MusicBrainz Album Artist Id", {}},
    {RecordText::ArtistId, "MusicBrainz Artist Id", {}},
    {RecordText::ReleaseTrackId, "MusicBrainz Release Track Id", {}},
    {RecordText::DiscId, "MusicBrainz Disc Id", "MUSICBRAINZ_DISCID"},
};

bool Describes(const UserTextFrame& known, const UserTextIdentificationFrame& frame)
{
    const std::string description = Utf8Of(frame.description());
    return EqualIgnoringCase(description, known.description) ||
           (!known.otherSpelling.empty() && EqualIgnoringCase(description, known.otherSpelling));
}

bool IsMusicBrainzId(const Frame* frame)
{
    const auto* ufid = dynamic_cast<const UniqueFileIdentifierFrame*>(frame);
    return ufid != nullptr && ufid->owner() == kMusicBrainzOwner;
}

void Add(TagLib::ID3v2::Tag& tag, std::unique_ptr<Frame> frame)
{
    tag.addFrame(frame.release()); // the tag owns its frames
}

template <typename Predicate>
void RemoveFramesIf(TagLib::ID3v2::Tag& tag, const char* id, Predicate matches)
{
    const TagLib::ID3v2::FrameList frames = tag.frameList(id); // a copy: removing changes it
    for (Frame* frame : frames) {
        if (matches(frame))
            tag.removeFrame(frame);
    }
}

void PutText(TagLib::ID3v2::Tag& tag, std::string_view id, const std::string& text)
{
    tag.removeFrames(TagBytes(id));
    if (text.empty())
        return;
    auto frame = std::make_unique<TextIdentificationFrame>(TagBytes(id), String::UTF8);
    frame->setText(TagText(text));
    Add(tag, std::move(frame));
}

void PutComment(TagLib::ID3v2::Tag& tag, const std::string& comment)
{
    tag.removeFrames("COMM");
    if (comment.empty())
        return;
    auto frame = std::make_unique<CommentsFrame>(String::UTF8);
    frame->setLanguage("eng");
    frame->setText(TagText(comment));
    Add(tag, std::move(frame));
}

void PutMusicBrainzIds(TagLib::ID3v2::Tag& tag, const TrackRecord& record)
{
    RemoveFramesIf(tag, "UFID", IsMusicBrainzId);
    const std::string& recording = record.musicBrainz.recordingId;
    if (!recording.empty())
        Add(tag,
            std::make_unique<UniqueFileIdentifierFrame>(kMusicBrainzOwner, TagBytes(recording)));
    for (const UserTextFrame& known : kUserTextFrames) {
        RemoveFramesIf(tag, "TXXX", [&](const Frame* frame) {
            const auto* text = dynamic_cast<const UserTextIdentificationFrame*>(frame);
            return text != nullptr && Describes(known, *text);
        });
        const std::string& value = TextOf(record, known.field);
        if (!value.empty())
            Add(tag, std::make_unique<UserTextIdentificationFrame>(TagText(known.description),
                                                                   TagText(value), String::UTF8));
    }
}

void PutCover(TagLib::ID3v2::Tag& tag, const std::optional<CoverPicture>& cover)
{
    tag.removeFrames("APIC");
    if (!cover)
        return;
    auto frame = std::make_unique<AttachedPictureFrame>();
    frame->setTextEncoding(String::UTF8);
    frame->setMimeType(TagText(cover->mimeType));
    frame->setType(AttachedPictureFrame::FrontCover);
    frame->setPicture(TagBytes(cover->data));
    Add(tag, std::move(frame));
}

std::string FirstText(const TagLib::ID3v2::Tag& tag, std::string_view id)
{
    const TagLib::ID3v2::FrameList& frames = tag.frameList(TagBytes(id));
    return frames.isEmpty() ? std::string() : Utf8Of(frames.front()->toString());
}

std::string CommentOf(const TagLib::ID3v2::Tag& tag)
{
    const CommentsFrame* first = nullptr;
    for (const Frame* frame : tag.frameList("COMM")) {
        const auto* comment = dynamic_cast<const CommentsFrame*>(frame);
        if (comment == nullptr)
            continue;
        if (comment->description().isEmpty())
            return Utf8Of(comment->text());
        if (first == nullptr)
            first = comment;
    }
    return first != nullptr ? Utf8Of(first->text()) : std::string();
}

void ReadMusicBrainzIds(const TagLib::ID3v2::Tag& tag, TrackRecord& record)
{
    for (const Frame* frame : tag.frameList("UFID")) {
        if (IsMusicBrainzId(frame) && record.musicBrainz.recordingId.empty())
            record.musicBrainz.recordingId =
                BytesOf(static_cast<const UniqueFileIdentifierFrame*>(frame)->identifier());
    }
    for (const Frame* frame : tag.frameList("TXXX")) {
        const auto* text = dynamic_cast<const UserTextIdentificationFrame*>(frame);
        if (text == nullptr || text->fieldList().size() < 2)
            continue; // the first field is the description
        for (const UserTextFrame& known : kUserTextFrames) {
            std::string& value = TextOf(record, known.field);
            if (value.empty() && Describes(known, *text))
                value = Utf8Of(text->fieldList()[1]);
        }
    }
}

std::optional<CoverPicture> CoverOf(const TagLib::ID3v2::Tag& tag)
{
    CoverChoice choice;
    for (const Frame* frame : tag.frameList("APIC")) {
        if (const auto* picture = dynamic_cast<const AttachedPictureFrame*>(frame))
            choice.Offer(picture->type() == AttachedPictureFrame::FrontCover,
                         BytesOf(picture->picture()));
    }
    return choice.Chosen();
}

} // namespace

void PutRecord(TagLib::ID3v2::Tag& tag, const TrackRecord& record)
{
    for (const auto& [id, text] : TextsByName(record, kTextNames))
        PutText(tag, id, text);
    PutComment(tag, record.comment);
    PutMusicBrainzIds(tag, record);
    PutCover(tag, record.cover);
}

TrackRecord RecordOf(const TagLib::ID3v2::Tag& tag)
{
    TrackRecord record;
    ReadTextsByName(record, kTextNames, [&tag](std::string_view id) { return FirstText(tag, id); });
    record.genre = Utf8Of(tag.genre()); // numbers and "(17)" resolved
    record.comment = CommentOf(tag);
    ReadMusicBrainzIds(tag, record);
    record.cover = CoverOf(tag);
    return record;
}

} // namespace corvath
