#include "ui/readable_highlight.h"

#include <QColor>
#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace corvath::ui {

namespace {

constexpr double kReadableContrast = 4.5;

double Linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour)
{
    return 0.2126 * Linear(colour.redF()) + 0.7152 * Linear(colour.greenF()) +
           0.0722 * Linear(colour.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double first = Luminance(a);
    const double second = Luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

void SetReadableHighlight(QWidget& widget)
{
    QPalette palette = widget.palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        QColor highlight = palette.color(group, QPalette::Highlight);
        const QColor text = palette.color(group, QPalette::HighlightedText);
        // Towards black under light text, towards white under dark text.
        const bool lightText = Luminance(text) > 0.5;
        for (int step = 0; step < 40 && ContrastRatio(highlight, text) < kReadableContrast; ++step)
            highlight = lightText ? highlight.darker(110) : highlight.lighter(110);
        palette.setColor(group, QPalette::Highlight, highlight);
    }
    widget.setPalette(palette);
}

} // namespace corvath::ui
