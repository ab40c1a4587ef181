#include "platform/cdrom/images/toc_image.h"

#include "platform/cdrom/disc_codes.h"
#include "platform/cdrom/images/data_file.h"
#include "platform/text/ascii_case.h"
#include "platform/text/utf8_text.h"

#include <array>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvath {

namespace {

constexpr uint32_t kAudioBlockBytes = 2352;
constexpr uint32_t kSamplesPerSector = 588;
constexpr uint32_t kBytesPerSample = 4;
constexpr uint32_t kSubchannelBytes = 96;
// Every length, position and the whole disc: above any CD, and small enough that no sum or
// product of them overflows.
constexpr uint64_t kMaxSectors = 100 * 60 * 75;
constexpr std::size_t kMaxTracks = 99;
constexpr std::size_t kMaxIndexes = 98; // INDEX 02 to 99
constexpr std::size_t kMaxDigits = 15;
constexpr std::size_t kMaxLanguage = 7;

// ----- Text

// For messages: a word as written, cut short (between characters) when long.
std::string Shown(std::string_view word)
{
    constexpr std::size_t kShown = 40;
    if (word.size() <= kShown)
        return "\"" + std::string(word) + "\"";
    std::size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(word[cut]) >> 6) == 0x02)
        --cut;
    return "\"" + std::string(word.substr(0, cut)) + "...\"";
}

// ----- Tokens

enum class TokenKind { Word, Text, Open, Close, Comma, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text; ///< a word as written, or a quoted text without quotes and escapes
    std::size_t line = 0;
};

std::string Described(const Token& token)
{
    switch (token.kind) {
    case TokenKind::Word:
        return Shown(token.text);
    case TokenKind::Text:
        return "a quoted text";
    case TokenKind::Open:
        return "\"{\"";
    case TokenKind::Close:
        return "\"}\"";
    case TokenKind::Comma:
        return "\",\"";
    case TokenKind::End:
        break;
    }
    return "the end of the file";
}

bool IsWord(const Token& token, std::string_view word)
{
    return token.kind == TokenKind::Word && token.text == word;
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    // False, with problem and line set, for a quoted text that is not closed on its line or
    // holds an escape cdrdao does not write.
    bool Next(Token& token, std::string& problem)
    {
        SkipBlanks();
        token = Token{};
        token.line = line_;
        if (at_ >= text_.size())
            return true;
        const char c = text_[at_];
        if (c == '"')
            return ReadQuoted(token, problem);
        token.kind = c == '{'   ? TokenKind::Open
                     : c == '}' ? TokenKind::Close
                     : c == ',' ? TokenKind::Comma
                                : TokenKind::Word;
        if (token.kind != TokenKind::Word) {
            ++at_;
            return true;
        }
        const std::size_t begin = at_;
        while (at_ < text_.size() && !IsBlank(text_[at_]) && !IsPunctuation(text_[at_]) &&
               !StartsComment())
            ++at_;
        token.text = text_.substr(begin, at_ - begin);
        return true;
    }

private:
    static bool IsBlank(char c)
    {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
    }
    static bool IsPunctuation(char c) { return c == '{' || c == '}' || c == ',' || c == '"'; }
    bool StartsComment() const { return text_.substr(at_, 2) == "//"; }

    void SkipBlanks()
    {
        while (at_ < text_.size()) {
            if (text_[at_] == '\n') {
                ++line_;
                ++at_;
            } else if (IsBlank(text_[at_])) {
                ++at_;
            } else if (StartsComment()) {
                const std::size_t end = text_.find('\n', at_);
                at_ = end == std::string_view::npos ? text_.size() : end;
            } else {
                return;
            }
        }
    }

    bool ReadQuoted(Token& token, std::string& problem)
    {
        token.kind = TokenKind::Text;
        for (++at_;;) {
            if (at_ >= text_.size() || text_[at_] == '\n') {
                problem = "a quoted text is not closed on its line";
                return false;
            }
            const char c = text_[at_++];
            if (c == '"')
                return true;
            if (c != '\\') {
                token.text += c;
                continue;
            }
            const char escaped = at_ < text_.size() ? text_[at_] : '\n';
            if (escaped == '"' || escaped == '\\') {
                token.text += escaped;
                ++at_;
                continue;
            }
            // cdrdao writes other bytes of CD-Text as up to three octal digits.
            unsigned value = 0;
            std::size_t digits = 0;
            for (; digits < 3 && at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '7';
                 ++digits)
                value = value * 8 + static_cast<unsigned>(text_[at_++] - '0');
            if (digits == 0 || value == 0 || value > 0xFF) {
                problem = "a quoted text holds a backslash that starts no escape cdrdao writes";
                return false;
            }
            token.text += static_cast<char>(value);
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
};

// ----- Numbers

// A length or position: mm:ss:ff counts sectors, a plain number samples or bytes.
struct Amount {
    uint64_t value = 0;
    bool msf = false;
};

std::optional<uint64_t> Digits(std::string_view text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

// Nothing when the word is no number or mm:ss:ff; seconds and frames must be in range.
std::optional<Amount> ParseAmount(std::string_view word)
{
    const std::size_t first = word.find(':');
    if (first == std::string_view::npos) {
        const std::optional<uint64_t> count = Digits(word, kMaxDigits);
        return count ? std::optional<Amount>(Amount{*count, false}) : std::nullopt;
    }
    const std::size_t second = word.find(':', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    const auto minutes = Digits(word.substr(0, first), 3);
    const auto seconds = Digits(word.substr(first + 1, second - first - 1), 2);
    const auto frames = Digits(word.substr(second + 1), 2);
    if (!minutes || !seconds || !frames || *seconds >= 60 || *frames >= 75)
        return std::nullopt;
    return Amount{(*minutes * 60 + *seconds) * 75 + *frames, true};
}

// ----- Track modes

struct TrackMode {
    std::string_view name;
    bool audio;
    uint32_t blockBytes; ///< of the data files cdrdao reads for it
};

constexpr std::array<TrackMode, 8> kTrackModes = {{
    {"AUDIO", true, kAudioBlockBytes},
    {"MODE1", false, 2048},
    {"MODE1_RAW", false, 2352},
    {"MODE2", false, 2336},
    {"MODE2_FORM1", false, 2048},
    {"MODE2_FORM2", false, 2324},
    {"MODE2_FORM_MIX", false, 2336},
    {"MODE2_RAW", false, 2352},
}};

const TrackMode* FindMode(const Token& token)
{
    if (token.kind != TokenKind::Word)
        return nullptr;
    for (const TrackMode& mode : kTrackModes) {
        if (mode.name == token.text)
            return &mode;
    }
    return nullptr;
}

bool IsSubchannelMode(const Token& token)
{
    return IsWord(token, "RW") || IsWord(token, "RW_RAW");
}

bool OneOf(std::string_view word, std::initializer_list<std::string_view> words)
{
    for (const std::string_view known : words) {
        if (known == word)
            return true;
    }
    return false;
}

bool IsHeaderWord(std::string_view word)
{
    return OneOf(word, {"CATALOG", "CD_DA", "CD_ROM", "CD_ROM_XA", "CD_I"});
}

bool IsTrackWord(std::string_view word)
{
    return OneOf(word, {"NO", "COPY", "PRE_EMPHASIS", "TWO_CHANNEL_AUDIO", "FOUR_CHANNEL_AUDIO",
                        "ISRC", "FILE", "AUDIOFILE", "DATAFILE", "SILENCE", "ZERO", "START",
                        "PREGAP", "INDEX", "FIFO", "SWAP", "RW", "RW_RAW"});
}

bool IsCdTextItem(std::string_view word)
{
    return OneOf(word,
                 {"TITLE", "PERFORMER", "SONGWRITER", "COMPOSER", "ARRANGER", "MESSAGE", "DISC_ID",
                  "GENRE", "TOC_INFO1", "TOC_INFO2", "UPC_EAN", "ISRC", "SIZE_INFO"});
}

bool IsCompressedAudioName(std::string_view name)
{
    for (const std::string_view extension : {".mp3", ".ogg", ".flac"}) {
        if (name.size() >= extension.size() &&
            EqualIgnoringCase(name.substr(name.size() - extension.size()), extension))
            return true;
    }
    return false;
}

bool IsWaveName(std::string_view name)
{
    return name.size() >= 4 && EqualIgnoringCase(name.substr(name.size() - 4), ".wav");
}

// ----- The reader

struct CdText {
    std::string title;
    std::string performer;
};

struct TrackState {
    ImageTrack track;
    std::size_t line = 0; ///< of its TRACK
    bool audio = true;
    uint32_t blockBytes = kAudioBlockBytes;
    uint64_t begin = 0;   ///< the disc's sector where it begins, pre-gap included
    uint64_t sectors = 0; ///< its length so far
    bool hasData = false;
    std::optional<uint64_t> pregapSectors;
    std::size_t pregapLine = 0;
    std::vector<std::pair<uint64_t, std::size_t>> indexes; ///< position, line
};

class TocReader {
public:
    TocReader(std::string_view text, std::filesystem::path folder)
        : lexer_(text), folder_(std::move(folder))
    {
    }

    ImageParse Read()
    {
        if (!ReadAll() || !problem_.empty())
            return ImageParse::Failed(problem_);
        layout_.leadOut = static_cast<uint32_t>(discSectors_);
        if (std::string problem = LayoutProblem(layout_); !problem.empty())
            return ImageParse::Failed(std::move(problem));
        return {std::move(layout_), {}};
    }

private:
    bool ReadAll()
    {
        for (;;) {
            Token token;
            if (!Take(token))
                return false;
            if (token.kind == TokenKind::End)
                break;
            if (token.kind != TokenKind::Word)
                return Fail(token.line, Described(token) + " stands where a keyword belongs");
            if (token.text == "TRACK") {
                if (!FinishTrack() || !StartTrack(token))
                    return false;
            } else if (!(track_ ? ReadTrackStatement(token) : ReadHeader(token))) {
                return false;
            }
        }
        return FinishTrack();
    }

    // --- Tokens

    // Once a problem is found, nothing more is read.
    bool Take(Token& token)
    {
        if (!problem_.empty())
            return false;
        if (peeked_) {
            token = std::move(*peeked_);
            peeked_.reset();
            return true;
        }
        std::string problem;
        if (!lexer_.Next(token, problem))
            return Fail(token.line, problem);
        return true;
    }

    const Token* Peek()
    {
        if (!peeked_) {
            Token token;
            if (!Take(token))
                return nullptr;
            peeked_ = std::move(token);
        }
        return &*peeked_;
    }

    // The next token when it is a word that forms an amount; else nothing, the token left.
    std::optional<Amount> TakeAmountIfAny()
    {
        const Token* next = Peek();
        if (next == nullptr || next->kind != TokenKind::Word)
            return std::nullopt;
        const std::optional<Amount> amount = ParseAmount(next->text);
        if (amount)
            peeked_.reset();
        return amount;
    }

    bool TakeAmount(const Token& keyword, Amount& amount, bool msfOnly)
    {
        Token token;
        if (!Take(token))
            return false;
        const std::optional<Amount> parsed =
            token.kind == TokenKind::Word ? ParseAmount(token.text) : std::nullopt;
        if (!parsed || (msfOnly && !parsed->msf))
            return Fail(token.line,
                        keyword.text + " is followed by " +
                            (msfOnly ? "a time as mm:ss:ff" : "a length as mm:ss:ff or a number") +
                            ", not " + Described(token));
        amount = *parsed;
        return true;
    }

    bool TakeText(const Token& keyword, std::string& text)
    {
        Token token;
        if (!Take(token))
            return false;
        if (token.kind != TokenKind::Text)
            return Fail(token.line,
                        keyword.text + " is followed by a quoted text, not " + Described(token));
        text = std::move(token.text);
        return true;
    }

    bool TakeOpen(const std::string& keywords)
    {
        Token token;
        if (!Take(token))
            return false;
        if (token.kind != TokenKind::Open)
            return Fail(token.line, keywords + " is followed by \"{\", not " + Described(token));
        return true;
    }

    bool Fail(std::size_t line, const std::string& reason)
    {
        if (problem_.empty())
            problem_ = "the TOC file's line " + std::to_string(line) + " cannot be read: " + reason;
        return false;
    }

    // --- The header

    bool ReadHeader(const Token& word)
    {
        if (word.text == "CATALOG") {
            std::string catalog;
            if (!TakeText(word, catalog))
                return false;
            if (catalog.size() != 13 || !Digits(catalog, 13))
                return Fail(word.line, "a catalogue number has 13 digits");
            layout_.catalog = std::move(catalog);
            return true;
        }
        if (IsHeaderWord(word.text))
            return true;
        if (word.text == "CD_TEXT") {
            CdText text;
            if (!ReadCdText(word, text))
                return false;
            layout_.title = std::move(text.title);
            layout_.performer = std::move(text.performer);
            return true;
        }
        return Fail(word.line, Misplaced(word.text, false));
    }

    // Why a word cannot stand where it does.
    static std::string Misplaced(std::string_view word, bool inTrack)
    {
        if (word == "LANGUAGE" || word == "LANGUAGE_MAP" || IsCdTextItem(word))
            return Shown(word) + " belongs inside a CD_TEXT block";
        if (inTrack && IsHeaderWord(word))
            return Shown(word) + " belongs before the first track";
        if (!inTrack && IsTrackWord(word))
            return Shown(word) + " belongs to a track, after TRACK";
        return Shown(word) + " is not a word of a TOC file";
    }

    // --- CD-Text

    // CD_TEXT { [LANGUAGE_MAP { ... }] LANGUAGE n { ITEM value ... } ... }; keeps TITLE and
    // PERFORMER of language 0, else of the first language.
    bool ReadCdText(const Token& word, CdText& kept)
    {
        if (!TakeOpen(word.text))
            return false;
        std::optional<uint64_t> keptLanguage;
        for (;;) {
            Token token;
            if (!Take(token))
                return false;
            if (token.kind == TokenKind::Close)
                return true;
            if (token.kind == TokenKind::End)
                return Fail(word.line, "the CD_TEXT block begun here is not closed");
            if (IsWord(token, "LANGUAGE_MAP")) {
                if (!SkipLanguageMap(token))
                    return false;
            } else if (IsWord(token, "LANGUAGE")) {
                if (!ReadLanguage(token, kept, keptLanguage))
                    return false;
            } else {
                return Fail(token.line, Described(token) + " does not belong in a CD_TEXT block");
            }
        }
    }

    // Pairs of a language number and a country code, as "0 : EN" or "1: 15".
    bool SkipLanguageMap(const Token& word)
    {
        if (!TakeOpen(word.text))
            return false;
        for (;;) {
            Token token;
            if (!Take(token))
                return false;
            if (token.kind == TokenKind::Close)
                return true;
            const bool plain =
                token.kind == TokenKind::Word &&
                token.text.find_first_not_of("0123456789:ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklm"
                                             "nopqrstuvwxyz") == std::string::npos;
            if (!plain)
                return Fail(token.line, Described(token) + " does not belong in a LANGUAGE_MAP");
        }
    }

    bool ReadLanguage(const Token& word, CdText& kept, std::optional<uint64_t>& keptLanguage)
    {
        Token number;
        if (!Take(number))
            return false;
        const std::optional<uint64_t> language =
            number.kind == TokenKind::Word ? Digits(number.text, 1) : std::nullopt;
        if (!language || *language > kMaxLanguage)
            return Fail(number.line,
                        "LANGUAGE is followed by a number from 0 to 7, not " + Described(number));
        if (!TakeOpen("LANGUAGE " + number.text))
            return false;
        CdText text;
        bool multiByte = false;
        for (;;) {
            Token item;
            if (!Take(item))
                return false;
            if (item.kind == TokenKind::Close)
                break;
            if (item.kind == TokenKind::End)
                return Fail(word.line, "the LANGUAGE block begun here is not closed");
            if (item.kind == TokenKind::Word && item.text.starts_with("ENCODING_")) {
                multiByte = item.text == "ENCODING_MS_JIS" || item.text == "ENCODING_KOREAN" ||
                            item.text == "ENCODING_MANDARIN";
                continue;
            }
            if (item.kind != TokenKind::Word || !IsCdTextItem(item.text))
                return Fail(item.line, Described(item) + " is not a CD-Text item");
            std::string value;
            if (!ReadCdTextValue(item, value))
                return false;
            if (item.text == "TITLE")
                text.title = std::move(value);
            else if (item.text == "PERFORMER")
                text.performer = std::move(value);
        }
        if (!keptLanguage || (*language == 0 && *keptLanguage != 0)) {
            kept = {Readable(text.title, multiByte), Readable(text.performer, multiByte)};
            keptLanguage = language;
        }
        return true;
    }

    // A quoted text, or binary data as { 0, 10, 255 } (left empty).
    bool ReadCdTextValue(const Token& item, std::string& value)
    {
        const Token* next = Peek();
        if (next == nullptr)
            return false;
        if (next->kind != TokenKind::Open)
            return TakeText(item, value);
        peeked_.reset();
        for (;;) {
            Token token;
            if (!Take(token))
                return false;
            if (token.kind == TokenKind::Close)
                return true;
            if (token.kind == TokenKind::Comma)
                continue;
            const std::optional<uint64_t> byte =
                token.kind == TokenKind::Word ? Digits(token.text, 3) : std::nullopt;
            if (!byte || *byte > 0xFF)
                return Fail(token.line,
                            "binary CD-Text holds numbers from 0 to 255, not " + Described(token));
        }
    }

    // UTF-8 as it stands; other single-byte text as Windows-1252, the superset of ISO 8859-1
    // that programs write. Text in a two-byte encoding that is not UTF-8 is left out rather than
    // shown garbled.
    static std::string Readable(const std::string& text, bool multiByte)
    {
        return multiByte && !IsUtf8(text) ? std::string() : Utf8OrWindows1252(text);
    }

    // --- Tracks

    bool StartTrack(const Token& word)
    {
        if (layout_.tracks.size() >= kMaxTracks)
            return Fail(word.line, "a disc holds at most 99 tracks");
        Token modeToken;
        if (!Take(modeToken))
            return false;
        const TrackMode* mode = FindMode(modeToken);
        if (mode == nullptr)
            return Fail(modeToken.line,
                        "TRACK is followed by a track mode such as AUDIO or MODE1, not " +
                            Described(modeToken));
        TrackState state;
        state.track.number = static_cast<uint8_t>(layout_.tracks.size() + 1);
        state.track.data = !mode->audio;
        state.line = word.line;
        state.audio = mode->audio;
        state.blockBytes = mode->blockBytes;
        state.begin = discSectors_;
        if (const Token* next = Peek(); next != nullptr && IsSubchannelMode(*next)) {
            if (mode->audio)
                return Fail(word.line, "audio with sub-channel data (" + next->text +
                                           ") cannot be read from an image");
            state.blockBytes += kSubchannelBytes;
            peeked_.reset();
        } else if (next == nullptr) {
            return false;
        }
        track_ = std::move(state);
        return true;
    }

    bool ReadTrackStatement(const Token& word)
    {
        ImageTrack& track = track_->track;
        const std::string& w = word.text;
        if (w == "NO") {
            Token flag;
            if (!Take(flag))
                return false;
            if (IsWord(flag, "COPY"))
                track.copyPermitted = false;
            else if (IsWord(flag, "PRE_EMPHASIS"))
                track.preEmphasis = false;
            else
                return Fail(flag.line,
                            "NO is followed by COPY or PRE_EMPHASIS, not " + Described(flag));
            return true;
        }
        if (w == "COPY") {
            track.copyPermitted = true;
            return true;
        }
        if (w == "PRE_EMPHASIS") {
            track.preEmphasis = track_->audio;
            return true;
        }
        if (w == "TWO_CHANNEL_AUDIO" || w == "FOUR_CHANNEL_AUDIO")
            return true;
        if (w == "ISRC") {
            std::string isrc;
            if (!TakeText(word, isrc))
                return false;
            // Twelve zeros say there is none.
            const bool none = isrc == std::string(12, '0');
            if (!none && !IsIsrc(isrc))
                return Fail(word.line, "an ISRC has 12 characters: country and owner in capitals "
                                       "or digits, then year and serial number in digits");
            if (track_->audio && !none)
                track.isrc = std::move(isrc);
            return true;
        }
        if (w == "CD_TEXT") {
            CdText text;
            if (!ReadCdText(word, text))
                return false;
            track.title = std::move(text.title);
            track.performer = std::move(text.performer);
            return true;
        }
        if (w == "SILENCE" || w == "ZERO")
            return ReadZeros(word);
        if (w == "FILE" || w == "AUDIOFILE" || w == "DATAFILE")
            return ReadFilePiece(word);
        if (w == "START")
            return ReadStart(word);
        if (w == "PREGAP")
            return ReadPregap(word);
        if (w == "INDEX") {
            Amount position;
            if (!TakeAmount(word, position, true))
                return false;
            if (track_->indexes.size() >= kMaxIndexes)
                return Fail(word.line, "a track has at most 98 INDEX lines");
            track_->indexes.emplace_back(position.value, word.line);
            return true;
        }
        if (w == "FIFO")
            return Fail(word.line, "data from a FIFO cannot be read from an image");
        return Fail(word.line, Misplaced(w, true));
    }

    // Sectors an amount covers in the current track: mm:ss:ff counts sectors; a number counts
    // samples in an audio track, which must make whole sectors, and bytes in a data track,
    // whose last partial block cdrdao pads to a whole one.
    bool SectorsOf(const Amount& amount, std::size_t line, uint64_t& sectors)
    {
        if (amount.msf) {
            sectors = amount.value;
        } else if (track_->audio) {
            if (amount.value % kSamplesPerSector != 0)
                return Fail(line, "a length of " + std::to_string(amount.value) +
                                      " samples is not a whole number of sectors (588 samples "
                                      "each)");
            sectors = amount.value / kSamplesPerSector;
        } else {
            sectors = (amount.value + track_->blockBytes - 1) / track_->blockBytes;
        }
        if (sectors > kMaxSectors)
            return Fail(line, "it gives a length above 100 minutes");
        return true;
    }

    // Bytes of a file before where an amount points.
    uint64_t BytesOf(const Amount& amount) const
    {
        if (amount.msf)
            return amount.value * track_->blockBytes;
        return track_->audio ? amount.value * kBytesPerSample : amount.value;
    }

    // Adds sectors to the current track; an audio track's come from a file or are silence.
    bool Append(std::size_t line, uint64_t sectors, std::optional<std::size_t> file = {},
                uint64_t byteOffset = 0)
    {
        TrackState& state = *track_;
        state.hasData = true;
        if (sectors == 0)
            return true;
        if (state.begin + state.sectors + sectors > kMaxSectors)
            return Fail(line, "the disc runs past 100 minutes");
        const uint64_t first = state.begin + state.sectors;
        state.sectors += sectors;
        if (!state.audio)
            return true;
        std::vector<ImageExtent>& extents = layout_.extents;
        if (!extents.empty()) {
            ImageExtent& last = extents.back();
            const bool follows =
                uint64_t{last.firstSector} + last.sectorCount == first && last.file == file &&
                (!file ||
                 last.byteOffset + uint64_t{last.sectorCount} * kAudioBlockBytes == byteOffset);
            if (follows) {
                last.sectorCount += static_cast<uint32_t>(sectors);
                return true;
            }
        }
        extents.push_back(
            {static_cast<uint32_t>(first), static_cast<uint32_t>(sectors), file, byteOffset});
        return true;
    }

    // SILENCE <length>, ZERO [<mode> [<sub-channel mode>]] <length>
    bool ReadZeros(const Token& word)
    {
        if (word.text == "ZERO") {
            const Token* next = Peek();
            if (next == nullptr)
                return false;
            if (const TrackMode* mode = FindMode(*next)) {
                if (mode->audio != track_->audio)
                    return Fail(word.line, "ZERO " + next->text + " does not fit a" +
                                               (track_->audio ? "n audio" : " data") + " track");
                peeked_.reset();
                next = Peek();
                if (next == nullptr)
                    return false;
                if (IsSubchannelMode(*next))
                    peeked_.reset();
            }
        }
        Amount length;
        uint64_t sectors = 0;
        return TakeAmount(word, length, false) && SectorsOf(length, word.line, sectors) &&
               Append(word.line, sectors);
    }

    // FILE|AUDIOFILE "name" [SWAP] [#offset] <start> [<length>], DATAFILE "name" [#offset]
    // [<length>]; a length left out or 0 reads to the end of the file.
    bool ReadFilePiece(const Token& word)
    {
        const bool audioFile = word.text != "DATAFILE";
        std::string name;
        if (!TakeText(word, name))
            return false;
        bool swap = false;
        std::optional<uint64_t> offset;
        for (const Token* next = Peek(); next != nullptr; next = Peek()) {
            if (audioFile && IsWord(*next, "SWAP") && !swap) {
                swap = true;
            } else if (next->kind == TokenKind::Word && next->text.starts_with('#') && !offset) {
                offset = Digits(std::string_view(next->text).substr(1), kMaxDigits);
                if (!offset)
                    return Fail(next->line, "a byte offset is written as # and a number, not " +
                                                Described(*next));
            } else {
                break;
            }
            peeked_.reset();
        }
        if (!Peek())
            return false;

        Amount start;
        if (audioFile && !TakeAmount(word, start, false))
            return false;
        const std::optional<Amount> length = TakeAmountIfAny();
        if (!problem_.empty())
            return false;

        const bool wave = audioFile && track_->audio && IsWaveName(name);
        if (IsCompressedAudioName(name))
            return Fail(word.line, "compressed audio (MP3, Ogg Vorbis, FLAC) cannot be read "
                                   "from a TOC file's image");
        if (swap && (wave || !track_->audio))
            return Fail(word.line, "SWAP applies to raw audio files only");
        if (offset && wave)
            return Fail(word.line, "a WAVE file's audio is found without a byte offset");
        const ImageFileFormat format = !track_->audio ? ImageFileFormat::Raw
                                       : wave         ? ImageFileFormat::Wave
                                       : swap         ? ImageFileFormat::Raw
                                                      : ImageFileFormat::RawBigEndian;
        const ImageDataFile* file = Resolve(name, format);
        if (file == nullptr)
            return false;

        const uint64_t startBytes = offset.value_or(0) + (audioFile ? BytesOf(start) : 0);
        if (startBytes > file->streamBytes)
            return Fail(word.line,
                        "it starts past the end of its data file \"" + file->path.string() + "\"");
        const uint64_t rest = file->streamBytes - startBytes;
        uint64_t sectors = 0;
        if (length && length->value != 0) {
            if (!SectorsOf(*length, word.line, sectors))
                return false;
            const uint64_t bytes =
                length->msf || track_->audio ? sectors * track_->blockBytes : length->value;
            if (bytes > rest)
                return Fail(word.line, "its data file \"" + file->path.string() +
                                           "\" ends before the sectors it names");
        } else {
            sectors = track_->audio ? rest / track_->blockBytes
                                    : (rest + track_->blockBytes - 1) / track_->blockBytes;
            if (sectors == 0)
                return Fail(word.line, "its data file \"" + file->path.string() +
                                           "\" holds no whole sector from where it starts");
            if (sectors > kMaxSectors)
                return Fail(word.line, "it gives a length above 100 minutes");
        }
        if (!track_->audio)
            return Append(word.line, sectors);
        return Append(word.line, sectors, FileIndex(*file), startBytes);
    }

    // Each name and format resolved once, however many lines name it.
    const ImageDataFile* Resolve(const std::string& name, ImageFileFormat format)
    {
        const auto key = std::make_pair(name, static_cast<int>(format));
        if (const auto found = resolved_.find(key); found != resolved_.end())
            return &found->second;
        std::string problem;
        std::optional<ImageDataFile> file = ResolveDataFile(folder_, name, format, problem);
        if (!file) {
            if (problem_.empty())
                problem_ = std::move(problem);
            return nullptr;
        }
        return &resolved_.emplace(key, std::move(*file)).first->second;
    }

    std::size_t FileIndex(const ImageDataFile& file)
    {
        for (std::size_t k = 0; k < layout_.files.size(); ++k) {
            if (layout_.files[k].path == file.path && layout_.files[k].format == file.format)
                return k;
        }
        layout_.files.push_back(file);
        return layout_.files.size() - 1;
    }

    bool SetPregap(const Token& word, uint64_t sectors)
    {
        if (track_->pregapSectors)
            return Fail(word.line, "a track has one pre-gap, set by one START or PREGAP");
        track_->pregapSectors = sectors;
        track_->pregapLine = word.line;
        return true;
    }

    // START [mm:ss:ff]: the pre-gap is the track up to here, or as long as given.
    bool ReadStart(const Token& word)
    {
        const std::optional<Amount> at = TakeAmountIfAny();
        if (!problem_.empty())
            return false;
        if (at && !at->msf)
            return Fail(word.line, "START is followed by a time as mm:ss:ff");
        return SetPregap(word, at ? at->value : track_->sectors);
    }

    // PREGAP mm:ss:ff: silence (or zeros) before the track's data, as its pre-gap.
    bool ReadPregap(const Token& word)
    {
        if (track_->hasData)
            return Fail(word.line, "PREGAP belongs before the track's data");
        Amount length;
        return TakeAmount(word, length, true) && SetPregap(word, length.value) &&
               Append(word.line, length.value);
    }

    bool FinishTrack()
    {
        if (!track_)
            return true;
        TrackState& state = *track_;
        if (state.sectors == 0)
            return Fail(state.line,
                        "track " + std::to_string(state.track.number) + " holds no data");
        const uint64_t pregap = state.pregapSectors.value_or(0);
        if (pregap >= state.sectors)
            return Fail(state.pregapLine, "the pre-gap it sets is not shorter than its track");
        uint64_t previous = 0;
        for (const auto& [position, line] : state.indexes) {
            if (position <= previous || position >= state.sectors - pregap)
                return Fail(line, "INDEX positions rise, after the track's start and before "
                                  "its end");
            previous = position;
        }
        state.track.start = static_cast<uint32_t>(state.begin + pregap);
        if (pregap > 0)
            state.track.pregap = static_cast<uint32_t>(state.begin);
        layout_.tracks.push_back(std::move(state.track));
        discSectors_ = state.begin + state.sectors;
        track_.reset();
        return true;
    }

    Lexer lexer_;
    std::optional<Token> peeked_;
    std::filesystem::path folder_;
    std::string problem_;
    ImageLayout layout_;
    std::optional<TrackState> track_;
    uint64_t discSectors_ = 0; ///< of the finished tracks
    std::map<std::pair<std::string, int>, ImageDataFile> resolved_;
};

} // namespace

ImageParse ReadTocImage(const std::filesystem::path& tocFile)
{
    std::string problem;
    const std::optional<std::string> text = ReadSheetText(tocFile, problem);
    if (!text)
        return ImageParse::Failed(problem);
    // Data files are looked for beside the TOC file; an empty folder would let them lie anywhere.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(tocFile, error);
    if (error)
        return ImageParse::Failed("its folder cannot be found (" + error.message() + ")");
    return TocReader(*text, absolute.parent_path()).Read();
}

} // namespace corvath
