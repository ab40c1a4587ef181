#pragma once

#include "ui/options/options_page.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace corvath::ui {

/// The options dialog's "Rip" page: how tracks are read and verified, and what is written
/// beside the ripped files.
class RipPage : public OptionsPage {
    Q_OBJECT

public:
    RipPage();

    void Load(const TOptionsSetting& settings) override;
    bool Store(TOptionsSetting& settings) override;

private:
    QSpinBox* seReadOffset_ = nullptr;
    QCheckBox* ckSecureReads_ = nullptr;
    QCheckBox* ckVerifyAccurateRip_ = nullptr;
    QLineEdit* editAccurateRipServer_ = nullptr;
    QCheckBox* ckWriteLog_ = nullptr;
    QCheckBox* ckWriteCueSheet_ = nullptr;
    QCheckBox* ckCloseWhenDone_ = nullptr;
};

} // namespace corvath::ui
