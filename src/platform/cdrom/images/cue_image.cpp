#include "platform/cdrom/images/cue_image.h"

#include "platform/cdrom/disc_codes.h"
#include "platform/cdrom/images/data_file.h"
#include "platform/text/ascii_case.h"
#include "platform/text/utf8_text.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace corvath {

namespace {

constexpr uint32_t kAudioSectorBytes = 2352;

// A line's words, a quoted one whole without its quotes.
std::vector<std::string> SheetWords(const std::string& line)
{
    std::vector<std::string> words;
    for (std::size_t at = line.find_first_not_of(" \t\r"); at != std::string::npos;
         at = line.find_first_not_of(" \t\r", at)) {
        if (line[at] == '"') {
            const std::size_t end = line.find('"', at + 1);
            words.push_back(line.substr(at + 1, end == std::string::npos ? end : end - at - 1));
            at = end == std::string::npos ? end : end + 1;
        } else {
            const std::size_t end = line.find_first_of(" \t\r", at);
            words.push_back(line.substr(at, end == std::string::npos ? end : end - at));
            at = end;
        }
    }
    return words;
}

struct NamedFile {
    std::string name;
    std::string type;
};

struct CueTrack {
    int number = 0;
    std::string mode;
    std::size_t file = 0;       ///< index into CueSheet::files of INDEX 01
    std::size_t pregapFile = 0; ///< of INDEX 00, which may lie at the end of the file before
    uint8_t session = 1;
    std::optional<uint32_t> index0;
    std::optional<uint32_t> index1;
    uint32_t pregap = 0; ///< PREGAP: silence the file does not hold
    bool preEmphasis = false;
    bool copyPermitted = false;
    std::string isrc;
    std::string title;
    std::string performer;
};

struct CueSheet {
    std::vector<NamedFile> files;
    std::vector<CueTrack> tracks;
    std::string catalog;
    std::string title;
    std::string performer;
    std::string problem;
};

std::optional<int> Number(const std::string& word)
{
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return value;
}

// "mm:ss:ff" as a count of sectors.
std::optional<uint32_t> Frames(const std::string& word)
{
    const std::size_t first = word.find(':');
    const std::size_t second = word.find(':', first + 1);
    if (first == std::string::npos || second == std::string::npos)
        return std::nullopt;
    const std::optional<int> minutes = Number(word.substr(0, first));
    const std::optional<int> seconds = Number(word.substr(first + 1, second - first - 1));
    const std::optional<int> frames = Number(word.substr(second + 1));
    if (!minutes || !seconds || !frames || *minutes < 0 || *minutes > 999 || *seconds < 0 ||
        *seconds >= 60 || *frames < 0 || *frames >= 75)
        return std::nullopt;
    return static_cast<uint32_t>((*minutes * 60 + *seconds) * 75 + *frames);
}

// The name a sheet gives a data file, as this system may hold it: a sheet written on Windows
// parts folders with backslashes, and one in its ANSI code page names files whose names were
// turned into UTF-8 on the way here. The name as written wins when it is there.
std::string NameHere(const std::filesystem::path& folder, const std::string& name)
{
    std::string local = Utf8OrWindows1252(name);
    std::ranges::replace(local, '\\', '/');
    std::error_code error;
    if (local == name || std::filesystem::exists(folder / name, error) ||
        !std::filesystem::exists(folder / local, error))
        return name;
    return local;
}

// The title or performer a TITLE or PERFORMER line gives the disc or the track in hand.
void SetText(CueSheet& sheet, const std::string& keyword, const std::string& value)
{
    std::string& target =
        sheet.tracks.empty()
            ? (keyword == "TITLE" ? sheet.title : sheet.performer)
            : (keyword == "TITLE" ? sheet.tracks.back().title : sheet.tracks.back().performer);
    target = Utf8OrWindows1252(value);
}

void ReadTrackLine(CueSheet& sheet, const std::string& keyword,
                   const std::vector<std::string>& words)
{
    CueTrack& track = sheet.tracks.back();
    if (keyword == "INDEX" && words.size() >= 3) {
        const std::optional<int> number = Number(words[1]);
        const std::optional<uint32_t> at = Frames(words[2]);
        if (!number || !at)
            sheet.problem = "a track's INDEX lines in the cue sheet cannot be read";
        else if (*number == 0)
            track.index0 = at;
        else if (*number == 1)
            track.index1 = at;
        if (*number == 0)
            track.pregapFile = sheet.files.size() - 1;
        else if (*number == 1)
            track.file = sheet.files.size() - 1;
    } else if (keyword == "PREGAP" && words.size() >= 2) {
        track.pregap = Frames(words[1]).value_or(0);
    } else if (keyword == "FLAGS") {
        for (std::size_t k = 1; k < words.size(); ++k) {
            const std::string flag = UpperAscii(words[k]);
            track.preEmphasis |= flag == "PRE";
            track.copyPermitted |= flag == "DCP";
        }
    } else if (keyword == "ISRC" && words.size() >= 2 && IsIsrc(words[1])) {
        track.isrc = words[1];
    }
}

CueSheet ParseCueSheet(const std::string& text)
{
    CueSheet sheet;
    uint8_t session = 1;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line) && sheet.problem.empty();) {
        const std::vector<std::string> words = SheetWords(line);
        if (words.empty())
            continue;
        const std::string keyword = UpperAscii(words[0]);
        if (keyword == "FILE" && words.size() >= 2) {
            sheet.files.push_back({words[1], words.size() >= 3 ? UpperAscii(words[2]) : ""});
        } else if (keyword == "TRACK" && words.size() >= 2) {
            const std::optional<int> number = Number(words[1]);
            if (sheet.files.empty() || !number || *number < 1 || *number > 99) {
                sheet.problem = sheet.files.empty()
                                    ? "the cue sheet names no data file for a track"
                                    : "a track number in the cue sheet lies outside 1 to 99";
                break;
            }
            CueTrack& track = sheet.tracks.emplace_back();
            track.number = *number;
            track.mode = words.size() >= 3 ? UpperAscii(words[2]) : "AUDIO";
            track.file = sheet.files.size() - 1;
            track.session = session;
        } else if (keyword == "CATALOG" && words.size() >= 2) {
            sheet.catalog = words[1];
        } else if ((keyword == "TITLE" || keyword == "PERFORMER") && words.size() >= 2) {
            SetText(sheet, keyword, words[1]);
        } else if (keyword == "REM" && words.size() >= 3 && UpperAscii(words[1]) == "SESSION") {
            const std::optional<int> number = Number(words[2]);
            if (number && *number >= 1 && *number <= 99)
                session = static_cast<uint8_t>(*number);
        } else if (!sheet.tracks.empty()) {
            ReadTrackLine(sheet, keyword, words);
        }
    }
    for (const CueTrack& track : sheet.tracks) {
        const bool sameFile = track.pregapFile == track.file;
        if (sheet.problem.empty() &&
            (!track.index1 || (track.index0 && sameFile && *track.index0 > *track.index1)))
            sheet.problem = "a track's INDEX lines in the cue sheet cannot be read";
    }
    return sheet;
}

std::optional<ImageFileFormat> FormatOf(const NamedFile& file)
{
    const bool flacName =
        LowerAscii(std::filesystem::path(file.name).extension().string()) == ".flac";
    if (file.type == "BINARY")
        return ImageFileFormat::Raw;
    if (file.type == "MOTOROLA")
        return ImageFileFormat::RawBigEndian;
    if (file.type == "FLAC" || (file.type == "WAVE" && flacName))
        return ImageFileFormat::Flac;
    if (file.type == "WAVE")
        return ImageFileFormat::Wave;
    return std::nullopt;
}

uint32_t SectorBytes(const CueTrack& track)
{
    if (track.mode == "MODE1/2048" || track.mode == "MODE2/2048")
        return 2048;
    if (track.mode == "MODE2/2336")
        return 2336;
    if (track.mode == "MODE2/2324")
        return 2324;
    if (track.mode == "MODE2/2332")
        return 2332;
    if (track.mode == "CDG")
        return 2448;
    return kAudioSectorBytes;
}

// Lays the sheet's files out on the disc, one after another, track by track.
class DiscBuilder {
public:
    explicit DiscBuilder(ImageLayout& layout) : layout_(layout) {}

    // Starts the next data file; its frames follow what is laid out so far.
    void StartFile(std::size_t file, uint32_t firstSectorBytes)
    {
        file_ = file;
        frame_ = 0;
        byte_ = 0;
        sectorBytes_ = firstSectorBytes;
    }

    // Lays out the file's frames before frame as the stretch before it (the previous track's
    // tail, or the disc's opening before its first track).
    bool LayOutUntil(uint32_t frame, bool audio)
    {
        if (frame < frame_)
            return false;
        Place(frame - frame_, audio);
        return true;
    }

    void Skip(uint32_t sectors) { disc_ += sectors; }

    void AddSilence(uint32_t sectors)
    {
        layout_.extents.push_back({disc_, sectors, std::nullopt, 0});
        disc_ += sectors;
    }

    // Lays out the rest of the file; false when it is shorter than what is laid out already.
    bool FinishFile(bool audio)
    {
        const uint64_t stream = layout_.files[file_].streamBytes;
        if (stream < byte_)
            return false;
        Place(static_cast<uint32_t>(
                  std::min<uint64_t>((stream - byte_) / sectorBytes_, UINT32_MAX / 2)),
              audio);
        return true;
    }

    void SetSectorBytes(uint32_t bytes) { sectorBytes_ = bytes; }
    uint32_t Disc() const { return disc_; }
    uint32_t Frame() const { return frame_; }

private:
    void Place(uint32_t frames, bool audio)
    {
        if (frames == 0)
            return;
        if (audio && sectorBytes_ == kAudioSectorBytes)
            layout_.extents.push_back({disc_, frames, file_, byte_});
        disc_ += frames;
        frame_ += frames;
        byte_ += uint64_t{frames} * sectorBytes_;
    }

    ImageLayout& layout_;
    std::size_t file_ = 0;
    uint32_t frame_ = 0;
    uint64_t byte_ = 0;
    uint32_t sectorBytes_ = kAudioSectorBytes;
    uint32_t disc_ = 0;
};

class CueReader {
public:
    CueReader(const std::filesystem::path& sheet, CueSheet cue)
        : folder_(sheet.parent_path()), cue_(std::move(cue)), builder_(layout_)
    {
    }

    ImageParse Read()
    {
        if (!cue_.problem.empty())
            return ImageParse::Failed(cue_.problem);
        if (cue_.tracks.empty())
            return ImageParse::Failed("the cue sheet lists no tracks");
        layout_.catalog = cue_.catalog;
        layout_.title = cue_.title;
        layout_.performer = cue_.performer;
        for (const CueTrack& track : cue_.tracks) {
            if (std::string problem = AddTrack(track); !problem.empty())
                return ImageParse::Failed(problem);
        }
        if (!builder_.FinishFile(!layout_.tracks.back().data))
            return ImageParse::Failed(ShortFileProblem());
        layout_.leadOut = builder_.Disc();
        if (std::string problem = LayoutProblem(layout_); !problem.empty())
            return ImageParse::Failed(problem);
        return {std::move(layout_), {}};
    }

private:
    std::string ShortFileProblem() const
    {
        return "its data file \"" + layout_.files.back().path.string() +
               "\" is shorter than its tracks";
    }

    // Starts a file of the track, after the rest of the one before, which goes with the disc's
    // sectors as tailAudio says.
    std::string NextFile(std::size_t fileIndex, const CueTrack& track, bool tailAudio)
    {
        if (currentFile_ && !builder_.FinishFile(tailAudio))
            return ShortFileProblem();
        currentFile_ = fileIndex;
        const NamedFile& named = cue_.files[fileIndex];
        const std::optional<ImageFileFormat> format = FormatOf(named);
        if (!format)
            return "its data file \"" + named.name + "\" is of a kind that cannot be read (" +
                   (named.type.empty() ? std::string("none given") : named.type) + ")";
        std::string problem;
        std::optional<ImageDataFile> file =
            ResolveDataFile(folder_, NameHere(folder_, named.name), *format, problem);
        if (!file)
            return problem;
        layout_.files.push_back(std::move(*file));
        const bool raw =
            *format == ImageFileFormat::Raw || *format == ImageFileFormat::RawBigEndian;
        builder_.StartFile(layout_.files.size() - 1, raw ? SectorBytes(track) : kAudioSectorBytes);
        return {};
    }

    std::string AddTrack(const CueTrack& track)
    {
        const bool discStart = layout_.tracks.empty();
        const bool audio = track.mode == "AUDIO";
        const bool previousAudio = discStart ? audio : !layout_.tracks.back().data;
        if (!discStart && track.number != layout_.tracks.back().number + 1)
            return "the cue sheet's track numbers do not follow one another";
        ImageTrack added;
        // The first track's pre-gap in a file of its own, as a hidden track ripped to its file.
        if (discStart && track.index0 && track.pregapFile != track.file) {
            if (std::string problem = NextFile(track.pregapFile, track, audio); !problem.empty())
                return problem;
        }
        // A pre-gap at the end of the file before, as some rippers write sheets of one file per
        // track: the rest of that file is this track's pre-gap.
        const bool pregapBefore =
            track.index0 && track.pregapFile != track.file && currentFile_ == track.pregapFile;
        if (pregapBefore) {
            if (!builder_.LayOutUntil(*track.index0, previousAudio))
                return "the cue sheet's tracks run backwards";
            added.pregap = builder_.Disc();
        }
        if (currentFile_ != track.file) {
            if (std::string problem =
                    NextFile(track.file, track, pregapBefore ? audio : previousAudio);
                !problem.empty())
                return problem;
        }
        const uint32_t start = *track.index1;
        const uint32_t first = pregapBefore ? 0 : track.index0.value_or(start);
        if (!builder_.LayOutUntil(first, previousAudio))
            return "the cue sheet's tracks run backwards";

        added.number = static_cast<uint8_t>(track.number);
        added.session = track.session;
        // A sheet may hold the next session's first pre-gap itself, or leave it to the gap.
        if (!discStart && added.session > layout_.tracks.back().session)
            builder_.Skip(pregapBefore || track.index0 || track.pregap > 0
                              ? kSessionLeadOutAndLeadIn
                              : kSessionGapSectors);
        // The first track's PREGAP is the disc's lead-in, which holds no sectors to read.
        if (pregapBefore) {
            // placed above
        } else if (!track.index0 && track.pregap > 0 && !discStart) {
            added.pregap = builder_.Disc();
            builder_.AddSilence(track.pregap);
        } else if (track.index0) {
            added.pregap = builder_.Disc();
        } else if (discStart && start > 0) {
            added.pregap = 0; // the stretch before the first track: a hidden track's place
        }
        added.start = builder_.Disc() + start - first;
        added.data = track.mode != "AUDIO";
        added.preEmphasis = track.preEmphasis;
        added.copyPermitted = track.copyPermitted;
        added.isrc = track.isrc;
        added.title = track.title;
        added.performer = track.performer;
        builder_.SetSectorBytes(SectorBytes(track));
        layout_.tracks.push_back(std::move(added));
        return {};
    }

    std::filesystem::path folder_;
    CueSheet cue_;
    ImageLayout layout_;
    DiscBuilder builder_;
    std::optional<std::size_t> currentFile_;
};

} // namespace

ImageParse ReadCueImage(const std::filesystem::path& cueSheet)
{
    std::string problem;
    const std::optional<std::string> text = ReadSheetText(cueSheet, problem);
    if (!text)
        return ImageParse::Failed(problem);
    if (text->find_first_not_of(" \t\r\n") == std::string::npos)
        return ImageParse::Failed("the cue sheet is empty");
    return CueReader(cueSheet, ParseCueSheet(*text)).Read();
}

} // namespace corvath
