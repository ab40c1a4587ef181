#include "ui/options/page_widgets.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>

namespace corvath::ui {

QComboBox* NewComboBox(const char* name, const QStringList& items, bool editable)
{
    auto* box = Named(new QComboBox, name);
    box->addItems(items);
    box->setEditable(editable);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QStringList Numbers(int first, int last)
{
    QStringList numbers;
    for (int n = first; n <= last; ++n)
        numbers << QString::number(n);
    return numbers;
}

QWidget* SliderBetween(QSlider*& slider, const char* name, const QString& accessibleName,
                       const QString& lowEnd, const QString& highEnd)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    slider = Named(new QSlider(Qt::Horizontal), name);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setAccessibleName(accessibleName);
    layout->addWidget(new QLabel(lowEnd));
    layout->addWidget(slider, 1);
    layout->addWidget(new QLabel(highEnd));
    return row;
}

QWidget* CpuUsage(QSlider*& slider, const char* name)
{
    QWidget* row = SliderBetween(slider, name, "CPU Usage", "Less", "More");
    slider->setRange(1, 3);
    return row;
}

QLabel* Caption(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

QGroupBox* Group(const QString& title, QLayout* layout)
{
    auto* group = new QGroupBox(title);
    group->setLayout(layout);
    return group;
}

QFormLayout* Form(std::initializer_list<std::pair<const char*, QWidget*>> rows)
{
    auto* form = new QFormLayout;
    for (const auto& [label, field] : rows)
        form->addRow(label, field);
    return form;
}

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace corvath::ui
