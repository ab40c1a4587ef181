#include "app/rip_report_files.h"

#include "app/output_naming.h"
#include "app/rip_cue_sheet.h"
#include "app/rip_log.h"
#include "platform/files/whole_file.h"

#include <algorithm>
#include <filesystem>

namespace corvath {

namespace {

namespace fs = std::filesystem;

// Leaves room for " (NN).log" in the 255 bytes a file name may have.
constexpr std::size_t kMaxNameBytes = 200;

std::string FileNameSafe(const std::string& name)
{
    std::string safe = SingleLine(name);
    std::replace(safe.begin(), safe.end(), '/', '-');
    if (safe.size() > kMaxNameBytes) {
        std::size_t cut = kMaxNameBytes;
        while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80)
            --cut; // not inside a UTF-8 character
        safe.resize(cut);
    }
    return safe;
}

bool Exists(const fs::path& file)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(file, error));
}

} // namespace

std::string RipReportName(const TDiscFields& disc, const std::string& discId)
{
    std::string name = disc.Artist;
    if (!name.empty() && !disc.Album.empty())
        name += " - ";
    name += disc.Album;
    if (name.empty())
        name = discId.empty() ? "Rip" : discId;
    return FileNameSafe(name);
}

std::vector<std::string> WriteRipReport(const RipRecord& record, const std::string& folder,
                                        const TRipOptions& options, std::string* log)
{
    const bool cueSheet = options.WriteCueSheet &&
                          std::any_of(record.tracks.begin(), record.tracks.end(),
                                      [](const RippedTrack& track) { return !track.file.empty(); });
    if (!options.WriteLog && !cueSheet)
        return {};
    std::vector<std::string> failures;
    try {
        const fs::path base = folder;
        const std::string name =
            FirstFreeName(RipReportName(record.disc, record.discId), [&](const std::string& used) {
                return Exists(base / (used + ".log")) || Exists(base / (used + ".cue"));
            });
        // A log that cannot be written leaves the cue sheet still worth having.
        const auto write = [&](const char* extension, const std::string& text) {
            std::string failure = WriteWholeFile(base / (name + extension), text);
            if (failure.empty())
                return true;
            failures.push_back(std::move(failure));
            return false;
        };
        if (options.WriteLog && write(".log", RipLogText(record)) && log != nullptr)
            *log = (base / (name + ".log")).string();
        if (cueSheet)
            write(".cue", CueSheetText(record));
    } catch (const std::exception& failure) { // out of memory
        failures.emplace_back(failure.what());
    }
    return failures;
}

} // namespace corvath
