#include "ui/options/described_page.h"

#include "ui/options/page_widgets.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QSlider>
#include <QSpinBox>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace corvath::ui {

namespace {

using Kind = PageControl::Kind;

CodecSettingKey::Member<int32_t> SettingOf(const OutputFormatInfo& format,
                                           const PageControl& control)
{
    const auto key = std::ranges::find(format.settings, control.key, &CodecSettingKey::key);
    if (key == format.settings.end() ||
        !std::holds_alternative<CodecSettingKey::Member<int32_t>>(key->member))
        throw std::logic_error("no number setting " + std::string(control.key) + " for " +
                               std::string(format.name));
    return std::get<CodecSettingKey::Member<int32_t>>(key->member);
}

// The control as a widget, and the row it sits on in its group.
std::pair<QWidget*, QWidget*> MakeControl(const PageControl& control)
{
    const std::string name(control.objectName);
    switch (control.kind) {
    case Kind::List: {
        QStringList items;
        for (const PageListItem& item : control.items)
            items << Text(item.text);
        QComboBox* list = NewComboBox(name.c_str(), items, false);
        return {list, list};
    }
    case Kind::Spin: {
        auto* spin = Named(new QSpinBox, name.c_str());
        spin->setRange(control.minimum, control.maximum);
        spin->setSingleStep(control.step);
        return {spin, spin};
    }
    case Kind::Slider: {
        QSlider* slider = nullptr;
        QWidget* row = SliderBetween(slider, name.c_str(), Text(control.accessibleName),
                                     Text(control.lowEnd), Text(control.highEnd));
        slider->setRange(control.minimum, control.maximum);
        slider->setSingleStep(control.step);
        return {slider, row};
    }
    }
    throw std::logic_error("unknown control kind");
}

} // namespace

DescribedPage::DescribedPage(const OutputFormatInfo& format)
{
    auto* layout = new QVBoxLayout(this);
    QVBoxLayout* group = nullptr;
    std::string_view groupTitle;
    for (const PageControl& control : format.page.controls) {
        if (group == nullptr || control.group != groupTitle) {
            group = new QVBoxLayout;
            groupTitle = control.group;
            layout->addWidget(Group(Text(groupTitle), group));
        }
        const auto [widget, row] = MakeControl(control);
        widget->setAccessibleName(Text(control.accessibleName));
        if (row == widget) {
            auto* line = new QHBoxLayout;
            line->addWidget(widget);
            line->addStretch();
            group->addLayout(line);
        } else {
            group->addWidget(row);
        }
        controls_.push_back({&control, SettingOf(format, control), widget});
    }
    layout->addStretch();
}

void DescribedPage::Load(const TOptionsSetting& settings)
{
    // The setting is only read here; its accessor is shared with storing.
    auto& record = const_cast<TOptionsSetting&>(settings);
    for (const Bound& bound : controls_) {
        const int32_t value = bound.setting(record);
        if (auto* list = qobject_cast<QComboBox*>(bound.widget)) {
            const auto items = bound.control->items;
            const auto item = std::ranges::find(items, value, &PageListItem::value);
            list->setCurrentIndex(item == items.end() ? -1
                                                      : static_cast<int>(item - items.begin()));
        } else if (auto* spin = qobject_cast<QSpinBox*>(bound.widget)) {
            spin->setValue(value);
        } else if (auto* slider = qobject_cast<QSlider*>(bound.widget)) {
            slider->setValue(value);
        }
    }
}

bool DescribedPage::Store(TOptionsSetting& settings)
{
    for (const Bound& bound : controls_) {
        int32_t& setting = bound.setting(settings);
        if (auto* list = qobject_cast<QComboBox*>(bound.widget)) {
            // Nothing chosen keeps what was there.
            const int index = list->currentIndex();
            if (index >= 0)
                setting = bound.control->items[static_cast<std::size_t>(index)].value;
        } else if (auto* spin = qobject_cast<QSpinBox*>(bound.widget)) {
            setting = std::clamp(spin->value(), bound.control->minimum, bound.control->maximum);
        } else if (auto* slider = qobject_cast<QSlider*>(bound.widget)) {
            setting = slider->value();
        }
    }
    return true;
}

} // namespace corvath::ui
