// Feeds arbitrary bytes to the CDDB parser as a server's answer: as a query answer (with more
// and less room for matches), as a status line, and as a read answer whose entry lines are then
// written into the disc fields for a few track ranges. A crash, a sanitizer report, an
// exception, more matches than there was room for, a match the next request could not name, or
// a title for a row the disc does not have is a bug.

#include "lookup/cddb_entry_lines.h"
#include "lookup/cddb_protocol.h"
#include "platform/cdrom/cd_errors.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

using corvath::CddbMatchList;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "cddb_answer_fuzzer: %s\n", what);
    std::abort();
}

bool IsTrimmed(std::string_view text)
{
    const auto edge = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    return text.empty() || (!edge(text.front()) && !edge(text.back()));
}

// A read request is "cddb read <category> <disc id>": each must be one word.
bool IsOneWord(std::string_view word)
{
    return !word.empty() && word.find_first_of(" \n") == std::string_view::npos;
}

void CheckQueryAnswer(std::string_view body, uint32_t room)
{
    CddbMatchList matches;
    matches.Count = room;
    const int32_t result = corvath::ParseCddbQueryAnswer(body, matches);
    if (result != corvath::kCdErrorNone && result != corvath::kCdErrorServer)
        Fail("a query answer gave an unknown result");
    if (result == corvath::kCdErrorServer && matches.Count != 0)
        Fail("a refused query answer left matches");
    if (matches.Count > room || matches.Count > corvath::kCdMaxCddbMatches)
        Fail("more matches than there was room for");
    for (uint32_t i = 0; i < matches.Count; ++i) {
        if (!IsOneWord(matches.Matches[i].Category) || !IsOneWord(matches.Matches[i].DiscId))
            Fail("a match without a category or disc id that a read request can name");
    }
}

// Records what an entry writes and checks each call on its own.
class CheckingTarget : public corvath::CddbEntryTarget {
public:
    explicit CheckingTarget(int rows) : rows_(rows) {}

    void ClearDiscFields() override {}
    void SetArtist(const std::string& artist) override { CheckValue(artist); }
    void SetAlbum(const std::string& album) override { CheckValue(album); }
    void SetYear(const std::string& year) override { CheckValue(year); }
    void SelectGenre(const std::string& name) override { CheckValue(name); }
    void SetDisc(int, int) override {}
    void SetReleaseDetails(const corvath::ReleaseDetails&) override {}
    void AlignTitlesLeft() override {}
    void SetTitle(int row, const std::string& title) override
    {
        CheckValue(title);
        if (row < nextRow_)
            Fail("titles came out of row order");
        if (row >= rows_)
            Fail("a title for a row the disc does not have");
        nextRow_ = row + 1;
        ++titles_;
    }

    bool GotTitles() const { return titles_ > 0; }

private:
    static void CheckValue(const std::string& value)
    {
        if (!IsTrimmed(value))
            Fail("a value keeps spaces or control characters at its ends");
    }

    const int rows_;
    int nextRow_ = 0; // rows go up, each at most once
    int titles_ = 0;
};

struct TrackRange {
    uint8_t first;
    uint8_t last;
};

// An ordinary disc, one track, a full disc, and one whose numbering starts late.
constexpr std::array<TrackRange, 4> kTrackRanges = {{{1, 12}, {1, 1}, {1, 99}, {5, 9}}};

void CheckEntry(std::string_view entry)
{
    for (const TrackRange range : kTrackRanges) {
        CheckingTarget target(range.last - range.first + 1);
        const bool titlesFound = corvath::ApplyCddbEntry(entry, range.first, range.last, target);
        if (titlesFound != target.GotTitles())
            Fail("the entry's titles were found but none written, or written but not found");
    }
}

void CheckReadAnswer(std::string_view body)
{
    const std::string status = corvath::CddbStatusLine(body);
    if (status.find('\n') != std::string::npos || status.ends_with(' ') || status.ends_with('\t'))
        Fail("a status line holds a line end or ends in blanks");
    const std::optional<std::string> entry = corvath::ParseCddbReadAnswer(body);
    if (!entry)
        return;
    if (!status.starts_with("210"))
        Fail("an entry was read from an answer that is no 210 answer");
    if (entry->size() > body.size())
        Fail("the entry is larger than the answer");
    CheckEntry(*entry);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    for (const uint32_t room : {uint32_t{corvath::kCdMaxCddbMatches}, uint32_t{3}, uint32_t{0}})
        CheckQueryAnswer(body, room);
    CheckReadAnswer(body);
    return 0;
}
