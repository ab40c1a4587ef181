#pragma once

#include <QStyledItemDelegate>

namespace corvath::ui {

/// How the track list's rows take and show their check box (column 0): Ctrl+click anywhere on a
/// row toggles it, once, as a click on the box does; rows leave room around the boxes so that
/// those of neighbouring rows do not touch.
class TrackRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    /// Space above and below a check box, in pixels.
    static constexpr int kCheckMargin = 2;

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace corvath::ui
