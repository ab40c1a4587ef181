#include "cli/drives_command.h"

#include "platform/cdrom/cd_drive_interface.h"
#include "platform/cdrom/disc_id.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>

namespace corvath::cli {

namespace {

constexpr const char* kDrivesUsage = "Usage: corvath-cli drives [--image FILE]...\n";
constexpr const char* kTocUsage = "Usage: corvath-cli toc [--drive N | --image FILE]\n";

// Closes a handle of the CD layer when it goes.
class CdHandle {
public:
    explicit CdHandle(int32_t handle) : handle_(handle) {}
    ~CdHandle()
    {
        if (handle_ != 0)
            CloseCDHandle(handle_);
    }
    CdHandle(const CdHandle&) = delete;
    CdHandle& operator=(const CdHandle&) = delete;

    int32_t get() const { return handle_; }

private:
    int32_t handle_;
};

CdDriveList DriveList()
{
    CdDriveList list;
    GetCDList(list);
    return list;
}

bool RegisterImage(const std::string& image, std::ostream& err)
{
    if (RegisterDiscImage(image))
        return true;
    err << "corvath-cli: cannot open the disc image " << image << '\n';
    return false;
}

// The list index of a registered image: the entry naming its path (as far as the field holds).
std::optional<std::size_t> ImageIndex(const CdDriveList& list, const std::string& image)
{
    const std::string path = std::filesystem::absolute(image).lexically_normal().string();
    const std::size_t room = list.Drives[0].Identification.size() - 1;
    for (std::size_t i = list.Count; i-- > 0;) {
        if (path.substr(0, room) == list.Drives[i].Identification.data())
            return i;
    }
    return std::nullopt;
}

std::string Msf(uint32_t frames)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", frames / 4500, frames / 75 % 60,
                  frames % 75);
    return text;
}

void PrintToc(const CdToc& toc, std::ostream& out)
{
    out << "First track: " << int{toc.FirstTrack} << "\nLast track: " << int{toc.LastTrack}
        << "\nTrack  Start     Length    Type\n";
    const DiscFrames disc = TocFrames(toc);
    for (std::size_t k = 0; k < disc.trackStarts.size(); ++k) {
        const uint32_t next =
            k + 1 < disc.trackStarts.size() ? disc.trackStarts[k + 1] : disc.leadOut;
        char number[8];
        std::snprintf(number, sizeof number, "%5d", toc.Entries[k].TrackNumber);
        const bool data = (toc.Entries[k].AdrControl & kCdDataTrackControl) != 0;
        out << number << "  " << Msf(disc.trackStarts[k]) << "  " << Msf(next - disc.trackStarts[k])
            << "  " << (data ? "data" : "audio") << '\n';
    }
    out << "Lead-out: " << Msf(disc.leadOut) << "\nfreedb disc id: " << FreedbDiscId(disc)
        << "\nWindows disc serial: " << WindowsDiscSerial(toc) << '\n';
}

// Reads the TOC of list entry index with MSF addresses.
int ReadAndPrintToc(std::size_t index, std::ostream& out, std::ostream& err)
{
    const CdDriveList list = DriveList();
    if (index >= list.Count) {
        err << "corvath-cli: no CD drive " << index << " (" << int{list.Count} << " found)\n";
        return 1;
    }
    const CdDriveInfo& drive = list.Drives[index];
    CdHandleRequest request;
    request.HostAdapter = drive.HostAdapter;
    request.Target = drive.Target;
    request.Lun = drive.Lun;
    const CdHandle handle(GetCDHandle(request));
    CdToc toc;
    if (handle.get() == 0 || !ModifyCDParms(handle.get(), kCdParmMsfAddresses, 1) ||
        ReadTOC(handle.get(), toc) != 1) {
        err << "corvath-cli: cannot read the disc in " << drive.Identification.data() << " (error "
            << GetAspiLibError() << ")\n";
        return 1;
    }
    out << "Drive: " << drive.Vendor.data() << ' ' << drive.Product.data() << " ("
        << drive.Identification.data() << ")\n";
    PrintToc(toc, out);
    return 0;
}

} // namespace

int RunDrives(std::span<const std::string> args, std::ostream& out, std::ostream& err)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--image" || i + 1 == args.size()) {
            err << kDrivesUsage;
            return 2;
        }
        if (!RegisterImage(args[++i], err))
            return 1;
    }
    const CdDriveList list = DriveList();
    if (list.Count == 0) {
        err << "corvath-cli: no CD drives found\n";
        return 1;
    }
    for (std::size_t i = 0; i < list.Count; ++i) {
        const CdDriveInfo& drive = list.Drives[i];
        out << i << "  " << drive.Vendor.data() << ' ' << drive.Product.data() << "  "
            << drive.Identification.data() << '\n';
    }
    return 0;
}

int RunToc(std::span<const std::string> args, std::ostream& out, std::ostream& err)
{
    if (args.empty())
        return ReadAndPrintToc(0, out, err);
    if (args.size() != 2) {
        err << kTocUsage;
        return 2;
    }
    if (args[0] == "--drive") {
        char* end = nullptr;
        const unsigned long index = std::strtoul(args[1].c_str(), &end, 10);
        if (args[1].empty() || *end != '\0') {
            err << kTocUsage;
            return 2;
        }
        return ReadAndPrintToc(index, out, err);
    }
    if (args[0] != "--image") {
        err << kTocUsage;
        return 2;
    }
    if (!RegisterImage(args[1], err))
        return 1;
    const std::optional<std::size_t> index = ImageIndex(DriveList(), args[1]);
    if (!index) {
        err << "corvath-cli: the drive list has no room for " << args[1] << '\n';
        return 1;
    }
    return ReadAndPrintToc(*index, out, err);
}

} // namespace corvath::cli
