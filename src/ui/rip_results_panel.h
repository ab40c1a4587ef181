#pragma once

#include "app/rip_batch.h"

#include <QStringList>
#include <QWidget>

class QPushButton;
class QTableWidget;

namespace corvath::ui {

/// The cells of a track's row in a rip's results: number, title, file, status, AccurateRip
/// verdict, copy CRC and doubtful sectors. A verdict is left out when the database could not
/// be asked, which the panel says once.
QStringList ResultCells(const RippedTrack& track, bool lookupFailed);

/// How a rip ended, in the rip window once it is over: the line that sums it up, why
/// AccurateRip could not be asked if it could not, a table with a row per track, and buttons
/// that open the output folder and the rip log and close the window.
class RipResultsPanel : public QWidget {
    Q_OBJECT

public:
    RipResultsPanel(const RipResults& results, QWidget* parent);

    /// Close, the default button.
    QPushButton* CloseButton() const { return bClose_; }

    /// Wide enough for every column of the table.
    QSize sizeHint() const override;

private:
    QTableWidget* table_ = nullptr;
    QPushButton* bClose_ = nullptr;
};

} // namespace corvath::ui
