// The main window's track list and disc fields: filled from the open drive's disc, and kept in
// the disc information file before they go.

#include "platform/cdrom/cd_drive_interface.h"
#include "ui/main_window.h"

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

void TfrmMain::LoadDisc()
{
    if (disc_.Handle() == 0)
        return;
    EmptyTrackList();
    const std::optional<std::vector<TrackRow>> rows = disc_.ReadDisc(OptionsSetting.CDInfo);
    if (!rows) {
        SetStatus("Can not get CD device information!");
        return;
    }
    if (!disc_.FileNote().empty())
        WarnLater(Text(disc_.FileNote()) + ".");
    for (const TrackRow& row : *rows)
        AddRow(row);
    if (!rows->empty()) {
        const TCDInfo& info = OptionsSetting.CDInfo;
        ID3artist_->setText(Text(info.CDArtist));
        ID3album_->setText(Text(info.CDAlbum));
        ID3year_->setText(Text(info.CDYear));
        ID3genre_->setCurrentIndex(info.CDGenre);
        ID3comment_->setText(Text(info.CDComment));
        eDiscNumber_->setValue(info.CDDiscNumber);
        eDiscTotal_->setValue(info.CDDiscTotal);
        release_ = info.Release;
        keepStoredFields_ = false;
    }
    ReadDiscCover();
    SetStatus(Text(disc_.Description()));
}

void TfrmMain::AddRow(const TrackRow& row)
{
    auto* item = new QTreeWidgetItem(ListView1_, {QString::number(row.number), Text(row.title),
                                                  Text(row.startTime), Text(row.length)});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
    for (int column : {2, 3})
        item->setTextAlignment(column, Qt::AlignCenter);
}

void TfrmMain::MoveTray(bool open)
{
    if (!disc_.MoveTray(open))
        ShowNotice(Text(GetCdLastErrorText()));
}

void TfrmMain::RefreshCD()
{
    if (disc_.IsAudioCDPresent()) {
        LoadDisc();
        if (StatusText() == kNoAudioCD)
            SetStatus(Text(disc_.Description()));
    } else {
        EmptyTrackList();
        SetStatus(kNoAudioCD);
    }
}

void TfrmMain::DeviceArrived()
{
    LoadDisc();
    ClearDiscFields();
    keepStoredFields_ = true;
}

void TfrmMain::DeviceRemoved()
{
    EmptyTrackList();
}

void TfrmMain::OpenDiscImage(const QString& path)
{
    std::string status;
    try {
        status = disc_.OpenImage(path.toStdString());
    } catch (const std::exception& failure) {
        QMessageBox::warning(this, "Corvath",
                             "Cannot read the disc image " + path + ": " + failure.what() + ".");
        return;
    }
    ShowOpenedDrive(status);
}

void TfrmMain::ShowOpenedDrive(const std::string& status)
{
    // LoadDisc shows the status itself; emptying the list may put back the old one.
    if (disc_.Handle() == 0) {
        EmptyTrackList();
        SetStatus(Text(status));
    } else {
        LoadDisc();
    }
    idleStatusText_ = StatusText();
}

void TfrmMain::SaveShownDisc()
{
    TCDInfo& info = OptionsSetting.CDInfo;
    if (!keepStoredFields_)
        info.Release = release_;
    disc_.SaveDisc(info, RowTitles(), DiscFieldsToSave());
}

// What the user typed for the disc going is kept first; a file that cannot be written loses
// only the new typing. A row that plays goes with the list, and so does its play.
void TfrmMain::EmptyTrackList()
{
    if (playing_)
        StopPlayback();
    try {
        SaveShownDisc();
    } catch (const std::exception&) {
    }
    ListView1_->clear();
    coverJob_.reset();
    ShowCover(nullptr);
}

std::vector<std::string> TfrmMain::RowTitles() const
{
    std::vector<std::string> titles;
    for (int i = 0; i < ListView1_->topLevelItemCount(); ++i)
        titles.push_back(ListView1_->topLevelItem(i)->text(1).toStdString());
    return titles;
}

TDiscFields TfrmMain::DiscFieldsToSave() const
{
    if (keepStoredFields_)
        return StoredDiscFields(OptionsSetting.CDInfo);
    return ShownDiscFields();
}

TDiscFields TfrmMain::ShownDiscFields() const
{
    return {ID3artist_->text().toStdString(),
            ID3album_->text().toStdString(),
            ID3year_->text().toStdString(),
            ID3genre_->currentIndex(),
            ID3comment_->text().toStdString(),
            eDiscNumber_->value(),
            eDiscTotal_->value()};
}

} // namespace corvath::ui
