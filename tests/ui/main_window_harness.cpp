#include "main_window_harness.h"

#include "app/options_store.h"
#include "platform/cdrom/cd_drive_interface.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

namespace corvath::ui::test {

void PrintTo(const Row& row, std::ostream* out)
{
    *out << '{' << row.number << ", " << row.title << ", " << row.start << ", " << row.length
         << (row.checked ? ", checked}" : ", unchecked}");
}

std::vector<Row> Rows(const TfrmMain& window)
{
    const auto& list = Child<QTreeWidget>(window, "ListView1");
    std::vector<Row> rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list.topLevelItem(i);
        rows.push_back({item->text(0).toStdString(), item->text(1).toStdString(),
                        item->text(2).toStdString(), item->text(3).toStdString(),
                        item->checkState(0) == Qt::Checked});
    }
    return rows;
}

std::vector<std::string> ShownDisc(const TfrmMain& window)
{
    std::vector<std::string> shown;
    for (const char* field : {"ID3artist", "ID3album", "ID3year"})
        shown.push_back(Child<QLineEdit>(window, field).text().toStdString());
    shown.push_back(Child<QComboBox>(window, "ID3genre").currentText().toStdString());
    for (const Row& row : Rows(window))
        shown.push_back(row.title);
    return shown;
}

void Idle()
{
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

void WhenModal(std::function<void(QWidget& dialog)> action)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            action(*dialog);
        }
    });
    poll->start(10);
}

MessageBoxAnswers::MessageBoxAnswers(QMessageBox::StandardButton answer)
{
    QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        texts.push_back(box->text().toStdString());
        QAbstractButton* button = box->button(answer);
        (button ? button : box->button(QMessageBox::Ok))->click();
    });
    timer_.start(10);
}

MainWindowTest::MainWindowTest()
    : location_(SettingsLocation::InFolder(dir_.path())), outputFolder_((dir_ / "out").string())
{
    OptionsSetting = {};
    std::filesystem::create_directory(outputFolder_);
}

MainWindowTest::~MainWindowTest() = default;

std::filesystem::path MainWindowTest::ImagePath(const std::string& name) const
{
    return dir_ / (name + ".cue");
}

int32_t MainWindowTest::AudioImage(const std::string& name,
                                   const std::vector<uint32_t>& trackSectors)
{
    std::vector<corvath::test::ImageTrack> tracks;
    for (std::size_t i = 0; i < trackSectors.size(); ++i)
        tracks.push_back({corvath::test::AudioSectors(trackSectors[i], static_cast<uint32_t>(i))});
    return Image(name, tracks);
}

void MainWindowTest::OpenAudioImage(TfrmMain& window, const std::string& name,
                                    const std::vector<uint32_t>& trackSectors)
{
    AudioImage(name, trackSectors);
    window.OpenDiscImage(QString::fromStdString(ImagePath(name).string()));
}

int32_t MainWindowTest::DataImage(const std::string& name)
{
    return Image(name, {{std::vector<uint8_t>(300 * kCdSectorBytes, 0), true}});
}

int32_t MainWindowTest::Image(const std::string& name,
                              const std::vector<corvath::test::ImageTrack>& tracks, int firstTrack,
                              uint32_t hiddenSectors)
{
    const std::filesystem::path cue =
        corvath::test::WriteCueImage(dir_ / name, tracks, hiddenSectors, firstTrack);
    EXPECT_TRUE(RegisterDiscImage(cue.string())) << cue;
    const std::optional<std::size_t> index = corvath::test::DriveListIndex(cue);
    EXPECT_TRUE(index) << cue << " is not in the drive list";
    return index ? static_cast<int32_t>(*index) : -1;
}

void MainWindowTest::StoreSettings(int32_t driveIndex)
{
    TOptionsSetting settings;
    settings.CDOptions.Index = driveIndex;
    settings.CommonOptions.OutputFormat = 2;
    settings.CommonOptions.OutputFolder = outputFolder_;
    settings.RipOptions.VerifyAccurateRip = false; // tests that verify bring their own server
    SaveOptions(settings, location_);
}

std::unique_ptr<TfrmMain> MainWindowTest::Start(AudioOutputFactory makeOutput)
{
    auto window = std::make_unique<TfrmMain>(location_, std::move(makeOutput));
    // A rip in which every track was ripped closes its window, as the tests wait for; those
    // that read the results turn this off.
    OptionsSetting.RipOptions.CloseWhenDone = true;
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    Idle();
    return window;
}

} // namespace corvath::ui::test
