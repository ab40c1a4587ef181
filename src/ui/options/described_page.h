#pragma once

#include "codecs/output_format.h"
#include "ui/options/options_page.h"

#include <vector>

namespace corvath::ui {

/// A format's page of the options dialog built from the controls its table entry describes.
class DescribedPage : public OptionsPage {
    Q_OBJECT

public:
    /// format must have a page with controls; it outlives the page (the table is static).
    explicit DescribedPage(const OutputFormatInfo& format);

    void Load(const TOptionsSetting& settings) override;
    bool Store(TOptionsSetting& settings) override;

private:
    struct Bound {
        const PageControl* control;
        CodecSettingKey::Member<int32_t> setting;
        QWidget* widget;
    };

    std::vector<Bound> controls_;
};

} // namespace corvath::ui
