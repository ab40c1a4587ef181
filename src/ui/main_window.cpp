#include "ui/main_window.h"

#include "app/conversion_lanes.h"
#include "app/file_name_pattern.h"
#include "app/formats_written.h"
#include "app/options_store.h"
#include "lookup/disc_cover.h"
#include "platform/cdrom/track_span.h"
#include "platform/files/program_folder.h"
#include "ui/cd_rip_dialog.h"
#include "ui/desktop_open.h"
#include "ui/edit_track_name_dialog.h"
#include "ui/encode_progress_dialog.h"
#include "ui/file_choice.h"
#include "ui/folder_dialog.h"
#include "ui/options/options_dialog.h"
#include "ui/program_activation.h"
#include "ui/program_icon.h"
#include "ui/readable_highlight.h"
#include "ui/window_placement.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTreeWidget>
#include <filesystem>

namespace corvath::ui {

namespace {

const char* const kFolderMissing = "the output folder does not exist.";
constexpr int kNoticeShownMs = 10000;

bool FolderExists(const std::string& folder)
{
    std::error_code error;
    return std::filesystem::is_directory(folder, error);
}

} // namespace

TfrmMain::TfrmMain(SettingsLocation location, AudioOutputFactory makeOutput, QWidget* parent)
    : QMainWindow(parent), location_(std::move(location)), disc_(location_.discInfoFile),
      player_(std::move(makeOutput)),
      coverMessages_([this](uint32_t message, intptr_t, intptr_t, MessagePayload* payload) {
          if (const auto* cover = dynamic_cast<const DiscCover*>(payload);
              message == kMsgDiscCover && cover != nullptr)
              CoverArrived(*cover);
      })
{
    setObjectName("frmMain");
    setWindowTitle("Corvath");
    setWindowIcon(ProgramIcon());
    CreateControls();
    CreateCommands();

    connect(ListView1_, &QTreeWidget::itemClicked, this, &TfrmMain::ListClicked);
    connect(ListView1_, &QTreeWidget::itemDoubleClicked, this, [this] {
        // Two quick Ctrl+clicks toggle the check twice; they ask for no title.
        if (QApplication::keyboardModifiers() & Qt::ControlModifier)
            return;
        UpdateActions();
        if (aEditTrackName_->isEnabled())
            aEditTrackName_->trigger();
    });
    connect(ListView1_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu1_->popup(ListView1_->viewport()->mapToGlobal(at));
    });
    // The keyboard's ways to the list's popup, shown at the current row.
    for (const QKeySequence& key :
         {QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)}) {
        auto* popup = new QShortcut(key, ListView1_, nullptr, nullptr, Qt::WidgetShortcut);
        connect(popup, &QShortcut::activated, this, [this] {
            const QRect row = ListView1_->visualItemRect(ListView1_->currentItem());
            PopupMenu1_->popup(
                ListView1_->viewport()->mapToGlobal(row.isValid() ? row.center() : QPoint(0, 0)));
        });
    }
    connect(new QShortcut(Qt::Key_F10, this), &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(menuBar()->actions().value(0)); });
    ListView1_->installEventFilter(this);
    SetReadableHighlight(*ListView1_);
    connect(cbOutputFormat_, &QComboBox::activated, this,
            [](int index) { OptionsSetting.CommonOptions.OutputFormat = index; });
    for (QLineEdit* field : {ID3artist_, ID3album_, ID3year_, ID3comment_})
        connect(field, &QLineEdit::textEdited, this, [this] { keepStoredFields_ = false; });
    connect(ID3genre_, &QComboBox::activated, this, [this] { keepStoredFields_ = false; });
    connect(bBrowser_, &QPushButton::clicked, this, &TfrmMain::BrowseOutputFolder);
    // Commands are enabled by what they would act on, checked whenever the program waits.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TfrmMain::UpdateActions);

    new ProgramActivation(*this, [this] {
        if (noDiscAtStart_)
            SetStatus(kNoAudioCD);
    });

    settingsProblem_ = LoadOptions(OptionsSetting, location_);
    RestorePlacement();
}

// Before the window goes: no completion may reach it while it is taken down.
TfrmMain::~TfrmMain()
{
    player_.Close();
    coverMessages_.Close();
}

void TfrmMain::BringToFront()
{
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

QString TfrmMain::StatusText() const
{
    return status_->text();
}

void TfrmMain::SetStatus(const QString& text)
{
    status_->setText(text);
}

void TfrmMain::WarnLater(const QString& text)
{
    QMetaObject::invokeMethod(
        this, [this, text] { QMessageBox::warning(this, "Corvath", text); }, Qt::QueuedConnection);
}

void TfrmMain::ShowNotice(const QString& text)
{
    statusBar()->showMessage(text, kNoticeShownMs);
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!std::exchange(shown_, true)) {
        KeepOnScreen(*this);
        FormShow();
    }
}

void TfrmMain::FormShow()
{
    try {
        const int32_t index = OptionsSetting.CDOptions.Index;
        SetStatus(QString::fromStdString(disc_.OpenDrive(index == -1 ? 0 : index)));
        if (disc_.Handle() != 0) {
            if (disc_.IsAudioCDPresent())
                LoadDisc();
            else
                noDiscAtStart_ = true;
            idleStatusText_ = StatusText();
        }
        cbOutputFormat_->setCurrentIndex(OptionsSetting.CommonOptions.OutputFormat);
        eOutputDir_->setText(QString::fromStdString(OptionsSetting.CommonOptions.OutputFolder));
    } catch (const std::exception&) {
        // The window stays usable with whatever was done.
    }
    if (!settingsProblem_.empty())
        WarnLater(QString::fromStdString(settingsProblem_) +
                  ".\nCorvath uses the default settings and will not write over that file.");
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    try {
        SaveShownDisc();
        if (!disc_.CloseDrive())
            QMessageBox::critical(this, "Corvath", "Error occur when closing CD handle!");
        if (playing_)
            player_.Close();
        // Settings that could not be read stay as they are in their file.
        if (settingsProblem_.empty()) {
            StorePlacement();
            SaveOptions(OptionsSetting, location_);
        }
    } catch (const std::exception&) {
        // A file that cannot be written keeps its old content; the window closes anyway.
    }
    event->accept();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        FormResize(centralWidget()->width(), centralWidget()->height());
    // Tabbed into, the list has a row selected, so that the commands on it act at once.
    if (watched == ListView1_ && event->type() == QEvent::FocusIn &&
        ListView1_->selectedItems().isEmpty()) {
        if (QTreeWidgetItem* row =
                ListView1_->currentItem() ? ListView1_->currentItem() : ListView1_->topLevelItem(0))
            ListView1_->setCurrentItem(row);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::UpdateActions()
{
    aEditTrackName_->setEnabled(!ListView1_->selectedItems().isEmpty());
    aRip_->setEnabled(!CheckedTracks().empty());
    aQueryCDDB_->setEnabled(ListView1_->topLevelItemCount() > 0);
    aQueryMusicBrainz_->setEnabled(aQueryCDDB_->isEnabled());
    aPlay_->setEnabled(!ListView1_->selectedItems().isEmpty());
    aPause_->setEnabled(playing_ && !paused_);
    aStop_->setEnabled(playing_);
}

bool TfrmMain::CheckOutputFolder()
{
    if (FolderExists(OptionsSetting.CommonOptions.OutputFolder))
        return true;
    QMessageBox::information(
        this, "Corvath", QString(kFolderMissing) + "Please check the output directory setting.");
    return false;
}

void TfrmMain::Rip()
{
    if (disc_.Handle() == 0) {
        QMessageBox::information(this, "Corvath", "Please access CD devices rightly firstly!");
        return;
    }
    std::vector<RipEntry> tracks = CheckedTracks();
    if (tracks.empty()) {
        QMessageBox::information(this, "Corvath", "Please select a track at least!");
        return;
    }
    const std::string& folder = OptionsSetting.CommonOptions.OutputFolder;
    if (!FolderExists(folder)) {
        const QString question =
            QString::fromStdString(folder) + "," + kFolderMissing + "\n" + "creates a new folder?";
        if (QMessageBox::information(this, "Corvath", question,
                                     QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
            return;
        std::error_code error;
        if (!std::filesystem::create_directory(folder, error)) {
            QMessageBox::critical(this, "Corvath",
                                  "Cannot create " + QString::fromStdString(folder));
            return;
        }
    }
    if (playing_)
        StopPlayback();
    if (!CheckOutputFolder())
        return;
    const TCommonOptions& common = OptionsSetting.CommonOptions;
    const OutputFormat format = FormatOfSetting(common.OutputFormat);
    TfrmCDRip rip(
        this, {disc_.Handle(), std::move(tracks), format, ShownDiscFields(), disc_.LogName(),
               release_, disc_.LoadedTrackTotal(), PatternOrTitle(common.FileNamePattern),
               AlsoWrittenFormats(common.AlsoWrite, format), ReplayGainModeOf(common.ReplayGain)});
    rip.exec();
}

void TfrmMain::ConvertFiles(int kind, const QString& title, const QString& filter)
{
    try {
        const QStringList files = ChooseFilesToOpen(this, title, filter);
        const std::optional<ConversionKind> conversion = ConversionOfKind(kind);
        if (files.isEmpty() || !conversion || !CheckOutputFolder())
            return;
        ConvertJob job;
        for (const QString& file : files)
            job.inputs.push_back(file.toStdString());
        job.format = conversion->format;
        job.reader = conversion->reader;
        job.outputFolder = OptionsSetting.CommonOptions.OutputFolder;
        job.disc = ShownDiscFields();
        job.replayGain = ConversionReplayGain(OptionsSetting.CommonOptions.ReplayGain);
        job.parallel = ConversionLanes(OptionsSetting.CommonOptions.FilesAtOnce);
        TfrmEncodeProgress progress(this, std::move(job));
        progress.exec();
    } catch (const std::exception&) {
        // The main window stays usable; the conversion window names what failed.
    }
}

int TfrmMain::HiddenRows() const
{
    const QTreeWidgetItem* first = ListView1_->topLevelItem(0);
    return first != nullptr && first->text(0) == QString::number(kHiddenTrackPosition) ? 1 : 0;
}

std::vector<RipEntry> TfrmMain::CheckedTracks() const
{
    std::vector<RipEntry> tracks;
    for (int i = 0; i < ListView1_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = ListView1_->topLevelItem(i);
        if (row->checkState(0) == Qt::Checked)
            tracks.push_back({i + 1 - HiddenRows(), row->text(1).toStdString()});
    }
    return tracks;
}

void TfrmMain::JumpOutputFolder()
{
    const std::string& folder = OptionsSetting.CommonOptions.OutputFolder;
    if (FolderExists(folder))
        OpenOnDesktop(QString::fromStdString(folder), this);
    else
        QMessageBox::critical(this, "Corvath",
                              QString::fromStdString(folder) + "," + kFolderMissing);
}

void TfrmMain::BrowseOutputFolder()
{
    QString path = QString::fromStdString(ProgramFolder());
    if (!BrowseForFolder("Please select the folder to save the audio file", QString(), path))
        return;
    eOutputDir_->setText(path);
    OptionsSetting.CommonOptions.OutputFolder = eOutputDir_->text().toStdString();
}

void TfrmMain::EditOptions()
{
    try {
        TfrmOptions dialog(OptionsSetting, FirstCheckedTrack(), this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        if (dialog.DriveChanged())
            ShowOpenedDrive(disc_.OpenDrive(OptionsSetting.CDOptions.Index));
        cbOutputFormat_->setCurrentIndex(OptionsSetting.CommonOptions.OutputFormat);
        eOutputDir_->setText(QString::fromStdString(OptionsSetting.CommonOptions.OutputFolder));
    } catch (const std::exception& failure) {
        QMessageBox::critical(this, "Corvath", failure.what());
    }
}

TrackRecord TfrmMain::FirstCheckedTrack() const
{
    const std::vector<RipEntry> tracks = CheckedTracks();
    if (tracks.empty())
        return {};
    const RipEntry& first = tracks.front();
    return RippedTrackRecord(
        {first.number - 1, first.title, first.number, disc_.LoadedTrackTotal()}, ShownDiscFields(),
        release_);
}

void TfrmMain::EditTrackName()
{
    const QList<QTreeWidgetItem*> selected = ListView1_->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* row = selected.constFirst();
    TfrmEditTrackName dialog(row->text(0).toInt(), this); // the disc's own track number
    dialog.eName()->setText(row->text(1));
    if (dialog.exec() == QDialog::Accepted)
        row->setText(1, dialog.eName()->text());
}

// A Ctrl+click, which toggles the row's check (TrackRowDelegate), keeps the row selected: the
// view would otherwise unselect it.
void TfrmMain::ListClicked(QTreeWidgetItem* item)
{
    if ((QApplication::keyboardModifiers() & Qt::ControlModifier) && item)
        ListView1_->setCurrentItem(item);
}

void TfrmMain::SetRowsChecked(bool (*checked)(bool wasChecked))
{
    for (int i = 0; i < ListView1_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = ListView1_->topLevelItem(i);
        row->setCheckState(0, checked(row->checkState(0) == Qt::Checked) ? Qt::Checked
                                                                         : Qt::Unchecked);
    }
}

void TfrmMain::ChooseDiscImage()
{
    const QString path = QFileDialog::getOpenFileName(
        this, "Open Disc Image", QString(), "Disc images (*.cue *.bin *.toc *.nrg);;Any file (*)");
    if (!path.isEmpty())
        OpenDiscImage(path);
}

} // namespace corvath::ui
