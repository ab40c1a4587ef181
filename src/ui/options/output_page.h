#pragma once

#include "ui/options/options_page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace corvath::ui {

/// The options dialog's "Output" page: output folder, WAV clean-up, output format,
/// normalising, and the CD drive. The drive is stored apart, after every other page.
class OutputPage : public OptionsPage {
    Q_OBJECT

public:
    OutputPage();

    void Load(const TOptionsSetting& settings) override;
    /// Everything but the drive.
    bool Store(TOptionsSetting& settings) override;
    void StoreDrive(TOptionsSetting& settings) const;

    /// The folder as typed; puts the focus there.
    QString Folder() const;
    void FocusFolder();
    /// Whether the drive chosen differs from the one at loading.
    bool DriveChanged() const;

private:
    void Browse();

    QLineEdit* editOutputDir_ = nullptr;
    QCheckBox* ckbKeepWav_ = nullptr;
    QComboBox* cbOutputFormat_ = nullptr;
    QCheckBox* ckNormalize_ = nullptr;
    QSpinBox* SpinEdit1_ = nullptr;
    QComboBox* cbCDList_ = nullptr;
    int32_t driveAtOpening_ = 0;
};

} // namespace corvath::ui
