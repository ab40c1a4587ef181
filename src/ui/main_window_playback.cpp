// The main window's playback of the selected track: the player's commands and the status text.

#include "audio/model/main_thread.h"
#include "ui/main_window.h"

#include <QAction>
#include <QPointer>
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
    if (wasPlaying)
        player_.Close();
    const int id = ++playId_;
    if (!player_.Open(disc_.DriveIndex())) {
        PlayEnded(id, "the disc cannot be read");
        return;
    }
    // TOC positions: the hidden track's row, when there is one, plays position 0.
    const int position = ListView1_->indexOfTopLevelItem(row) + 1 - HiddenRows();
    const int last = ListView1_->topLevelItemCount() - HiddenRows();
    if (!player_.Play(position, position < last ? std::optional(position + 1) : std::nullopt,
                      [window = QPointer(this), id](const std::string& failure) {
                          // Through the engine's queue: its lock hands the failure text over.
                          MainThread::Current().Post([window, id, failure] {
                              if (window)
                                  window->PlayEnded(id, failure);
                          });
                      }))
        PlayEnded(id, "the track holds no audio to play");
}

void TfrmMain::PlayEnded(int id, const std::string& failure)
{
    // A completion of an earlier play must not stop a later one.
    if (id != playId_ || !playing_)
        return;
    StopPlayback();
    if (!failure.empty())
        ShowNotice("Cannot play: " + QString::fromStdString(failure));
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
