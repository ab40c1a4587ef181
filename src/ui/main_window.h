#pragma once

#include "app/disc_session.h"
#include "app/rip_batch.h"
#include "app/settings_location.h"
#include "audio/threads/background_job.h"
#include "audio/threads/main_thread_messages.h"
#include "lookup/cddb_entry_target.h"
#include "platform/cdaudio/cd_player.h"

#include <QMainWindow>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvath {
struct CoverPicture;
struct DiscCover;
} // namespace corvath

namespace corvath::ui {

/// The main window: one CD drive's tracks as checkable rows, the five disc fields and the disc's
/// cover, the output format and folder, and every command of the program. Its controls and actions
/// carry their names as object names.
class TfrmMain : public QMainWindow, private CddbEntryTarget {
    Q_OBJECT

public:
    /// The settings files and the default output folder come from location; played tracks go
    /// to the outputs that makeOutput makes.
    explicit TfrmMain(SettingsLocation location,
                      AudioOutputFactory makeOutput = MakeSoundCardOutput,
                      QWidget* parent = nullptr);
    ~TfrmMain() override;

    /// Shows the window, restores it when minimised and brings it to the front.
    void BringToFront();
    /// A volume arrived: reloads the disc and empties the disc fields.
    void DeviceArrived();
    /// A volume went: empties the list, keeping what was typed for the disc.
    void DeviceRemoved();

    /// Registers a disc image with the CD layer, opens it as the drive for this run and loads
    /// its disc.
    void OpenDiscImage(const QString& path);

    /// Rebuilds the list and the disc fields from the open drive's disc.
    void LoadDisc();
    /// Empties the artist, album, year and comment fields and unselects the genre.
    void ClearDiscFields() override;
    /// True when the output folder exists; otherwise tells the user and returns false.
    bool CheckOutputFolder();

    QString StatusText() const;
    /// The status text to return to when playback stops.
    const QString& IdleStatusText() const { return idleStatusText_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr const char* kNoAudioCD = "Can not find audio CD in your CD device.";

    void CreateControls();
    void CreateCommands();
    void FormShow();
    void FormResize(int width, int height);
    void PlaceDiscFields(int width);
    /// The window's place and size and the list's column widths, from the settings and back.
    void RestorePlacement();
    void StorePlacement();
    void UpdateActions();
    void SetStatus(const QString& text);
    /// A warning box, once the window waits: so it has the window up as its owner.
    void WarnLater(const QString& text);
    /// Shows text on the status bar for a while, over the status text.
    void ShowNotice(const QString& text);

    /// Opens (open set) or closes the chosen drive's tray; the status bar tells why not.
    void MoveTray(bool open);

    void SaveShownDisc();
    void EmptyTrackList();
    std::vector<std::string> RowTitles() const;
    TDiscFields DiscFieldsToSave() const;
    void AddRow(const TrackRow& row);
    void SetRowsChecked(bool (*checked)(bool wasChecked));

    /// Reads the loaded disc's cover from the cache, off the window's thread.
    void ReadDiscCover();
    /// Downloads the release's front cover as the disc's, off the window's thread, when the
    /// settings ask for cover art.
    void DownloadCover(const std::string& discKey, const std::string& mbid);
    void CoverArrived(const DiscCover& cover);
    /// Shows the picture beside the track list; none hides it.
    void ShowCover(const CoverPicture* picture);

    void Rip();
    void QueryCDDB();
    /// Looks the disc up on MusicBrainz and applies the release found, or the one the user
    /// chooses of several, as a CDDB entry.
    void QueryMusicBrainz();
    /// True when the disc of this key is the one shown; otherwise says on the status bar that
    /// a lookup's answer is dropped. A drive's disc may change while a lookup waits.
    bool ShowsDisc(const std::string& discKey);
    // What a CDDB lookup found or the MusicBrainz release chosen, once it is known to be for
    // the disc shown.
    void SetArtist(const std::string& artist) override;
    void SetAlbum(const std::string& album) override;
    void SetYear(const std::string& year) override;
    void SelectGenre(const std::string& name) override;
    void SetDisc(int number, int total) override;
    void AlignTitlesLeft() override;
    void SetTitle(int row, const std::string& title) override;
    void SetReleaseDetails(const ReleaseDetails& details) override;
    /// 1 when the list's first row is the track hidden before the disc's first, else 0.
    int HiddenRows() const;
    /// The checked rows, numbered by their position in the disc's TOC (0 for a hidden track).
    std::vector<RipEntry> CheckedTracks() const;
    /// The disc fields as they are shown.
    TDiscFields ShownDiscFields() const;
    /// The tags the first checked track would get; empty without one.
    TrackRecord FirstCheckedTrack() const;
    /// Converts the files the user picks in an open dialog of this title and filter, as the
    /// converter command numbered kind does.
    void ConvertFiles(int kind, const QString& title, const QString& filter);
    void Play();
    /// Play number id ended by itself; failure says why when it could not play to its end.
    void PlayEnded(int id, const std::string& failure);
    void Pause();
    /// Ends playback, if any, and shows the status text of before.
    void StopPlayback();
    void RefreshCD();
    void EditTrackName();
    void JumpOutputFolder();
    void BrowseOutputFolder();
    void ChooseDiscImage();
    void EditOptions();
    /// After opening a drive: its status, its disc (or an empty list without a handle) and
    /// the status to return to when playback stops.
    void ShowOpenedDrive(const std::string& status);
    void ListClicked(QTreeWidgetItem* item);

    SettingsLocation location_;
    std::string settingsProblem_; // why the settings file could not be read, if it could not
    DiscSession disc_;
    bool noDiscAtStart_ = false;
    bool shown_ = false;
    // The fields were emptied by a disc's arrival, not by the user: what is stored for the disc
    // stays until the user types into them.
    bool keepStoredFields_ = false;
    ReleaseDetails release_; // of the disc shown, as loaded or applied
    QString idleStatusText_;

    QLabel* lTracks_ = nullptr;
    QTreeWidget* ListView1_ = nullptr;
    QGroupBox* gbID3_ = nullptr;
    QLabel* lArtist_ = nullptr;
    QLabel* lAlbum_ = nullptr;
    QLabel* lYear_ = nullptr;
    QLabel* lGenre_ = nullptr;
    QLabel* lComment_ = nullptr;
    QLineEdit* ID3artist_ = nullptr;
    QLineEdit* ID3album_ = nullptr;
    QLineEdit* ID3year_ = nullptr;
    QComboBox* ID3genre_ = nullptr;
    QLineEdit* ID3comment_ = nullptr;
    QLabel* lDisc_ = nullptr;
    QSpinBox* eDiscNumber_ = nullptr;
    QLabel* lDiscOf_ = nullptr;
    QSpinBox* eDiscTotal_ = nullptr;
    QGroupBox* gbOutputFormat_ = nullptr;
    QComboBox* cbOutputFormat_ = nullptr;
    QGroupBox* gbOutputFolder_ = nullptr;
    QLineEdit* eOutputDir_ = nullptr;
    QPushButton* bBrowser_ = nullptr;
    QLabel* imgCover_ = nullptr;
    QLabel* status_ = nullptr;

    CdPlayer player_;
    bool playing_ = false;
    bool paused_ = false;
    int playId_ = 0;

    MainThreadMessages coverMessages_;
    std::unique_ptr<BackgroundJob> coverJob_; // reads or downloads the shown disc's cover

    QAction* aRip_ = nullptr;
    QAction* aPlay_ = nullptr;
    QAction* aPause_ = nullptr;
    QAction* aStop_ = nullptr;
    QAction* aQueryCDDB_ = nullptr;
    QAction* aQueryMusicBrainz_ = nullptr;
    QAction* aEditTrackName_ = nullptr;
    QMenu* PopupMenu1_ = nullptr;
};

} // namespace corvath::ui
