// The main window's side of a CDDB lookup: opening the dialog, and making what the lookup found
// once it is known to be for the disc shown.

#include "lookup/held_cddb_entry.h"
#include "tags/genre_names.h"
#include "ui/main_window.h"
#include "ui/query_cddb_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QTreeWidget>

namespace corvath::ui {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

void TfrmMain::QueryCDDB()
{
    const std::optional<CdToc> toc = disc_.ReadToc();
    if (!toc) {
        QMessageBox::critical(this, "Corvath", "Error while reading TOC information!");
        return;
    }
    HeldCddbEntry answer;
    TfrmQueryCDDB dialog(this, OptionsSetting.QueryCDDB, toc->FirstTrack, toc->LastTrack,
                         disc_.Handle(), answer);
    if (dialog.exec() == QDialog::Accepted && ShowsDisc(DiscKeyOf(*toc)))
        answer.ApplyTo(*this);
}

bool TfrmMain::ShowsDisc(const std::string& discKey)
{
    if (disc_.LoadedKey() == discKey)
        return true;
    ShowNotice("The lookup's answer was for another disc; nothing was changed.");
    return false;
}

void TfrmMain::ClearDiscFields()
{
    for (QLineEdit* field : {ID3artist_, ID3album_, ID3year_, ID3comment_})
        field->clear();
    ID3genre_->setCurrentIndex(-1);
    eDiscNumber_->setValue(0);
    eDiscTotal_->setValue(0);
    release_ = {};
    keepStoredFields_ = false;
}

void TfrmMain::SetDisc(int number, int total)
{
    eDiscNumber_->setValue(number);
    eDiscTotal_->setValue(total);
}

void TfrmMain::SetReleaseDetails(const ReleaseDetails& details)
{
    release_ = details;
}

void TfrmMain::SetArtist(const std::string& artist)
{
    ID3artist_->setText(Text(artist));
}

void TfrmMain::SetAlbum(const std::string& album)
{
    ID3album_->setText(Text(album));
}

void TfrmMain::SetYear(const std::string& year)
{
    ID3year_->setText(Text(year));
}

void TfrmMain::SelectGenre(const std::string& name)
{
    // An exact match first: an empty name selects the list's empty first item.
    int index = ID3genre_->findText(Text(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        const int genre = GenreIndexMatching(name);
        index = genre < 0 ? -1 : genre + 1; // after the empty first item
    }
    ID3genre_->setCurrentIndex(index);
}

void TfrmMain::AlignTitlesLeft()
{
    ListView1_->headerItem()->setTextAlignment(1, Qt::AlignLeft | Qt::AlignVCenter);
    for (int i = 0; i < ListView1_->topLevelItemCount(); ++i)
        ListView1_->topLevelItem(i)->setTextAlignment(1, Qt::AlignLeft | Qt::AlignVCenter);
}

void TfrmMain::SetTitle(int row, const std::string& title)
{
    if (QTreeWidgetItem* item = ListView1_->topLevelItem(row + HiddenRows()))
        item->setText(1, Text(title));
}

} // namespace corvath::ui
