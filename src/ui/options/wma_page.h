#pragma once

#include "audio/model/component.h"
#include "codecs/wma/wma_out.h"
#include "ui/options/options_page.h"

class QCheckBox;
class QListWidget;

namespace corvath::ui {

/// The options dialog's "WMA" page: a codec and one of its formats, with or without VBR. The
/// lists come from a WMA output that the page owns and never runs.
class WmaPage : public OptionsPage {
    Q_OBJECT

public:
    WmaPage();
    ~WmaPage() override;

    void Load(const TOptionsSetting& settings) override;
    bool Store(TOptionsSetting& settings) override;

private:
    /// Shows a codec, a VBR state and a format position of that codec's list for that state.
    void ShowChoice(int codec, bool vbr, int format);
    /// Lists the formats of a codec for the VBR state of WMAOut1 and selects one.
    void ListFormats(int codec, int selected);

    Owned<TWMAOut> WMAOut1_;
    QListWidget* lbCodecs_ = nullptr;
    QListWidget* lbFormats_ = nullptr;
    QCheckBox* cbWMA_VBR_ = nullptr;
};

} // namespace corvath::ui
