#include "cli/drives_command.h"

#include "app/hidden_track.h"
#include "cli/cd_source.h"
#include "cli/command_help.h"
#include "cli/disc_command_options.h"
#include "cli/json_output.h"
#include "cli/settings_command.h"
#include "lookup/accurate_rip.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/disc_id.h"

#include <cstdio>
#include <optional>

namespace corvath::cli {

namespace {

CdDriveList DriveList()
{
    CdDriveList list;
    GetCDList(list);
    return list;
}

std::string Msf(uint32_t frames)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", frames / 4500, frames / 75 % 60,
                  frames % 75);
    return text;
}

// A hidden track shows as track 0, as rip takes it.
void PrintToc(const CdToc& toc, bool hiddenTrack, int32_t readOffset, std::ostream& out)
{
    out << "First track: " << int{toc.FirstTrack} << "\nLast track: " << int{toc.LastTrack}
        << "\nTrack  Start     Length    Type\n";
    const DiscFrames disc = TocFrames(toc);
    if (hiddenTrack)
        out << "    0  " << Msf(kCdLeadInSectors) << "  "
            << Msf(disc.trackStarts[0] - kCdLeadInSectors) << "  hidden audio\n";
    const std::vector<uint32_t> ends = TrackEndFrames(toc);
    for (std::size_t k = 0; k < disc.trackStarts.size(); ++k) {
        const uint32_t next = ends[k];
        char number[8];
        std::snprintf(number, sizeof number, "%5d", toc.Entries[k].TrackNumber);
        const bool data = IsDataTrack(toc.Entries[k]);
        out << number << "  " << Msf(disc.trackStarts[k]) << "  " << Msf(next - disc.trackStarts[k])
            << "  " << (data ? "data" : "audio") << '\n';
    }
    const std::string musicBrainzId = MusicBrainzDiscOf(toc).id;
    out << "Lead-out: " << Msf(disc.leadOut) << "\nfreedb disc id: " << FreedbDiscId(disc)
        << "\nMusicBrainz disc id: " << (musicBrainzId.empty() ? "none" : musicBrainzId)
        << "\nWindows disc serial: " << WindowsDiscSerial(toc)
        << "\nAccurateRip disc: " << AccurateRipPath(AccurateRipDiscOf(toc))
        << "\nRead offset: " << std::showpos << readOffset << std::noshowpos << " samples\n";
}

// Reads the TOC with MSF addresses, as the program does, and prints it, as JSON when asked.
int PrintTocOf(const ChosenDisc& disc, int32_t readOffset, bool json, std::ostream& out,
               std::ostream& err)
{
    const CdHandle& handle = disc.handle;
    if (!handle)
        return 1;
    CdToc toc;
    if (!ModifyCDParms(handle.get(), kCdParmMsfAddresses, 1) || ReadTOC(handle.get(), toc) != 1) {
        err << "corvath-cli: cannot read the disc's table of contents (error " << GetAspiLibError()
            << ")\n";
        return 1;
    }
    const bool hiddenTrack = HasHiddenTrack(handle.get(), toc);
    if (json)
        out << TocJson(toc, hiddenTrack, readOffset);
    else
        PrintToc(toc, hiddenTrack, readOffset, out);
    return 0;
}

} // namespace

int RunDrives(std::span<const std::string> args, std::ostream& out, std::ostream& err)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--image" || i + 1 == args.size()) {
            err << "corvath-cli drives: " << args[i]
                << (args[i] == "--image" ? " needs a value\n" : " is an unknown option\n")
                << ShortUsage("drives");
            return 2;
        }
        if (!RegisterDiscImage(args[++i])) {
            err << "corvath-cli: cannot open the disc image " << args[i] << ": "
                << GetCdLastErrorText() << '\n';
            return 1;
        }
    }
    const CdDriveList list = DriveList();
    if (list.Count == 0) {
        err << "corvath-cli: no CD drives found\n";
        return 1;
    }
    for (std::size_t i = 0; i < list.Count; ++i) {
        const CdDriveInfo& drive = list.Drives[i];
        std::string vendor = drive.Vendor.data();
        vendor.erase(vendor.find_last_not_of(' ') + 1); // vendor fields are padded with blanks
        out << i << "  " << vendor << ' ' << drive.Product.data() << "  "
            << drive.Identification.data() << '\n';
    }
    return 0;
}

int RunToc(std::span<const std::string> args, std::ostream& out, std::ostream& err)
{
    const std::optional<DiscCommandOptions> options = ParseDiscCommandOptions("toc", args, err);
    if (!options)
        return 2;
    const TOptionsSetting settings = LoadSettings(SettingsLocation::ForProgram(), err);
    return PrintTocOf(OpenChosenDisc(options->drive, options->image, settings.CDOptions.Index, err),
                      settings.RipOptions.ReadOffset, options->Has("--json"), out, err);
}

} // namespace corvath::cli
