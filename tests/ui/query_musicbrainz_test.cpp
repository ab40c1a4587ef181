#include "lookup/cddb_client.h"
#include "main_window_harness.h"
#include "support/http_test_server.h"
#include "support/musicbrainz_test_json.h"
#include "ui/release_chooser_dialog.h"
#include "ui/stop_query_dialog.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest/QTest>

namespace corvath::ui::test {
namespace {

using namespace std::chrono_literals;
using corvath::test::DiscIdAnswer;
using corvath::test::HttpTestResponse;
using corvath::test::HttpTestServer;
using corvath::test::MediumJson;
using corvath::test::ReleaseJson;
using Json = nlohmann::json;

Json Detailed(Json release, const std::string& date, const std::string& country,
              const std::string& label, const std::string& catalogNumber)
{
    release["date"] = date;
    release["country"] = country;
    release["label-info"] = {{{"catalog-number", catalogNumber}, {"label", {{"name", label}}}}};
    return release;
}

// Answers every disc ID or TOC request with these releases.
HttpTestServer::Handler Releases(const Json& releases)
{
    return [answer = DiscIdAnswer(releases)](const std::string& target) -> HttpTestResponse {
        if (target.starts_with("/ws/2/discid/"))
            return {200, answer};
        return {400, "{}"};
    };
}

class QueryMusicBrainzTest : public MainWindowTest {
protected:
    QueryMusicBrainzTest() { CddbClientOptions::Process().SetTimeouts(1s, 1s); }
    ~QueryMusicBrainzTest() override
    {
        CddbClientOptions::Process().SetTimeouts(kCddbConnectTimeout, kCddbRequestTimeout);
    }

    // A started window over a three-track disc, looking discs up on server and their covers
    // up on coverServer.
    std::unique_ptr<TfrmMain>
    StartWithDisc(const std::string& server,
                  const std::string& coverServer = "http://" + HttpTestServer::ClosedAddress())
    {
        StoreSettings(AudioImage("disc", {100, 100, 100}));
        auto window = Start();
        OptionsSetting.MusicBrainz.Server = "http://" + server;
        OptionsSetting.MusicBrainz.CoverArtServer = coverServer;
        return window;
    }

    // Runs the MusicBrainz command; onModal looks at each modal window (the wait, the chooser)
    // every few milliseconds while it is up. Returns the text of the wait window's panel if it
    // showed one, which it then closes.
    static QString Lookup(TfrmMain& window, std::function<void(QWidget&)> onModal = {})
    {
        QString panel;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            if (onModal)
                onModal(*modal);
            if (auto* wait = qobject_cast<TfrmStopQuery*>(modal); wait && wait->isVisible()) {
                auto& close = Child<QPushButton>(*wait, "bStop");
                if (close.text() != "Close")
                    return;
                EXPECT_FALSE(Child<QLabel>(*wait, "lHint").isVisible());
                panel = Child<QLabel>(*wait, "lPanelText").text();
                close.click();
            }
        });
        look.start(10);
        Child<QAction>(window, "aQueryMusicBrainz").trigger();
        return panel;
    }
};

TEST_F(QueryMusicBrainzTest, TheCommandFollowsTheCddbOneInTheToolsMenu)
{
    auto window = StartWithDisc(HttpTestServer::ClosedAddress());
    auto& command = Child<QAction>(*window, "aQueryMusicBrainz");
    EXPECT_EQ(command.text(), "Query &MusicBrainz...");
    EXPECT_TRUE(command.isEnabled());
    for (QAction* menu : window->menuBar()->actions()) {
        if (menu->text() != "&Tools")
            continue;
        const QList<QAction*> tools = menu->menu()->actions();
        const qsizetype cddb = tools.indexOf(&Child<QAction>(*window, "aQueryCDDB"));
        ASSERT_GE(cddb, 0);
        EXPECT_EQ(tools.value(cddb + 1), &command);
    }
}

TEST_F(QueryMusicBrainzTest, OneReleaseIsAppliedAtOnceAndReachesTheDiscFile)
{
    Json release =
        Detailed(ReleaseJson("id-1", "Album", {MediumJson(1, "", {"One", "Two", "Three"})}),
                 "1999-03-01", "GB", "Label", "CAT-1");
    release["genres"] = {{{"name", "rock"}}};
    const HttpTestServer server(Releases(Json::array({release})));
    auto window = StartWithDisc(server.Address());
    const QString panel = Lookup(*window, [](QWidget& modal) {
        EXPECT_EQ(qobject_cast<TfrmChooseRelease*>(&modal), nullptr) << "nothing to choose";
    });
    EXPECT_EQ(panel, "");
    EXPECT_EQ(ShownDisc(*window), (std::vector<std::string>{"Artist of Album", "Album", "1999",
                                                            "Rock", "One", "Two", "Three"}));
    ASSERT_FALSE(server.RequestLines().empty());
    EXPECT_TRUE(server.RequestLines()[0].starts_with("GET /ws/2/discid/"))
        << server.RequestLines()[0];

    window->close();
    const std::string stored = corvath::test::ReadFile(location_.discInfoFile);
    for (const char* line :
         {"CDArtist=Artist of Album", "CDAlbum=Album", "CDYear=1999", "1=One", "2=Two", "3=Three"})
        EXPECT_NE(stored.find(line), std::string::npos) << line << " in " << stored;
}

// The second disc of a two-disc release: the window shows its place in the set, and keeps it.
// A release's titles land on the disc's own tracks, not on the one hidden before them.
TEST_F(QueryMusicBrainzTest, AHiddenTrackKeepsItsTitle)
{
    const HttpTestServer server(
        Releases(Json::array({ReleaseJson("id-1", "Album", {MediumJson(1, "", {"One", "Two"})})})));
    StoreSettings(Image(
        "hidden", {{corvath::test::AudioSectors(100, 1)}, {corvath::test::AudioSectors(100, 2)}}, 1,
        4 * 75));
    auto window = Start();
    OptionsSetting.MusicBrainz.Server = "http://" + server.Address();
    OptionsSetting.MusicBrainz.CoverArtServer = "http://" + HttpTestServer::ClosedAddress();
    EXPECT_EQ(Lookup(*window), "");
    EXPECT_EQ(ShownDisc(*window), (std::vector<std::string>{"Artist of Album", "Album", "", "",
                                                            "Hidden track", "One", "Two"}));
    window->close();
    const std::string stored = corvath::test::ReadFile(location_.discInfoFile);
    for (const char* line : {"0=Hidden track", "1=One", "2=Two"})
        EXPECT_NE(stored.find(line), std::string::npos) << line << " in " << stored;
}

TEST_F(QueryMusicBrainzTest, TheSecondDiscOfASetShowsItsPlaceAndKeepsIt)
{
    const Json release =
        ReleaseJson("id-set", "Set",
                    {MediumJson(1, "", {"a", "b", "c", "d"}), MediumJson(2, "", {"e", "f", "g"})});
    const HttpTestServer server(Releases(Json::array({release})));
    auto window = StartWithDisc(server.Address());
    EXPECT_EQ(Lookup(*window), "");
    EXPECT_EQ(Child<QSpinBox>(*window, "eDiscNumber").value(), 2);
    EXPECT_EQ(Child<QSpinBox>(*window, "eDiscTotal").value(), 2);
    EXPECT_EQ(ShownDisc(*window).back(), "g");
    Idle();
    EXPECT_TRUE(
        window->grab().save(QApplication::applicationDirPath() + "/main_window_disc_of_set.png"));
    window->close();
    const std::string stored = corvath::test::ReadFile(location_.discInfoFile);
    for (const char* line : {"DiscNumber=2", "DiscTotal=2", "MusicBrainzAlbumId=id-set"})
        EXPECT_NE(stored.find(line), std::string::npos) << line << " in " << stored;

    window = Start();
    EXPECT_EQ(Child<QSpinBox>(*window, "eDiscNumber").value(), 2);
    EXPECT_EQ(Child<QSpinBox>(*window, "eDiscTotal").value(), 2);
    EXPECT_EQ(Child<QSpinBox>(*window, "eDiscTotal").text(), "2");
    window->close();
}

TEST_F(QueryMusicBrainzTest, SeveralReleasesAreOfferedAndTheChosenOneIsApplied)
{
    Json deluxe = Detailed(ReleaseJson("id-2", "Album Deluxe",
                                       {MediumJson(1, "", {"Bonus A", "Bonus B", "Bonus C", "D"}),
                                        MediumJson(2, "", {"Four", "Five", "Six"})}),
                           "2005", "US", "Other Records International", "OTHER-0002");
    deluxe["genres"] = {{{"name", "Jazz"}}};
    const HttpTestServer server(Releases(Json::array(
        {Detailed(ReleaseJson("id-1", "Album", {MediumJson(1, "", {"One", "Two", "Three"})}),
                  "1999-03-01", "GB", "Label", "CAT-1"),
         deluxe, ReleaseJson("id-3", "Bootleg", {MediumJson(1, "", {"x", "y", "z"})})})));
    auto window = StartWithDisc(server.Address());

    bool chosen = false;
    Lookup(*window, [&](QWidget& modal) {
        auto* chooser = qobject_cast<TfrmChooseRelease*>(&modal);
        if (!chooser || std::exchange(chosen, true))
            return;
        EXPECT_EQ(chooser->objectName(), "frmChooseRelease");
        EXPECT_EQ(chooser->windowTitle(), "Choose a release");
        auto& releases = Child<QTreeWidget>(*chooser, "tvReleases");
        QStringList header;
        for (int column = 0; column < releases.columnCount(); ++column)
            header << releases.headerItem()->text(column);
        EXPECT_EQ(header, QStringList({"Title", "Artist", "Date", "Country", "Label", "Catalog No.",
                                       "Format", "Tracks"}));
        ASSERT_EQ(releases.topLevelItemCount(), 3);
        QStringList second;
        for (int column = 0; column < releases.columnCount(); ++column)
            second << releases.topLevelItem(1)->text(column);
        EXPECT_EQ(second,
                  QStringList({"Album Deluxe", "Artist of Album Deluxe", "2005", "US",
                               "Other Records International", "OTHER-0002", "CD", "3 (disc 2/2)"}));
        EXPECT_EQ(releases.topLevelItem(2)->text(7), "3");
        EXPECT_EQ(releases.currentItem(), releases.topLevelItem(0));
        // Every column shows its widest text whole.
        for (int column = 0; column < releases.columnCount(); ++column)
            EXPECT_GE(releases.columnWidth(column), releases.header()->sectionSizeHint(column))
                << column;
        EXPECT_GE(releases.viewport()->width(), releases.header()->length());
        const QString file = QApplication::applicationDirPath() + "/musicbrainz_chooser.png";
        EXPECT_TRUE(chooser->grab().save(file)) << file.toStdString();

        // The keyboard alone chooses: the list has the focus, Enter is OK.
        EXPECT_EQ(chooser->focusWidget(), &releases);
        QTest::keyClick(&releases, Qt::Key_Down);
        QTest::keyClick(&releases, Qt::Key_Return);
    });
    EXPECT_TRUE(chosen);
    EXPECT_EQ(ShownDisc(*window),
              (std::vector<std::string>{"Artist of Album Deluxe", "Album Deluxe", "2005", "Jazz",
                                        "Four", "Five", "Six"}));
}

TEST_F(QueryMusicBrainzTest, CancelKeepsTheFieldsAndADoubleClickChooses)
{
    const HttpTestServer server(Releases(
        Json::array({ReleaseJson("id-1", "First", {MediumJson(1, "", {"a", "b", "c"})}),
                     ReleaseJson("id-2", "Second", {MediumJson(1, "", {"d", "e", "f"})})})));
    auto window = StartWithDisc(server.Address());
    Child<QLineEdit>(*window, "ID3artist").setText("Typed");
    const std::vector<std::string> before = ShownDisc(*window);
    Lookup(*window, [](QWidget& modal) {
        if (qobject_cast<TfrmChooseRelease*>(&modal))
            Child<QPushButton>(modal, "bCancel").click();
    });
    EXPECT_EQ(ShownDisc(*window), before);

    Lookup(*window, [](QWidget& modal) {
        if (!qobject_cast<TfrmChooseRelease*>(&modal))
            return;
        auto& releases = Child<QTreeWidget>(modal, "tvReleases");
        const QPoint second = releases.visualItemRect(releases.topLevelItem(1)).center();
        QTest::mouseDClick(releases.viewport(), Qt::LeftButton, {}, second);
    });
    EXPECT_EQ(ShownDisc(*window),
              (std::vector<std::string>{"Artist of Second", "Second", "", "", "d", "e", "f"}));
}

TEST_F(QueryMusicBrainzTest, NoReleaseOrNoServerIsShownInThePanelAndChangesNothing)
{
    const HttpTestServer empty(Releases(Json::array()));
    auto window = StartWithDisc(empty.Address());
    Child<QLineEdit>(*window, "ID3artist").setText("Typed");
    const std::vector<std::string> before = ShownDisc(*window);

    EXPECT_EQ(Lookup(*window), "No match found,perhaps:\n1.No information in MusicBrainz "
                               "server\n2.error MusicBrainz options\n3.check the network");
    EXPECT_EQ(ShownDisc(*window), before);

    const std::string closed = HttpTestServer::ClosedAddress();
    OptionsSetting.MusicBrainz.Server = "http://" + closed;
    const QString failure = Lookup(*window, [](QWidget& wait) {
        if (Child<QPushButton>(wait, "bStop").text() != "Close")
            return;
        const QString file = QApplication::applicationDirPath() + "/musicbrainz_failure.png";
        EXPECT_TRUE(wait.grab().save(file)) << file.toStdString();
    });
    EXPECT_TRUE(failure.startsWith("The query failed:\n")) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QString::fromStdString(closed))) << failure.toStdString();
    EXPECT_EQ(ShownDisc(*window), before);
}

TEST_F(QueryMusicBrainzTest, StopWhileTheServerIsSilentEndsTheWaitAndChangesNothing)
{
    const HttpTestServer server = HttpTestServer::Silent();
    auto window = StartWithDisc(server.Address());
    const std::vector<std::string> before = ShownDisc(*window);
    bool stopped = false;
    Lookup(*window, [&](QWidget& modal) {
        if (modal.isVisible() && !std::exchange(stopped, true))
            Child<QPushButton>(modal, "bStop").click();
    });
    EXPECT_TRUE(stopped);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the wait is over at once";
    EXPECT_EQ(ShownDisc(*window), before);
}

// Another disc is shown by the time the answer comes: the release is not applied to it.
TEST_F(QueryMusicBrainzTest, AnAnswerForADiscNoLongerShownChangesNothing)
{
    const HttpTestServer server(HttpTestServer::Slow(
        Releases(Json::array(
            {ReleaseJson("id-1", "Album", {MediumJson(1, "", {"One", "Two", "Three"})})})),
        300ms));
    auto window = StartWithDisc(server.Address());
    std::vector<std::string> other;
    Lookup(*window, [&](QWidget&) {
        if (other.empty() && !server.RequestLines().empty()) {
            OpenAudioImage(*window, "other", {120, 100, 100});
            other = ShownDisc(*window);
        }
    });
    ASSERT_FALSE(other.empty());
    EXPECT_EQ(ShownDisc(*window), other);
    EXPECT_EQ(window->statusBar()->currentMessage(), kAnswerForAnotherDisc);
    window->close();
    const std::string stored = corvath::test::ReadFile(location_.discInfoFile);
    EXPECT_EQ(stored.find("1=One"), std::string::npos) << stored;
}

// The chosen release's front cover shows beside the list and stays with the disc.
TEST_F(QueryMusicBrainzTest, TheChosenReleasesCoverIsShownAndComesBackWithTheDisc)
{
    const std::string jpeg = corvath::test::PatternCover(dir_.path());
    const corvath::test::TestCoverArchive archive(jpeg);
    const HttpTestServer server(Releases(
        Json::array({ReleaseJson("id-1", "Album", {MediumJson(1, "", {"One", "Two", "Three"})})})));
    auto window = StartWithDisc(server.Address(), archive.Url());
    const auto& cover = Child<QLabel>(*window, "imgCover");
    EXPECT_FALSE(cover.isVisible()) << "no cover before the lookup";

    Lookup(*window);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cover.isVisible(); }, 10000));
    EXPECT_EQ(cover.pixmap().size(), QSize(160, 160));
    const auto& list = Child<QTreeWidget>(*window, "ListView1");
    EXPECT_LE(list.geometry().right(), cover.geometry().left()) << "side by side";
    EXPECT_TRUE(window->grab().save(QApplication::applicationDirPath() + "/main_window_cover.png"));
    const std::filesystem::path covers = dir_ / "cache" / "corvath" / "covers";
    ASSERT_TRUE(std::filesystem::is_directory(covers));
    const std::filesystem::directory_iterator cached(covers);
    ASSERT_NE(cached, std::filesystem::directory_iterator());
    EXPECT_EQ(corvath::test::ReadFile(cached->path()), jpeg);

    window->close();
    window.reset();
    window = Start();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Child<QLabel>(*window, "imgCover").isVisible(); }, 10000))
        << "read from the cache with the disc";
}

TEST_F(QueryMusicBrainzTest, ACoverThatCannotBeFetchedIsToldOnTheStatusBar)
{
    const HttpTestServer server(Releases(
        Json::array({ReleaseJson("id-1", "Album", {MediumJson(1, "", {"One", "Two", "Three"})})})));
    auto window = StartWithDisc(server.Address());
    Lookup(*window);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->statusBar()->currentMessage().startsWith("No cover art: "); }, 10000))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_FALSE(Child<QLabel>(*window, "imgCover").isVisible());
    EXPECT_EQ(ShownDisc(*window)[1], "Album") << "the release is applied all the same";
}

} // namespace
} // namespace corvath::ui::test
