#pragma once

#include "app/options_setting.h"
#include "tags/track_record.h"

#include <QDialog>
#include <vector>

class QTabWidget;

namespace corvath::ui {

class OptionsPage;
class OutputPage;

/// The settings dialog: the output page, a page for each output format that has settings, in
/// the formats' order, and the rip page, over the settings record. The controls show the record
/// when the dialog is made; OK with an existing output folder stores them back into the record
/// (in memory only: the file is written when the program closes), all of them or, when a page
/// refuses what it holds, none. Controls carry their names as object names. Main thread.
class TfrmOptions : public QDialog {
    Q_OBJECT

public:
    /// sample is the track whose file name the output page shows for the pattern typed.
    TfrmOptions(TOptionsSetting& settings, const TrackRecord& sample, QWidget* parent = nullptr);
    ~TfrmOptions() override;

    /// After OK: whether another drive than the one at opening was chosen.
    bool DriveChanged() const { return driveChanged_; }

private:
    void Ok();

    TOptionsSetting& settings_;
    bool driveChanged_ = false;
    QTabWidget* PageControl1_ = nullptr;
    OutputPage* output_ = nullptr;
    std::vector<OptionsPage*> pages_; // in tab order, the output page first
};

} // namespace corvath::ui
