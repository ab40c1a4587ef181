// The main window's playback of the selected track: the player's commands and the status text.

#include "ui/main_window.h"

#include <QAction>
#include <QTreeWidget>

namespace corvath::ui {

void TfrmMain::Play()
{
    const QList<QTreeWidgetItem*> selected = ListView1_->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* row = selected.constFirst();
    SetStatus("Play " + row->text(1));
    const bool wasPlaying = playing_;
    const bool wasPaused = paused_;
    playing_ = true;
    paused_ = false;
    if (wasPlaying && wasPaused) {
        player_.Resume();
        return;
    }
    // A failure leaves the flags as they are: Stop then puts the status back.
    if (wasPlaying)
        player_.Close();
    if (!player_.Open(disc_.DriveIndex()))
        return;
    // TOC positions: the hidden track's row, when there is one, plays position 0.
    const int position = ListView1_->indexOfTopLevelItem(row) + 1 - HiddenRows();
    const int last = ListView1_->topLevelItemCount() - HiddenRows();
    const int id = ++playId_;
    player_.Play(position, position < last ? std::optional(position + 1) : std::nullopt,
                 [this, id] {
                     QMetaObject::invokeMethod(
                         this,
                         [this, id] {
                             if (id == playId_ && playing_)
                                 StopPlayback();
                         },
                         Qt::QueuedConnection);
                 });
}

void TfrmMain::Pause()
{
    paused_ = true;
    player_.Pause();
}

void TfrmMain::StopPlayback()
{
    playing_ = false;
    paused_ = false;
    ++playId_;
    if (player_.Stop())
        player_.Close();
    SetStatus(idleStatusText_);
}

} // namespace corvath::ui
