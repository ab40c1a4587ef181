#pragma once

#include "app/options_setting.h"

#include <QWidget>

namespace corvath::ui {

/// A page of the options dialog: its controls show part of the settings record and store it
/// back. Main thread.
class OptionsPage : public QWidget {
public:
    using QWidget::QWidget;

    /// Shows the settings.
    virtual void Load(const TOptionsSetting& settings) = 0;
    /// Stores the controls in their order; false, with the problem shown, when one holds what
    /// no setting can take (the settings stored before it stay).
    virtual bool Store(TOptionsSetting& settings) = 0;
};

} // namespace corvath::ui
