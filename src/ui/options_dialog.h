#pragma once

#include "app/options_setting.h"
#include "audio/model/component.h"
#include "codecs/wma_out.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace corvath::ui {

/// The settings dialog: output, LAME, OGG, WMA, FLAC, APE and rip pages over the settings
/// record.
/// The controls show the record when the dialog is made; OK with an existing output folder
/// stores them back into the record (in memory only: the file is written when the program
/// closes). Controls carry their names as object names. Main thread.
class TfrmOptions : public QDialog {
    Q_OBJECT

public:
    TfrmOptions(TOptionsSetting& settings, QWidget* parent = nullptr);
    ~TfrmOptions() override;

    /// After OK: whether another drive than the one at opening was chosen.
    bool DriveChanged() const { return driveChanged_; }

private:
    QWidget* CreateOutputPage();
    QWidget* CreateLamePage();
    QWidget* CreateOggPage();
    QWidget* CreateWmaPage();
    QWidget* CreateFlacPage();
    QWidget* CreateApePage();
    QWidget* CreateRipPage();

    void LoadControls();
    /// Stores the controls in their order; false when a bit rate text is not a number (the
    /// settings stored before it stay).
    bool StoreControls();
    void Ok();
    void Browse();
    void LameDefault();
    /// The VBR header box and the VBR bit-rate and quality lists.
    void EnableVbrControls(bool enabled);
    /// Shows a codec, a VBR state and a format position of that codec's list for that state.
    void ShowWmaChoice(int codec, bool vbr, int format);
    /// Lists the formats of a codec for the VBR state of WMAOut1 and selects one.
    void ListWmaFormats(int codec, int selected);

    TOptionsSetting& settings_;
    int32_t driveAtOpening_ = 0;
    bool driveChanged_ = false;
    Owned<TWMAOut> WMAOut1_; // never runs: it lists the codecs and their formats

    QTabWidget* PageControl1_ = nullptr;
    QLineEdit* editOutputDir_ = nullptr;
    QCheckBox* ckbKeepWav_ = nullptr;
    QComboBox* cbOutputFormat_ = nullptr;
    QCheckBox* ckNormalize_ = nullptr;
    QSpinBox* SpinEdit1_ = nullptr;
    QComboBox* cbCDList_ = nullptr;
    QRadioButton* rbCBR_ = nullptr;
    QRadioButton* rbVBR_ = nullptr;
    QComboBox* cbConstantBitRate_ = nullptr;
    QCheckBox* ckbVBRHead_ = nullptr;
    QComboBox* cbMinBitRate_ = nullptr;
    QComboBox* cbMaxBitRate_ = nullptr;
    QComboBox* cbVBRQuality_ = nullptr;
    QComboBox* cbStereoMode_ = nullptr;
    QSlider* tbMP3Cpu_ = nullptr;
    QCheckBox* cbUseCompress_ = nullptr;
    QSlider* tbCompression_ = nullptr;
    QComboBox* cbOggNomBit_ = nullptr;
    QComboBox* cbOggMaxBit_ = nullptr;
    QComboBox* cbOggMinBit_ = nullptr;
    QListWidget* lbCodecs_ = nullptr;
    QListWidget* lbFormats_ = nullptr;
    QCheckBox* cbWMA_VBR_ = nullptr;
    QComboBox* cbFlacCompression_ = nullptr;
    QSpinBox* seAPECompression_ = nullptr;
    QSlider* tbAPECpuUsage_ = nullptr;
    QSpinBox* seReadOffset_ = nullptr;
    QCheckBox* ckSecureReads_ = nullptr;
    QCheckBox* ckVerifyAccurateRip_ = nullptr;
    QLineEdit* editAccurateRipServer_ = nullptr;
    QCheckBox* ckWriteLog_ = nullptr;
    QCheckBox* ckWriteCueSheet_ = nullptr;
};

} // namespace corvath::ui
