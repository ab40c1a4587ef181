#include "app/rip_cue_sheet.h"

#include "app/output_naming.h"
#include "platform/cdrom/disc_codes.h"
#include "platform/cdrom/disc_id.h"
#include "platform/cdrom/track_span.h"
#include "platform/text/ascii_case.h"
#include "tags/genre_names.h"

#include <algorithm>
#include <optional>

namespace corvath {

namespace {

// Double quotes end a value, and there is no escaping them.
std::string Sanitized(const std::string& value)
{
    std::string text = SingleLine(value);
    std::replace(text.begin(), text.end(), '"', '\'');
    return text;
}

std::string Quoted(const std::string& value)
{
    return "\"" + Sanitized(value) + "\"";
}

// A remark's value: in quotes only when it has several words, as readers expect "REM DATE 1999".
std::string RemarkValue(const std::string& value)
{
    const std::string text = Sanitized(value);
    return text.find(' ') == std::string::npos ? text : Quoted(text);
}

std::string FileType(const std::string& file)
{
    return file.size() > 4 && EqualIgnoringCase(file.substr(file.size() - 4), ".mp3") ? "MP3"
                                                                                      : "WAVE";
}

std::string GenreName(int32_t genreIndex)
{
    if (genreIndex < 1 || static_cast<std::size_t>(genreIndex) > GenreNames.size())
        return {};
    return std::string(GenreNames[static_cast<std::size_t>(genreIndex - 1)]);
}

// Where in the previous track's file the track's pre-gap starts, when the disc has one there.
std::optional<uint32_t> PregapInPreviousFile(const RipRecord& record,
                                             const std::vector<uint32_t>& starts, int32_t number)
{
    const auto index = static_cast<std::size_t>(number - 1);
    if (number < 2 || index >= starts.size() || index >= record.pregaps.size() ||
        !record.pregaps[index])
        return std::nullopt;
    const uint32_t pregap = *record.pregaps[index] + kCdLeadInSectors;
    const uint32_t previousStart = starts[index - 1];
    if (pregap < previousStart || pregap >= starts[index])
        return std::nullopt;
    return pregap - previousStart;
}

} // namespace

std::string CueSheetText(const RipRecord& record)
{
    const TDiscFields& disc = record.disc;
    std::string text;
    if (const std::string genre = GenreName(disc.GenreIndex); !genre.empty())
        text += "REM GENRE " + RemarkValue(genre) + "\n";
    if (!disc.Year.empty())
        text += "REM DATE " + RemarkValue(disc.Year) + "\n";
    if (!record.discId.empty())
        text += "REM DISCID " + record.discId + "\n";
    text += "REM COMMENT " + RemarkValue(record.program) + "\n";
    if (IsCatalogNumber(record.facts.Catalog))
        text += "CATALOG " + record.facts.Catalog + "\n";
    if (!disc.Artist.empty())
        text += "PERFORMER " + Quoted(disc.Artist) + "\n";
    if (!disc.Album.empty())
        text += "TITLE " + Quoted(disc.Album) + "\n";

    const std::vector<uint32_t> starts = TocFrames(record.toc).trackStarts;
    int32_t previous = -1; // the track whose FILE came last
    int32_t listed = 0;    // a sheet numbers its tracks one after another, whichever were ripped
    std::string hiddenFile;
    for (const RippedTrack& track : record.tracks) {
        if (track.file.empty())
            continue;
        const std::string file = "FILE " + Quoted(track.file) + " " + FileType(track.file) + "\n";
        // A hidden track is the first track's pre-gap; without that track it has no place.
        if (track.number == kHiddenTrackPosition) {
            hiddenFile = file;
            continue;
        }
        std::string header = "  TRACK " + TwoDigits(++listed) + " AUDIO\n";
        if (const CdTrackFacts* facts = TrackFactsOf(record, track.number)) {
            if (facts->PreEmphasis)
                header += "    FLAGS PRE\n";
            if (IsIsrc(facts->Isrc))
                header += "    ISRC " + facts->Isrc + "\n";
        }
        header += "    TITLE " + Quoted(track.title) + "\n";
        if (!disc.Artist.empty())
            header += "    PERFORMER " + Quoted(disc.Artist) + "\n";
        const std::optional<uint32_t> pregap =
            previous == track.number - 1 ? PregapInPreviousFile(record, starts, track.number)
                                         : std::nullopt;
        if (track.number == 1 && !hiddenFile.empty())
            text += hiddenFile + header + "    INDEX 00 00:00:00\n" + file;
        else if (pregap)
            text += header + "    INDEX 00 " + SectorTime(*pregap, ':') + "\n" + file;
        else
            text += file + header;
        text += "    INDEX 01 00:00:00\n";
        previous = track.number;
    }
    return text;
}

} // namespace corvath
