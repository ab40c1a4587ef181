#include "cli/cddb_command.h"

#include "app/cddb_server_setting.h"
#include "app/options_store.h"
#include "cd/query_cddb_thread.h"
#include "cli/cd_source.h"
#include "cli/message_queue.h"
#include "cli/parse_number.h"
#include "cli/settings_command.h"
#include "cli/terminal_text.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "tags/genre_names.h"

#include <map>
#include <optional>

namespace corvath::cli {

namespace {

constexpr const char* kUsage =
    "Usage: corvath-cli cddb [--drive N | --image FILE] [--server HOST] [--script PATH]\n";

struct CddbOptions {
    std::optional<std::size_t> drive;
    std::string image;
    std::optional<std::string> server;
    std::optional<std::string> script;
};

std::optional<CddbOptions> Parse(std::span<const std::string> args, std::ostream& err)
{
    CddbOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (i + 1 == args.size()) {
            err << "corvath-cli cddb: " << arg << " needs a value\n" << kUsage;
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (arg == "--drive") {
            options.drive = ParseNumber<std::size_t>(value);
            if (!options.drive) {
                err << "corvath-cli cddb: --drive takes a drive list position\n";
                return std::nullopt;
            }
        } else if (arg == "--image") {
            options.image = value;
        } else if (arg == "--server") {
            options.server = value;
        } else if (arg == "--script") {
            options.script = value;
        } else {
            err << "corvath-cli cddb: unknown option " << arg << '\n' << kUsage;
            return std::nullopt;
        }
    }
    if (options.drive && !options.image.empty()) {
        err << "corvath-cli cddb: give --drive or --image, not both\n";
        return std::nullopt;
    }
    return options;
}

// What the lookup would put into the main window. The worker's calls all come before its
// last message, which the queue hands over, so reading after that needs no lock.
class EntryRecord : public CddbEntryTarget {
public:
    void ClearDiscFields() override { fields_.clear(); }
    void SetArtist(const std::string& artist) override { fields_["Artist"] = artist; }
    void SetAlbum(const std::string& album) override { fields_["Album"] = album; }
    void SetYear(const std::string& year) override { fields_["Year"] = year; }
    void SelectGenre(const std::string& name) override { fields_["Genre"] = name; }
    void AlignTitlesLeft() override {}
    void SetTitle(int row, const std::string& title) override { titles_[row] = title; }

    void Print(uint8_t firstTrack, std::ostream& out) const
    {
        for (const char* field : {"Artist", "Album", "Year"}) {
            const auto value = fields_.find(field);
            if (value != fields_.end())
                out << field << '=' << TerminalText(value->second) << '\n';
        }
        const auto genre = fields_.find("Genre");
        if (genre != fields_.end()) {
            out << "Genre=" << TerminalText(genre->second)
                << (GenreIndexOf(genre->second) < 0 ? " (no such genre: none selected)" : "")
                << '\n';
        }
        if (titles_.empty())
            out << "No track titles\n";
        for (const auto& [row, title] : titles_)
            out << "Track " << (firstTrack + row) << '=' << TerminalText(title) << '\n';
    }

private:
    std::map<std::string, std::string> fields_;
    std::map<int, std::string> titles_;
};

} // namespace

int RunCddb(std::span<const std::string> args, std::ostream& out, std::ostream& err)
{
    const std::optional<CddbOptions> options = Parse(args, err);
    if (!options)
        return 2;
    TOptionsSetting settings = LoadSettings(SettingsLocation::ForProgram(), err);
    if (options->server)
        settings.QueryCDDB.Server = *options->server;
    if (options->script)
        settings.QueryCDDB.Script = *options->script;

    const CdHandle handle =
        OpenChosenDisc(options->drive, options->image, settings.CDOptions.Index, err).handle;
    if (!handle)
        return 1;
    CdToc toc;
    if (!ModifyCDParms(handle.get(), kCdParmMsfAddresses, 1) || ReadTOC(handle.get(), toc) != 1) {
        err << "Error while reading TOC information!\n";
        return 1;
    }

    MessageQueue messages;
    EntryRecord entry;
    const TQueryCDDBThread worker(CddbServerOf(settings.QueryCDDB), toc.FirstTrack, toc.LastTrack,
                                  handle.get(), messages, entry);
    for (;;) {
        const QueuedMessage message = messages.Take();
        if (message.message != kMsgCddbQuery)
            continue;
        if (message.wParam == kCddbNoMatch) {
            out << "No match found\n";
            return 1;
        }
        if (message.wParam == kCddbFailed) {
            err << "corvath-cli cddb: the query failed: "
                << TerminalText(static_cast<const CddbFailure&>(*message.payload).reason) << '\n';
            return 1;
        }
        break;
    }
    entry.Print(toc.FirstTrack, out);
    return 0;
}

} // namespace corvath::cli
