#pragma once

class QColor;
class QWidget;

namespace corvath::ui {

/// The contrast ratio of two colours as screen-reading guidelines measure it: 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b);

/// Darkens the widget's selection colour, in its own hue, until the selected text reads at a
/// contrast of 4.5:1 or more; a style whose selection already reads so keeps its colours.
void SetReadableHighlight(QWidget& widget);

} // namespace corvath::ui
