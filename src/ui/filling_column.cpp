#include "ui/filling_column.h"

#include <QEvent>
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>

namespace corvath::ui {

namespace {

class FillingColumn : public QObject {
public:
    FillingColumn(QTreeView& view, int column, int minimumWidth)
        : QObject(&view), view_(view), column_(column), minimumWidth_(minimumWidth)
    {
        view.header()->setSectionResizeMode(column, QHeaderView::Fixed);
        view.viewport()->installEventFilter(this);
        connect(view.header(), &QHeaderView::sectionResized, this, [this](int section) {
            if (section != column_)
                Fit();
        });
        Fit();
    }

    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            Fit();
        return false;
    }

private:
    void Fit()
    {
        const QHeaderView& header = *view_.header();
        int others = 0;
        for (int section = 0; section < header.count(); ++section) {
            if (section != column_ && !header.isSectionHidden(section))
                others += header.sectionSize(section);
        }
        view_.setColumnWidth(column_, std::max(minimumWidth_, view_.viewport()->width() - others));
    }

    QTreeView& view_;
    int column_;
    int minimumWidth_;
};

} // namespace

void KeepColumnFilling(QTreeView& view, int column, int minimumWidth)
{
    new FillingColumn(view, column, minimumWidth);
}

} // namespace corvath::ui
