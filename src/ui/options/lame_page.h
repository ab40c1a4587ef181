#pragma once

#include "ui/options/options_page.h"

class QCheckBox;
class QComboBox;
class QRadioButton;
class QSlider;

namespace corvath::ui {

/// The options dialog's "LAME" page: the MP3 encoder's constant or variable bit rate, channel
/// mode and processor use.
class LamePage : public OptionsPage {
    Q_OBJECT

public:
    LamePage();

    void Load(const TOptionsSetting& settings) override;
    /// False when a bit-rate text does not start with a number.
    bool Store(TOptionsSetting& settings) override;

private:
    void Default();
    /// The VBR header box and the VBR bit-rate and quality lists.
    void EnableVbrControls(bool enabled);

    QRadioButton* rbCBR_ = nullptr;
    QRadioButton* rbVBR_ = nullptr;
    QComboBox* cbConstantBitRate_ = nullptr;
    QCheckBox* ckbVBRHead_ = nullptr;
    QComboBox* cbMinBitRate_ = nullptr;
    QComboBox* cbMaxBitRate_ = nullptr;
    QComboBox* cbVBRQuality_ = nullptr;
    QComboBox* cbStereoMode_ = nullptr;
    QSlider* tbMP3Cpu_ = nullptr;
};

} // namespace corvath::ui
