#pragma once

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <string_view>
#include <utility>

class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLayout;
class QSlider;
class QWidget;

namespace corvath::ui {

/// The widget, named as the settings code and the tests know it.
template <typename Widget> Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

/// A drop-down list; an editable one never adds what was typed as an item, since the item
/// index is what gets stored.
QComboBox* NewComboBox(const char* name, const QStringList& items, bool editable);

/// The numbers first to last as texts.
QStringList Numbers(int first, int last);

/// A slider between two words ("Less", "More"), as one row.
QWidget* SliderBetween(QSlider*& slider, const char* name, const QString& accessibleName,
                       const QString& lowEnd, const QString& highEnd);

/// A slider for the processor use, 1 to 3 between "Less" and "More".
QWidget* CpuUsage(QSlider*& slider, const char* name);

/// A caption whose access key gives buddy the focus, and which names it to screen readers.
QLabel* Caption(const QString& text, QWidget* buddy);
QGroupBox* Group(const QString& title, QLayout* layout);

QFormLayout* Form(std::initializer_list<std::pair<const char*, QWidget*>> rows);

QString Text(std::string_view text);

} // namespace corvath::ui
