#include "ui/track_row_delegate.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace corvath::ui {

namespace {

// A release or double click of the left button with Ctrl held.
bool IsCtrlClick(const QEvent& event)
{
    if (event.type() != QEvent::MouseButtonRelease && event.type() != QEvent::MouseButtonDblClick)
        return false;
    const auto& mouse = static_cast<const QMouseEvent&>(event);
    return mouse.button() == Qt::LeftButton && (mouse.modifiers() & Qt::ControlModifier);
}

} // namespace

// The view hands a click's release to the delegate once, after its clicked signal: toggling
// here, and only here, makes a Ctrl+click on the box itself count once as well. A double click
// taken here makes the view count the release after it as a second click.
bool TrackRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                   const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (!IsCtrlClick(*event))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    if (event->type() == QEvent::MouseButtonDblClick)
        return true;
    const QModelIndex box = index.siblingAtColumn(0);
    const bool checked = box.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    return model->setData(box, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

QSize TrackRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    const int box = style->pixelMetric(QStyle::PM_IndicatorHeight, &option, option.widget);
    size.setHeight(std::max(size.height(), box + 2 * kCheckMargin));
    return size;
}

} // namespace corvath::ui
