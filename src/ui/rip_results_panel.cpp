#include "ui/rip_results_panel.h"

#include "app/output_naming.h"
#include "platform/text/hex_text.h"
#include "ui/desktop_open.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace corvath::ui {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

QString Status(const RippedTrack& track)
{
    if (track.stopped)
        return Text(track.failure);
    if (!track.failure.empty())
        return "failed: " + Text(track.failure);
    return track.file.empty() ? "not ripped" : "ripped";
}

QLabel* WrappedLabel(const QString& text, const char* name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

QTableWidget* ResultsTable(const RipResults& results, QWidget* parent)
{
    const QStringList headers = {"#",        "Title",           "File", "Status", "AccurateRip",
                                 "Copy CRC", "Doubtful sectors"};
    auto* table = new QTableWidget(static_cast<int>(results.tracks.size()),
                                   static_cast<int>(headers.size()), parent);
    table->setObjectName("tblResults");
    table->setAccessibleName("Results per track");
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    const bool lookupFailed = !results.lookupFailure.empty();
    for (int row = 0; row < table->rowCount(); ++row) {
        const QStringList cells =
            ResultCells(results.tracks[static_cast<std::size_t>(row)], lookupFailed);
        for (int column = 0; column < cells.size(); ++column)
            table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

} // namespace

QStringList ResultCells(const RippedTrack& track, bool lookupFailed)
{
    using Kind = TrackVerdict::Kind;
    const bool judged = track.verdict.kind != Kind::NotChecked &&
                        track.verdict.kind != Kind::LookupFailed && !lookupFailed;
    return {Text(TwoDigits(track.number)),
            Text(track.title),
            Text(track.file),
            Status(track),
            judged ? Text(VerdictText(track.verdict)) : QString(),
            track.checksums ? Text(HexText(track.checksums->copyCrc)) : QString(),
            track.checksums ? QString::number(track.doubtfulSectors.size()) : QString()};
}

RipResultsPanel::RipResultsPanel(const RipResults& results, QWidget* parent) : QWidget(parent)
{
    setObjectName("RipResults");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WrappedLabel(Text(results.summary), "lSummary", this));
    if (!results.lookupFailure.empty())
        layout->addWidget(WrappedLabel(
            "AccurateRip could not be asked: " + Text(results.lookupFailure), "lLookup", this));
    table_ = ResultsTable(results, this);
    layout->addWidget(table_);

    auto* bOpenFolder = new QPushButton("Open &Folder", this);
    bOpenFolder->setObjectName("bOpenFolder");
    auto* bShowLog = new QPushButton("Show &Log", this);
    bShowLog->setObjectName("bShowLog");
    bShowLog->setEnabled(!results.log.empty());
    bClose_ = new QPushButton("Close", this);
    bClose_->setObjectName("bClose");
    bClose_->setDefault(true);
    connect(bOpenFolder, &QPushButton::clicked, this,
            [this, folder = Text(results.folder)] { OpenOnDesktop(folder, this); });
    connect(bShowLog, &QPushButton::clicked, this,
            [this, log = Text(results.log)] { OpenOnDesktop(log, this); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bOpenFolder);
    buttons->addWidget(bShowLog);
    buttons->addStretch();
    buttons->addWidget(bClose_);
    layout->addLayout(buttons);
}

QSize RipResultsPanel::sizeHint() const
{
    const int columns = table_->horizontalHeader()->length() + 2 * table_->frameWidth() +
                        table_->verticalScrollBar()->sizeHint().width();
    QSize hint = QWidget::sizeHint();
    hint.setWidth(std::max(hint.width(), columns));
    return hint;
}

} // namespace corvath::ui
