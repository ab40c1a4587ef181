#pragma once

#include "ui/options/options_page.h"

class QCheckBox;
class QComboBox;
class QSlider;

namespace corvath::ui {

/// The options dialog's "OGG" page: the Ogg Vorbis encoder's quality, or its three bit rates.
class OggPage : public OptionsPage {
    Q_OBJECT

public:
    OggPage();

    void Load(const TOptionsSetting& settings) override;
    bool Store(TOptionsSetting& settings) override;

private:
    QCheckBox* cbUseCompress_ = nullptr;
    QSlider* tbCompression_ = nullptr;
    QComboBox* cbOggNomBit_ = nullptr;
    QComboBox* cbOggMaxBit_ = nullptr;
    QComboBox* cbOggMinBit_ = nullptr;
};

} // namespace corvath::ui
