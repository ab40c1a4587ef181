#pragma once

#include "codecs/output_format.h"
#include "tags/track_record.h"
#include "ui/options/options_page.h"

#include <utility>
#include <vector>

class QCheckBox;
class QLabel;
class QLayout;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace corvath::ui {

/// The options dialog's "Output" page: output folder, WAV clean-up, output format,
/// normalising, the CD drive, and how many files the converters work on at once. The drive is
/// stored apart, after every other page.
class OutputPage : public OptionsPage {
    Q_OBJECT

public:
    /// sample is the track the preview names; an example stands in for one without a title.
    explicit OutputPage(TrackRecord sample);

    void Load(const TOptionsSetting& settings) override;
    /// Everything but the drive.
    bool Store(TOptionsSetting& settings) override;
    /// The drive picked since loading; none picked leaves the stored one, even one the list
    /// does not hold.
    void StoreDrive(TOptionsSetting& settings) const;

    /// The folder as typed; puts the focus there.
    QString Folder() const;
    void FocusFolder();
    /// Why the file-name pattern typed cannot name files; empty when it can. Puts the focus
    /// there.
    QString PatternProblem() const;
    void FocusPattern();
    /// Whether a drive was picked and differs from the one at loading.
    bool DriveChanged() const;

private:
    void Browse();
    /// One box per format that may be written besides the main one.
    QLayout* AlsoWriteRow();
    void MainFormatChanged();
    std::vector<OutputFormat> AlsoWritten() const;
    /// The name the sample gets with the pattern and format chosen, or why it gets none.
    void ShowPreview();

    QLineEdit* editOutputDir_ = nullptr;
    QCheckBox* ckbKeepWav_ = nullptr;
    QComboBox* cbOutputFormat_ = nullptr;
    QCheckBox* ckNormalize_ = nullptr;
    QSpinBox* SpinEdit1_ = nullptr;
    QComboBox* cbCDList_ = nullptr;
    QComboBox* cbFileNames_ = nullptr;
    QLabel* lPreview_ = nullptr;
    QComboBox* cbReplayGain_ = nullptr;
    QSpinBox* seFilesAtOnce_ = nullptr;
    int32_t filesAtOnceAtOpening_ = 0; // as stored: 0 is one per processor
    std::vector<std::pair<OutputFormat, QCheckBox*>> alsoWrite_;
    const TrackRecord sample_;
    int32_t driveAtOpening_ = 0;
    bool drivePicked_ = false;
};

} // namespace corvath::ui
