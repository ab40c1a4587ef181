// The main window's side of a CDDB lookup: opening the dialog, and taking what the lookup finds
// from the lookup's thread onto the window's.

#include "audio/model/main_thread.h"
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

// Runs change on the window's thread and returns when it is made (at once on that thread).
void OnWindowThread(const std::function<void()>& change)
{
    MainThread::Current().InvokeSync(change);
}

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
    TfrmQueryCDDB dialog(this, OptionsSetting.QueryCDDB, toc->FirstTrack, toc->LastTrack,
                         disc_.Handle(), *this);
    dialog.exec();
}

void TfrmMain::ClearDiscFields()
{
    OnWindowThread([this] {
        for (QLineEdit* field : {ID3artist_, ID3album_, ID3year_, ID3comment_})
            field->clear();
        ID3genre_->setCurrentIndex(-1);
        eDiscNumber_->setValue(0);
        eDiscTotal_->setValue(0);
        release_ = {};
        keepStoredFields_ = false;
    });
}

void TfrmMain::SetDisc(int number, int total)
{
    OnWindowThread([&] {
        eDiscNumber_->setValue(number);
        eDiscTotal_->setValue(total);
    });
}

void TfrmMain::SetReleaseDetails(const ReleaseDetails& details)
{
    OnWindowThread([&] { release_ = details; });
}

void TfrmMain::SetArtist(const std::string& artist)
{
    OnWindowThread([&] { ID3artist_->setText(Text(artist)); });
}

void TfrmMain::SetAlbum(const std::string& album)
{
    OnWindowThread([&] { ID3album_->setText(Text(album)); });
}

void TfrmMain::SetYear(const std::string& year)
{
    OnWindowThread([&] { ID3year_->setText(Text(year)); });
}

void TfrmMain::SelectGenre(const std::string& name)
{
    OnWindowThread([&] {
        // An exact match first: an empty name selects the list's empty first item.
        int index = ID3genre_->findText(Text(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index < 0) {
            const int genre = GenreIndexMatching(name);
            index = genre < 0 ? -1 : genre + 1; // after the empty first item
        }
        ID3genre_->setCurrentIndex(index);
    });
}

void TfrmMain::AlignTitlesLeft()
{
    OnWindowThread([this] {
        ListView1_->headerItem()->setTextAlignment(1, Qt::AlignLeft | Qt::AlignVCenter);
        for (int i = 0; i < ListView1_->topLevelItemCount(); ++i)
            ListView1_->topLevelItem(i)->setTextAlignment(1, Qt::AlignLeft | Qt::AlignVCenter);
    });
}

void TfrmMain::SetTitle(int row, const std::string& title)
{
    OnWindowThread([&] {
        if (QTreeWidgetItem* item = ListView1_->topLevelItem(row + HiddenRows()))
            item->setText(1, Text(title));
    });
}

} // namespace corvath::ui
