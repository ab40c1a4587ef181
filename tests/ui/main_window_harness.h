#pragma once

#include "app/settings_location.h"
#include "support/cover_archive.h"
#include "support/disc_image.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"

#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace corvath::ui::test {

/// What the status bar says when a lookup's answer is dropped for being about another disc.
inline constexpr const char* kAnswerForAnotherDisc =
    "The lookup's answer was for another disc; nothing was changed.";

/// A row of the track list as the user sees it.
struct Row {
    std::string number;
    std::string title;
    std::string start;
    std::string length;
    bool checked = true;
    bool operator==(const Row&) const = default;
};
void PrintTo(const Row& row, std::ostream* out);

/// The rows of the window's track list.
std::vector<Row> Rows(const TfrmMain& window);

/// What the window shows of the disc: artist, album, year and genre, then the rows' titles.
std::vector<std::string> ShownDisc(const TfrmMain& window);

/// Runs the event loop until the program waits (and the commands' enabling is updated).
void Idle();

/// Runs action on the program's modal dialog once it is up; call before the command that
/// opens it.
void WhenModal(std::function<void(QWidget& dialog)> action);

/// Answers every message box that comes up while it lives, keeping the boxes' texts: with the
/// answer when the box has that button, else with OK.
class MessageBoxAnswers {
public:
    explicit MessageBoxAnswers(QMessageBox::StandardButton answer = QMessageBox::Ok);

    std::vector<std::string> texts;

private:
    QTimer timer_;
};

/// The child of the window with this object name; throws (failing the test) when there is none.
template <typename Widget> Widget& Child(const QObject& window, const char* name)
{
    auto* child = window.findChild<Widget*>(name);
    if (!child)
        throw std::runtime_error(std::string("no child ") + name);
    return *child;
}

/// Settings files in a fresh folder, disc images and the cover cache beside them, and main
/// windows over them.
class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest();
    ~MainWindowTest() override;

    /// Writes an audio disc image with tracks of these sector counts, registers it with the CD
    /// layer and returns its position in the drive list.
    int32_t AudioImage(const std::string& name, const std::vector<uint32_t>& trackSectors);
    int32_t DataImage(const std::string& name);
    /// Writes a disc image of these tracks numbered from firstTrack, after hiddenSectors of
    /// audio before the first track, registers it with the CD layer and returns its position in
    /// the drive list.
    int32_t Image(const std::string& name, const std::vector<corvath::test::ImageTrack>& tracks,
                  int firstTrack = 1, uint32_t hiddenSectors = 0);
    std::filesystem::path ImagePath(const std::string& name) const;
    /// Writes an audio disc image as AudioImage does and opens it in the window, in place of
    /// the disc shown.
    void OpenAudioImage(TfrmMain& window, const std::string& name,
                        const std::vector<uint32_t>& trackSectors);

    /// Writes the settings file with the drive index, output format 2 and the output folder.
    void StoreSettings(int32_t driveIndex);

    /// Creates the main window over the test's settings, shows it and waits until it is active.
    /// Played tracks go to outputs of makeOutput (the sound card when none is given).
    std::unique_ptr<TfrmMain> Start(AudioOutputFactory makeOutput = MakeSoundCardOutput);

    corvath::test::TempDir dir_;
    const corvath::test::CoverCacheIn coverCache_{dir_ / "cache"};
    SettingsLocation location_;
    std::string outputFolder_;
};

} // namespace corvath::ui::test
