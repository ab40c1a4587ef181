#include "cli/musicbrainz_command.h"

#include "app/cddb_server_setting.h"
#include "app/disc_session.h"
#include "app/musicbrainz_query_setting.h"
#include "app/options_store.h"
#include "cli/cd_source.h"
#include "cli/disc_command_options.h"
#include "cli/entry_record.h"
#include "cli/json_output.h"
#include "cli/parse_number.h"
#include "cli/settings_command.h"
#include "cli/terminal_text.h"
#include "lookup/cddb_options.h"
#include "lookup/disc_cover.h"
#include "lookup/musicbrainz_entry.h"
#include "lookup/musicbrainz_lookup.h"
#include "platform/cdrom/track_span.h"

#include <algorithm>
#include <optional>
#include <ranges>

namespace corvath::cli {

namespace {

std::string OrDash(const std::string& text)
{
    return text.empty() ? "-" : TerminalText(text);
}

// "1. Artist / Title | 1997-05-02 | GB | Label | CAT-1 | CD 2/2 | 12 tracks"
void PrintRelease(std::size_t number, const MusicBrainzRelease& release, std::ostream& out)
{
    std::string medium = OrDash(release.format);
    if (release.mediumCount > 1)
        medium += ' ' + std::to_string(release.mediumPosition) + '/' +
                  std::to_string(release.mediumCount);
    out << number << ". " << TerminalText(release.artist) << " / " << TerminalText(release.title)
        << " | " << OrDash(release.date) << " | " << OrDash(release.country) << " | "
        << OrDash(release.label) << " | " << OrDash(release.catalogNumber) << " | " << medium
        << " | " << release.trackCount << " tracks\n";
}

// Opens the disc as the main window would; false, with the reason on err, when it cannot be.
bool OpenDisc(DiscSession& session, const DiscCommandOptions& options, int32_t settingsIndex,
              std::ostream& err)
{
    std::string status;
    try {
        status = options.image.empty() ? session.OpenDrive(static_cast<int32_t>(
                                             ChosenDriveIndex(options.drive, settingsIndex)))
                                       : session.OpenImage(options.image);
    } catch (const std::exception& error) {
        status = error.what();
    }
    if (session.Handle() != 0)
        return true;
    err << "corvath-cli musicbrainz: " << status << '\n';
    return false;
}

// Stores the release under the disc, keeping what the lookup does not change.
void Store(DiscSession& session, const MusicBrainzRelease& release, std::ostream& out)
{
    TCDInfo info;
    const std::optional<std::vector<TrackRow>> rows = session.ReadDisc(info);
    if (!rows)
        throw std::runtime_error("Error while reading TOC information!");
    // The release names the disc's tracks; a hidden one keeps its title.
    const bool hidden = rows->front().number == kHiddenTrackPosition;
    std::vector<std::string> titles;
    for (const TrackRow& row : *rows | std::views::drop(hidden ? 1 : 0))
        titles.push_back(row.title);
    TDiscFields fields = StoredDiscFields(info);
    EntryRecord entry;
    ApplyMusicBrainzRelease(release, static_cast<int>(titles.size()), entry);
    entry.ApplyTo(fields, titles, info.Release);
    if (hidden)
        titles.insert(titles.begin(), rows->front().title);
    session.SaveDisc(info, titles, fields);
    entry.Print(static_cast<uint8_t>((*rows)[hidden ? 1 : 0].number), out);
}

// Keeps the release's front cover for the disc, where the rip finds it. A failure only warns:
// the release is stored either way.
void CacheCover(const std::string& discKey, const std::string& mbid,
                const TOptionsSetting& settings, std::ostream& out, std::ostream& err)
{
    const DiscCover cover = DownloadDiscCover(discKey, settings.MusicBrainz.CoverArtServer, mbid,
                                              LookupHttpOptions(CddbServerOf(settings.QueryCDDB)));
    if (!cover.failure.empty())
        err << "corvath-cli musicbrainz: warning: " << TerminalText(cover.failure) << '\n';
    else if (cover.cover)
        out << "Cover art: " << TerminalText(cover.cover->file.string()) << '\n';
    else
        out << "No cover art\n";
}

} // namespace

int RunMusicBrainz(std::span<const std::string> args, std::ostream& out, std::ostream& err)
{
    const std::optional<DiscCommandOptions> options =
        ParseDiscCommandOptions("musicbrainz", args, err);
    if (!options)
        return 2;
    const bool json = options->Has("--json");
    std::optional<std::size_t> chosen;
    if (const auto release = options->values.find("--release"); release != options->values.end()) {
        chosen = ParseNumber<std::size_t>(release->second);
        if (!chosen || *chosen == 0) {
            err << "corvath-cli musicbrainz: --release takes a number of the list\n";
            return 2;
        }
    }
    const SettingsLocation location = SettingsLocation::ForProgram();
    TOptionsSetting settings = LoadSettings(location, err);
    if (const auto server = options->values.find("--server"); server != options->values.end())
        settings.MusicBrainz.Server = server->second;

    DiscSession session(location.discInfoFile);
    if (!OpenDisc(session, *options, settings.CDOptions.Index, err))
        return 1;
    const std::optional<CdToc> toc = session.ReadToc();
    if (!toc) {
        err << "Error while reading TOC information!\n";
        return 1;
    }
    const MusicBrainzQuery query = MusicBrainzQueryOf(*toc, settings);
    if (query.discId.empty()) {
        err << "corvath-cli musicbrainz: the disc has no audio tracks\n";
        return 1;
    }
    const MusicBrainzLookup lookup = LookUpMusicBrainz(query);
    if (lookup.outcome == MusicBrainzLookup::Outcome::Failed) {
        err << "corvath-cli musicbrainz: the lookup failed: " << TerminalText(lookup.failure)
            << '\n';
        return 1;
    }
    if (json)
        out << ReleasesJson(lookup.releases);
    else if (lookup.releases.empty())
        out << "No match found\n";
    else
        for (std::size_t i = 0; i < lookup.releases.size(); ++i)
            PrintRelease(i + 1, lookup.releases[i], out);
    if (lookup.releases.empty())
        return 1;
    if (!chosen)
        return 0;
    if (*chosen > lookup.releases.size()) {
        err << "corvath-cli musicbrainz: --release takes 1 to " << lookup.releases.size() << '\n';
        return 2;
    }
    // The JSON is the whole output: what is stored is not told beside it.
    std::ostream discarded(nullptr);
    std::ostream& told = json ? discarded : out;
    told << "Stored release " << *chosen << ":\n";
    const MusicBrainzRelease& release = lookup.releases[*chosen - 1];
    Store(session, release, told);
    if (const std::string discKey = DiscKeyOf(*toc);
        settings.MusicBrainz.CoverArt && !discKey.empty())
        CacheCover(discKey, release.id, settings, told, err);
    return 0;
}

} // namespace corvath::cli
