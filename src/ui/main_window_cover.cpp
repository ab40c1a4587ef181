// The disc's cover in the main window: read from the cache when a disc is loaded, downloaded
// when a MusicBrainz release is chosen. Both run off the window's thread.

#include "app/cddb_server_setting.h"
#include "lookup/cddb_options.h"
#include "lookup/disc_cover.h"
#include "ui/main_window.h"

namespace corvath::ui {

void TfrmMain::ReadDiscCover()
{
    if (!disc_.LoadedKey().empty())
        coverJob_ = StartCoverLoad(disc_.LoadedKey(), coverMessages_);
}

void TfrmMain::DownloadCover(const std::string& discKey, const std::string& mbid)
{
    if (!OptionsSetting.MusicBrainz.CoverArt || discKey.empty() || mbid.empty())
        return;
    coverJob_ = StartCoverDownload(discKey, OptionsSetting.MusicBrainz.CoverArtServer, mbid,
                                   LookupHttpOptions(CddbServerOf(OptionsSetting.QueryCDDB)),
                                   coverMessages_);
}

void TfrmMain::CoverArrived(const DiscCover& cover)
{
    // The list may show another disc by now.
    if (cover.discKey != disc_.LoadedKey())
        return;
    if (!cover.failure.empty()) {
        ShowNotice(QString::fromStdString(cover.failure));
        return;
    }
    ShowCover(cover.cover ? &cover.cover->picture : nullptr);
}

} // namespace corvath::ui
