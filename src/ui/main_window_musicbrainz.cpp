// The main window's side of a MusicBrainz lookup: the wait, the choice among several releases
// and the release's way into the disc fields and titles, its cover following.

#include "app/musicbrainz_query_setting.h"
#include "lookup/musicbrainz_entry.h"
#include "ui/main_window.h"
#include "ui/release_chooser_dialog.h"
#include "ui/stop_musicbrainz_query_dialog.h"

#include <QMessageBox>
#include <QTreeWidget>

namespace corvath::ui {

void TfrmMain::QueryMusicBrainz()
{
    const std::optional<CdToc> toc = disc_.ReadToc();
    if (!toc) {
        QMessageBox::critical(this, "Corvath", "Error while reading TOC information!");
        return;
    }
    TfrmStopMusicBrainzQuery wait(this, MusicBrainzQueryOf(*toc, OptionsSetting));
    if (wait.exec() != QDialog::Accepted)
        return;
    const std::vector<MusicBrainzRelease>& releases = wait.Releases();
    int chosen = 0;
    if (releases.size() > 1) {
        TfrmChooseRelease chooser(this, releases);
        if (chooser.exec() != QDialog::Accepted)
            return;
        chosen = chooser.ChosenIndex();
    }
    const std::string discKey = DiscKeyOf(*toc);
    if (!ShowsDisc(discKey))
        return;
    ApplyMusicBrainzRelease(releases.at(chosen), ListView1_->topLevelItemCount() - HiddenRows(),
                            *this);
    DownloadCover(discKey, releases.at(chosen).id);
}

} // namespace corvath::ui
