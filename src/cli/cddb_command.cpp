#include "cli/cddb_command.h"

#include "app/cddb_server_setting.h"
#include "app/options_store.h"
#include "cli/cd_source.h"
#include "cli/disc_command_options.h"
#include "cli/entry_record.h"
#include "cli/message_queue.h"
#include "cli/settings_command.h"
#include "cli/terminal_text.h"
#include "lookup/query_cddb_thread.h"
#include "platform/cdrom/cd_drive_interface.h"

#include <optional>

namespace corvath::cli {

int RunCddb(std::span<const std::string> args, std::ostream& out, std::ostream& err)
{
    const std::optional<DiscCommandOptions> options = ParseDiscCommandOptions("cddb", args, err);
    if (!options)
        return 2;
    TOptionsSetting settings = LoadSettings(SettingsLocation::ForProgram(), err);
    if (const auto server = options->values.find("--server"); server != options->values.end())
        settings.QueryCDDB.Server = server->second;
    if (const auto script = options->values.find("--script"); script != options->values.end())
        settings.QueryCDDB.Script = script->second;

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
