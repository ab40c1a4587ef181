#include "ui/release_chooser_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvath::ui {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// "12", or "12 (disc 2/3)" for a medium of a release with several.
QString TracksOf(const MusicBrainzRelease& release)
{
    QString tracks = QString::number(release.trackCount);
    if (release.mediumCount > 1)
        tracks += QString(" (disc %1/%2)").arg(release.mediumPosition).arg(release.mediumCount);
    return tracks;
}

QStringList RowOf(const MusicBrainzRelease& release)
{
    return {Text(release.title),   Text(release.artist), Text(release.date),
            Text(release.country), Text(release.label),  Text(release.catalogNumber),
            Text(release.format),  TracksOf(release)};
}

} // namespace

TfrmChooseRelease::TfrmChooseRelease(QWidget* parent,
                                     const std::vector<MusicBrainzRelease>& releases)
    : QDialog(parent), tvReleases_(new QTreeWidget(this))
{
    setObjectName("frmChooseRelease");
    setWindowTitle("Choose a release");

    auto* lReleases = new QLabel("MusicBrainz knows several releases of this disc. "
                                 "Choose the &release whose titles to take:",
                                 this);
    lReleases->setObjectName("lReleases");
    lReleases->setWordWrap(true);
    lReleases->setBuddy(tvReleases_);

    tvReleases_->setObjectName("tvReleases");
    tvReleases_->setAccessibleName("Releases");
    tvReleases_->setRootIsDecorated(false);
    tvReleases_->setAllColumnsShowFocus(true);
    tvReleases_->setUniformRowHeights(true);
    tvReleases_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvReleases_->setHeaderLabels(
        {"Title", "Artist", "Date", "Country", "Label", "Catalog No.", "Format", "Tracks"});
    for (const MusicBrainzRelease& release : releases)
        tvReleases_->addTopLevelItem(new QTreeWidgetItem(RowOf(release)));
    tvReleases_->setCurrentItem(tvReleases_->topLevelItem(0));
    connect(tvReleases_, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);

    // Every column as wide as its widest text, and the list as wide as its columns, so that a
    // user sees each release whole.
    int columnsWidth = 0;
    for (int column = 0; column < tvReleases_->columnCount(); ++column) {
        tvReleases_->resizeColumnToContents(column);
        columnsWidth += tvReleases_->columnWidth(column);
    }
    tvReleases_->setMinimumWidth(columnsWidth + 2 * tvReleases_->frameWidth() +
                                 tvReleases_->verticalScrollBar()->sizeHint().width());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("bOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("bCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lReleases);
    layout->addWidget(tvReleases_);
    layout->addWidget(buttons);
    tvReleases_->setFocus();
}

int TfrmChooseRelease::ChosenIndex() const
{
    return tvReleases_->indexOfTopLevelItem(tvReleases_->currentItem());
}

} // namespace corvath::ui
