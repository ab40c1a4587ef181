#pragma once

#include "app/rip_batch.h"
#include "ui/batch_dialog.h"

#include <chrono>

class QLabel;

namespace corvath::ui {

/// The modal window in which the chosen tracks are ripped: the track being read, the output
/// format, the number of tracks chosen and done, the tracks being encoded, the last AccurateRip
/// verdict, what is happening now and its progress, and Stop. After the last track, or after
/// the user stopped the rip, it shows how each track ended until the user closes it. Its controls
/// carry their names as object names.
class TfrmCDRip : public BatchDialog, private RipView {
    Q_OBJECT

public:
    /// Starts ripping job's tracks, with the program's settings, once the window's loop runs.
    TfrmCDRip(QWidget* parent, RipJob job);
    ~TfrmCDRip() override;

private:
    /// The extraction under way is asked to stop, and the window waits for it to end; an
    /// encoding is ended as the window goes.
    bool StopBatch() override;
    bool ShowStopped() override;
    void ShowCurrentTrack(const RipEntry& track) override;
    void ShowHint(const std::string& hint) override;
    void ShowBarCaption(const std::string& caption) override;
    void ShowBarPosition(int32_t percent) override;
    void ShowCompleted(int32_t count) override;
    void ShowEncoding(const std::vector<RipEntry>& tracks) override;
    void ShowWritten(const RipEntry&, const std::string&) override {}
    void ShowChecksums(const TrackChecksumValues&) override {}
    void ShowVerdict(const RipEntry& track, const TrackVerdict& verdict) override;
    void ShowError(const std::string& message) override;
    void ShowDriveFailure(const std::string& message) override;
    /// The results take the place of the progress, unless the settings close the window after
    /// a rip in which every track was ripped.
    void ShowSummary(const RipResults& results) override;
    void ShowResults(const RipResults& results);
    void Pause(int ms, std::function<void()> then) override;
    void Close() override;

    QLabel* lCurrentTrack_ = nullptr;
    QLabel* lOutputFormat_ = nullptr;
    QLabel* lSelectedTracks_ = nullptr;
    QLabel* lCompleted_ = nullptr;
    QLabel* lEncoding_ = nullptr;
    QLabel* lVerdict_ = nullptr;
    std::chrono::steady_clock::time_point started_;
    RipBatch batch_;
};

} // namespace corvath::ui
