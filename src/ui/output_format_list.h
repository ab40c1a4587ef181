#pragma once

class QComboBox;

namespace corvath::ui {

/// Fills a drop-down list with the output formats, item index = format number.
void AddOutputFormats(QComboBox& list);

} // namespace corvath::ui
