// The main window's actions, shared by its menus, tool bar and list popup.

#include "ui/about_dialog.h"
#include "ui/main_window.h"
#include "ui/user_guide.h"
#include "ui/wav_resample_dialog.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStyle>
#include <QToolBar>

namespace corvath::ui {

namespace {

struct ActionText {
    const char* name;
    const char* caption;
    const char* toolCaption = nullptr; ///< the tool button's caption, when on the tool bar
    const char* hint = nullptr;
    QKeySequence shortcut = {};
    QStyle::StandardPixmap icon = QStyle::SP_CustomBase;
};

QAction* NewAction(QObject* owner, const ActionText& text)
{
    auto* action = new QAction(text.caption, owner);
    action->setObjectName(text.name);
    if (text.toolCaption)
        action->setIconText(text.toolCaption);
    if (text.hint)
        action->setToolTip(text.hint);
    action->setShortcut(text.shortcut);
    if (text.icon != QStyle::SP_CustomBase)
        action->setIcon(QApplication::style()->standardIcon(text.icon));
    return action;
}

// The open dialog's filters of the converters (this platform's names are case-sensitive and
// often have no extension, hence "*" for any file).
constexpr const char* kWavFiles = "Sound file(*.wav);; Any file(*)";
constexpr const char* kMp3Files = "Sound file(*.mp3);; Any file(*)";
constexpr const char* kWmaFiles = "Sound file(*.wma);; Any file(*)";

struct ConverterItem {
    int kind;
    const char* caption;
    const char* title; ///< of the open dialog
    const char* filter;
};

constexpr ConverterItem kWavConverters[] = {
    {2, "Wav to &Mp3...", "Wav to Mp3 Converter", kWavFiles},
    {3, "Wav to &Ogg...", "Wav to Ogg Converter", kWavFiles},
    {4, "Wav to &Wma...", "Wav to Wma Converter", kWavFiles},
    {5, "Wav to &Flac...", "Wav to Flac Converter", kWavFiles},
    {6, "Wav to &Ape...", "Wav to Ape Converter", kWavFiles},
    {11, "Wav to O&pus...", "Wav to Opus Converter", kWavFiles},
};
constexpr ConverterItem kOtherConverters[] = {
    {7, "&Mp3 to Wav Converter...", "Mp3 to Wav Converter", kMp3Files},
    {8, "&Wma to Wav Converter...", "Wma to Wav Converter", kWmaFiles},
    {9, "M&p3 to Wma Converter...", "Mp3 to Wma Converter", kMp3Files},
    {10, "Wma &to Mp3 Converter...", "Wma to Mp3 Converter", kWmaFiles},
};

} // namespace

void TfrmMain::CreateCommands()
{
    aRip_ = NewAction(this, {"aRip", "&Rip selected tracks...", "Rip", "Rip selected tracks",
                             QKeySequence("Ctrl+R"), QStyle::SP_DriveCDIcon});
    aRip_->setEnabled(false);
    QAction* tbMp3Convert =
        NewAction(this, {"tbMp3Convert", "Convert", "Convert", "Wav to Mp3 Converter",
                         QKeySequence(), QStyle::SP_BrowserReload});
    aQueryCDDB_ = NewAction(this, {"aQueryCDDB", "&Query CDDB...", "CDDB", "Query CDDB",
                                   QKeySequence(), QStyle::SP_FileDialogContentsView});
    aQueryCDDB_->setEnabled(false);
    aQueryMusicBrainz_ = NewAction(this, {"aQueryMusicBrainz", "Query &MusicBrainz...", nullptr,
                                          "Look the disc up on MusicBrainz"});
    aQueryMusicBrainz_->setEnabled(false);
    QAction* miJumpoutputfolder =
        NewAction(this, {"miJumpoutputfolder", "&Jump output folder", "Folder",
                         "Open the output folder", QKeySequence(), QStyle::SP_DirOpenIcon});
    aPlay_ = NewAction(this, {"aPlay", "&Play", "Play", "Play the selected track",
                              QKeySequence("Ctrl+P"), QStyle::SP_MediaPlay});
    aPause_ = NewAction(
        this, {"aPause", "P&ause", "Pause", "Pause", QKeySequence(), QStyle::SP_MediaPause});
    aStop_ =
        NewAction(this, {"aStop", "&Stop", "Stop", "Stop", QKeySequence(), QStyle::SP_MediaStop});
    for (QAction* playback : {aPlay_, aPause_, aStop_})
        playback->setEnabled(false);
    QAction* aOptions =
        NewAction(this, {"aOptions", "&Options...", "Options", "Options", QKeySequence("Ctrl+O"),
                         QStyle::SP_FileDialogDetailedView});
    QAction* aHelp = NewAction(this, {"aHelp", "&Online Help", "Help", "Help", QKeySequence("F1"),
                                      QStyle::SP_DialogHelpButton});
    QAction* aHomepage = NewAction(this, {"aHomepage", "&Home Page", "Home", "Visit our home page",
                                          QKeySequence(), QStyle::SP_DirHomeIcon});
    QAction* miExit = NewAction(
        this, {"miExit", "E&xit", "Exit", nullptr, QKeySequence(), QStyle::SP_DialogCloseButton});
    QAction* aSelectAll = NewAction(this, {"aSelectAll", "&Select All"});
    QAction* aSelectNone = NewAction(this, {"aSelectNone", "&Unselect All"});
    QAction* aInvertSelection = NewAction(this, {"aInvertSelection", "&Invert Selection"});
    aEditTrackName_ = NewAction(this, {"aEditTrackName", "&Edit Track's Title...", nullptr, nullptr,
                                       QKeySequence("Ctrl+F2")});
    aEditTrackName_->setEnabled(false);
    QAction* EjectCDRom1 = NewAction(this, {"EjectCDRom1", "&Eject CD-ROM"});
    QAction* CloseCDROM1 = NewAction(this, {"CloseCDROM1", "&Close CD-ROM"});
    QAction* RefreshCD1 = NewAction(this, {"RefreshCD1", "Re&fresh CD"});
    QAction* miOpenDiscImage = NewAction(this, {"miOpenDiscImage", "Open Disc &Image..."});
    QAction* miAbout = NewAction(this, {"miAbout", "&About..."});
    QAction* miWavToWav = NewAction(this, {"miConverter1", "Wav to Wav..."});
    miWavToWav->setVisible(false);

    connect(aRip_, &QAction::triggered, this, &TfrmMain::Rip);
    connect(aQueryCDDB_, &QAction::triggered, this, &TfrmMain::QueryCDDB);
    connect(aQueryMusicBrainz_, &QAction::triggered, this, &TfrmMain::QueryMusicBrainz);
    connect(aPlay_, &QAction::triggered, this, &TfrmMain::Play);
    connect(aPause_, &QAction::triggered, this, &TfrmMain::Pause);
    connect(aStop_, &QAction::triggered, this, &TfrmMain::StopPlayback);
    connect(EjectCDRom1, &QAction::triggered, this, [this] { MoveTray(true); });
    connect(CloseCDROM1, &QAction::triggered, this, [this] { MoveTray(false); });
    connect(miWavToWav, &QAction::triggered, this, [this] {
        try {
            TfrmWavResample converter(this);
            converter.exec();
        } catch (const std::exception& failure) { // such as a missing resampler library
            QMessageBox::critical(this, "Corvath", QString::fromStdString(failure.what()));
        }
    });
    connect(tbMp3Convert, &QAction::triggered, this,
            [this] { ConvertFiles(2, "Wav to Mp3 Converter", kWavFiles); });
    connect(miJumpoutputfolder, &QAction::triggered, this, &TfrmMain::JumpOutputFolder);
    connect(aHelp, &QAction::triggered, this, [this] { OpenUserGuide(this); });
    connect(aHomepage, &QAction::triggered, this, [this] { OpenUserGuide(this); });
    connect(miExit, &QAction::triggered, this, &QWidget::close);
    connect(aSelectAll, &QAction::triggered, this,
            [this] { SetRowsChecked([](bool) { return true; }); });
    connect(aSelectNone, &QAction::triggered, this,
            [this] { SetRowsChecked([](bool) { return false; }); });
    connect(aInvertSelection, &QAction::triggered, this,
            [this] { SetRowsChecked([](bool wasChecked) { return !wasChecked; }); });
    connect(aEditTrackName_, &QAction::triggered, this, &TfrmMain::EditTrackName);
    connect(RefreshCD1, &QAction::triggered, this, &TfrmMain::RefreshCD);
    connect(miOpenDiscImage, &QAction::triggered, this, &TfrmMain::ChooseDiscImage);
    connect(aOptions, &QAction::triggered, this, &TfrmMain::EditOptions);
    connect(miAbout, &QAction::triggered, this, [this] {
        TfrmAbout about(this);
        about.exec();
    });

    const auto converterAction = [this](const ConverterItem& item) {
        const std::string name = "miConverter" + std::to_string(item.kind);
        QAction* action = NewAction(this, {name.c_str(), item.caption});
        connect(action, &QAction::triggered, this,
                [this, &item] { ConvertFiles(item.kind, item.title, item.filter); });
        return action;
    };

    QMenu* file = menuBar()->addMenu("&File");
    file->addAction(aRip_);
    file->addAction(miOpenDiscImage);
    file->addSeparator();
    QMenu* wavConverter = file->addMenu("Wav Converter");
    wavConverter->addAction(miWavToWav);
    for (const ConverterItem& item : kWavConverters)
        wavConverter->addAction(converterAction(item));
    for (const ConverterItem& item : kOtherConverters)
        file->addAction(converterAction(item));
    file->addSeparator();
    file->addActions({aPlay_, aPause_, aStop_});
    file->addSeparator();
    file->addActions({EjectCDRom1, CloseCDROM1, RefreshCD1});
    file->addSeparator();
    file->addAction(miExit);

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addActions({aSelectAll, aSelectNone, aInvertSelection});
    edit->addSeparator();
    edit->addAction(aEditTrackName_);
    edit->addSeparator();
    edit->addAction(miJumpoutputfolder);

    QMenu* tools = menuBar()->addMenu("&Tools");
    tools->addActions({aQueryCDDB_, aQueryMusicBrainz_, aOptions});

    QMenu* help = menuBar()->addMenu("&Help");
    help->addActions({aHelp, aHomepage});
    help->addSeparator();
    help->addAction(miAbout);

    QToolBar* toolBar = addToolBar("Tool Bar");
    toolBar->setObjectName("ToolBar1");
    toolBar->setMovable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar->setIconSize(QSize(24, 24));
    toolBar->addActions({aRip_, tbMp3Convert, aQueryCDDB_, miJumpoutputfolder});
    toolBar->addSeparator();
    toolBar->addActions({aPlay_, aPause_, aStop_});
    toolBar->addSeparator();
    toolBar->addActions({aOptions, aHelp, aHomepage});
    toolBar->addSeparator();
    toolBar->addAction(miExit);

    PopupMenu1_ = new QMenu(this);
    PopupMenu1_->setObjectName("PopupMenu1");
    PopupMenu1_->addAction(aRip_);
    PopupMenu1_->addSeparator();
    PopupMenu1_->addActions({aSelectAll, aSelectNone, aInvertSelection});
    PopupMenu1_->addSeparator();
    PopupMenu1_->addActions({aPlay_, aPause_, aStop_});
    PopupMenu1_->addSeparator();
    PopupMenu1_->addAction(aEditTrackName_);
}

} // namespace corvath::ui
