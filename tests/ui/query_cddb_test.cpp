#include "app/options_store.h"
#include "lookup/cddb_client.h"
#include "main_window_harness.h"
#include "support/cddb_test_support.h"
#include "support/http_test_server.h"
#include "tags/genre_names.h"
#include "ui/query_cddb_dialog.h"
#include "ui/stop_query_dialog.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <optional>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <utility>

namespace corvath::ui::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using corvath::test::HttpTestServer;

const std::string kEntry = corvath::test::CddbTestDisc::kEntry;

const std::string kMatch = "200 rock 09000403 Artist / Album\r\n";

// A wait-window watcher for Lookup: once the lookup has ended (the button reads "Close"), it
// keeps the panel's text, runs also on the window and closes it.
std::function<void(TfrmStopQuery&)> ClosedWithPanel(QString& panel,
                                                    std::function<void(TfrmStopQuery&)> also = {})
{
    return [&panel, also](TfrmStopQuery& wait) {
        auto& stop = Child<QPushButton>(wait, "bStop");
        if (stop.text() != "Close")
            return;
        panel = Child<QLabel>(wait, "lPanelText").text();
        if (also)
            also(wait);
        stop.click();
    };
}

class QueryCddbTest : public MainWindowTest {
protected:
    QueryCddbTest() { CddbClientOptions::Process().SetTimeouts(1s, 1s); }
    ~QueryCddbTest() override
    {
        CddbClientOptions::Process().SetTimeouts(kCddbConnectTimeout, kCddbRequestTimeout);
    }

    // A started window over a three-track disc whose CDDB id is 09000403.
    std::unique_ptr<TfrmMain> StartWithDisc()
    {
        StoreSettings(AudioImage("disc", {100, 100, 100}));
        return Start();
    }

    // Runs the CDDB command: types server into the dialog and presses Query; onWait looks at
    // the wait window every few milliseconds while it is up. Returns whether the dialog was
    // still open once the wait window had gone (it is then closed).
    static bool Lookup(TfrmMain& window, const std::string& server,
                       std::function<void(TfrmStopQuery&)> onWait = {})
    {
        bool leftOpen = false;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (auto* wait = window.findChild<TfrmStopQuery*>();
                wait && onWait && wait->isVisible())
                onWait(*wait);
        });
        look.start(10);
        WhenModal([&](QWidget& dialog) {
            Child<QComboBox>(dialog, "cbServer").setEditText(QString::fromStdString(server));
            Child<QPushButton>(dialog, "bQuery").click();
            leftOpen = dialog.isVisible();
            if (leftOpen)
                Child<QPushButton>(dialog, "bClose").click();
        });
        Child<QAction>(window, "aQueryCDDB").trigger();
        return leftOpen;
    }
};

TEST_F(QueryCddbTest, AnExactMatchFillsTheDiscAndReachesTheDiscFile)
{
    const HttpTestServer server(corvath::test::CddbServer(kMatch, {{"rock 09000403", kEntry}}));
    auto window = StartWithDisc();
    EXPECT_FALSE(Lookup(*window, server.Address())) << "both windows close";
    EXPECT_EQ(ShownDisc(*window),
              (std::vector<std::string>{"Artist", "Album", "1999", "Rock", "One", "Two", "Three"}));
    EXPECT_EQ(Child<QTreeWidget>(*window, "ListView1").topLevelItem(0)->textAlignment(1),
              int(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_EQ(OptionsSetting.QueryCDDB.Server, server.Address());

    window->close();
    const std::string stored = corvath::test::ReadFile(location_.discInfoFile);
    for (const char* line :
         {"CDArtist=Artist", "CDAlbum=Album", "CDYear=1999", "1=One", "2=Two", "3=Three"})
        EXPECT_NE(stored.find(line), std::string::npos) << line << " in " << stored;
    const std::string settings = corvath::test::ReadFile(location_.optionsFile);
    EXPECT_NE(settings.find("Server=" + server.Address()), std::string::npos) << settings;
}

// Entries spell genres in any case ("rock", "other"): the list's name is selected, and a
// name the list does not have selects none.
TEST_F(QueryCddbTest, AGenreOfAnotherCaseSelectsTheListsName)
{
    for (const auto& [genre, index] :
         {std::pair{"rock", GenreIndexOf("Rock") + 1},
          std::pair{"OTHER", GenreIndexOf("Other") + 1}, std::pair{"Rockabilly", -1}}) {
        std::string entry = kEntry;
        entry.replace(entry.find("DGENRE=Rock"), 11, std::string("DGENRE=") + genre);
        const HttpTestServer server(corvath::test::CddbServer(kMatch, {{"rock 09000403", entry}}));
        auto window = StartWithDisc();
        Lookup(*window, server.Address());
        EXPECT_EQ(Child<QComboBox>(*window, "ID3genre").currentIndex(), index) << genre;
        EXPECT_EQ(ShownDisc(*window)[0], "Artist");
    }
}

TEST_F(QueryCddbTest, NoMatchShowsThePanelAndKeepsTheDialog)
{
    const HttpTestServer server(corvath::test::CddbServer("202 No match found\r\n"));
    auto window = StartWithDisc();
    const std::vector<std::string> before = ShownDisc(*window);
    QString panel;
    const bool leftOpen =
        Lookup(*window, server.Address(), ClosedWithPanel(panel, [](TfrmStopQuery& wait) {
            EXPECT_FALSE(Child<QLabel>(wait, "lHint").isVisible());
            const QString file = QApplication::applicationDirPath() + "/stop_query_window.png";
            EXPECT_TRUE(wait.grab().save(file)) << file.toStdString();
        }));
    EXPECT_TRUE(leftOpen);
    EXPECT_EQ(panel, "No match found,perhaps:\n1.No information in CDDB server\n2.error CDDB "
                     "options\n3.check the network");
    EXPECT_EQ(ShownDisc(*window), before);
}

std::vector<QString> alertedTexts; // what the accessibility alerts were raised on

void RecordAlerts(QAccessibleEvent* event)
{
    if (event->type() == QAccessible::Alert)
        if (auto* label = qobject_cast<QLabel*>(event->object()))
            alertedTexts.push_back(label->text());
}

// The panel's text changes while the focus is on the button: screen readers hear it as an alert.
TEST_F(QueryCddbTest, AFailureAfterTheWaitIsAnnounced)
{
    const HttpTestServer server(corvath::test::CddbServer("202 No match found\r\n"));
    auto window = StartWithDisc();
    alertedTexts.clear();
    QPlatformAccessibility* platform =
        QGuiApplicationPrivate::platformIntegration()->accessibility();
    if (!platform)
        GTEST_SKIP() << "the platform has no accessibility to turn on";
    const QAccessible::UpdateHandler before = QAccessible::installUpdateHandler(&RecordAlerts);
    platform->setActive(true); // as when a screen reader listens
    QString panel;
    Lookup(*window, server.Address(), ClosedWithPanel(panel));
    platform->setActive(false);
    QAccessible::installUpdateHandler(before);
    ASSERT_EQ(alertedTexts.size(), 1u);
    EXPECT_EQ(alertedTexts.front(), panel);
}

TEST_F(QueryCddbTest, AServerThatNeverAnswersIsAFailureThatChangesNothing)
{
    const HttpTestServer server = HttpTestServer::Silent();
    auto window = StartWithDisc();
    Child<QLineEdit>(*window, "ID3artist").setText("Typed");
    const std::vector<std::string> before = ShownDisc(*window);
    QString panel;
    const bool leftOpen = Lookup(*window, server.Address(), ClosedWithPanel(panel));
    EXPECT_TRUE(leftOpen) << "the user may pick another server";
    EXPECT_TRUE(panel.startsWith("The query failed:\n")) << panel.toStdString();
    EXPECT_TRUE(panel.contains(QString::fromStdString(server.Address()))) << panel.toStdString();
    EXPECT_EQ(ShownDisc(*window), before);
}

TEST_F(QueryCddbTest, StopDuringASlowAnswerClosesTheWaitAndTheAnswerChangesNothing)
{
    const HttpTestServer server(HttpTestServer::Slow(
        corvath::test::CddbServer(kMatch, {{"rock 09000403", kEntry}}), 600ms));
    auto window = StartWithDisc();
    const std::vector<std::string> before = ShownDisc(*window);
    bool stopped = false;
    const bool leftOpen = Lookup(*window, server.Address(), [&](TfrmStopQuery& wait) {
        if (!std::exchange(stopped, true))
            Child<QPushButton>(wait, "bStop").click();
    });
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(leftOpen);
    QTest::qWait(1500); // the answers arrive meanwhile
    EXPECT_EQ(ShownDisc(*window), before);
}

// The drive's disc may change while the answer is on its way: the answer is made only on the
// disc it was looked up for, and what the window shows instead stays as it is.
TEST_F(QueryCddbTest, AnAnswerLandsOnlyOnTheDiscItWasFor)
{
    struct Change {
        const char* name;
        std::function<void(TfrmMain&)> make;
        bool applied;
    };
    const Change changes[] = {
        {"another disc",
         [this](TfrmMain& window) {
             OpenAudioImage(window, "other", {120, 100, 100});
         },
         false},
        {"the disc taken out", [](TfrmMain& window) { window.DeviceRemoved(); }, false},
        {"the same disc back",
         [](TfrmMain& window) {
             window.DeviceRemoved();
             window.DeviceArrived();
         },
         true},
    };
    const HttpTestServer server(HttpTestServer::Slow(
        corvath::test::CddbServer(kMatch, {{"rock 09000403", kEntry}}), 300ms));
    for (const Change& change : changes) {
        auto window = StartWithDisc();
        const std::size_t asked = server.RequestLines().size();
        std::optional<std::vector<std::string>> changed;
        Lookup(*window, server.Address(), [&](TfrmStopQuery&) {
            // Once the query is on its way: the lookup has read the disc before.
            if (!changed && server.RequestLines().size() > asked) {
                change.make(*window);
                changed = ShownDisc(*window);
            }
        });
        ASSERT_TRUE(changed) << change.name;
        if (change.applied) {
            EXPECT_EQ(ShownDisc(*window), (std::vector<std::string>{"Artist", "Album", "1999",
                                                                    "Rock", "One", "Two", "Three"}))
                << change.name;
            EXPECT_EQ(window->statusBar()->currentMessage(), "");
        } else {
            EXPECT_EQ(ShownDisc(*window), *changed) << change.name;
            EXPECT_EQ(window->statusBar()->currentMessage(), kAnswerForAnotherDisc) << change.name;
        }
        window->close();
        const std::string stored = corvath::test::ReadFile(location_.discInfoFile);
        EXPECT_EQ(stored.find("1=One") != std::string::npos, change.applied) << change.name;
    }
}

// A server that serves registered programs only says so, and the user is pointed elsewhere.
TEST_F(QueryCddbTest, AServerRefusingTheProgramIsShownAsARefusal)
{
    const HttpTestServer server(corvath::test::CddbServer("500 Unknown developer email\r\n"));
    auto window = StartWithDisc();
    const std::vector<std::string> before = ShownDisc(*window);
    QString panel;
    Lookup(*window, server.Address(), ClosedWithPanel(panel, [](TfrmStopQuery& wait) {
        const QString file = QApplication::applicationDirPath() + "/stop_query_refused.png";
        EXPECT_TRUE(wait.grab().save(file)) << file.toStdString();
    }));
    EXPECT_TRUE(panel.contains("answered: 500 Unknown developer email\n")) << panel.toStdString();
    EXPECT_TRUE(panel.contains("MusicBrainz needs no registration")) << panel.toStdString();
    ASSERT_EQ(server.RequestLines().size(), 1u);
    EXPECT_NE(server.RequestLines()[0].find("&hello=corvath+localhost+Corvath+"), std::string::npos)
        << "no address given: the neutral one";
    EXPECT_EQ(ShownDisc(*window), before);
}

TEST_F(QueryCddbTest, DefaultRestoresTheServerAndQueryStoresTheProxy)
{
    const HttpTestServer server(corvath::test::CddbServer("202 No match found\r\n"));
    auto window = StartWithDisc();
    OptionsSetting.QueryCDDB.Server = "de.freedb.org";
    WhenModal([&](QWidget& dialog) {
        auto& servers = Child<QComboBox>(dialog, "cbServer");
        EXPECT_EQ(servers.count(), 12);
        EXPECT_EQ(servers.currentText(), "de.freedb.org");
        auto& proxy = Child<QCheckBox>(dialog, "cbProxy");
        EXPECT_FALSE(Child<QLineEdit>(dialog, "eAddress").isEnabled());
        proxy.click();
        EXPECT_TRUE(Child<QLineEdit>(dialog, "eAddress").isEnabled());
        EXPECT_TRUE(Child<QLineEdit>(dialog, "ePort").isEnabled());
        Child<QLineEdit>(dialog, "eScript").setText("/other.cgi");
        Child<QLineEdit>(dialog, "eEmail").setText("old@example.org");
        Child<QPushButton>(dialog, "bDefault").click();
        EXPECT_EQ(Child<QLineEdit>(dialog, "eEmail").text(), "");
        EXPECT_EQ(servers.currentText(), "gnudb.gnudb.org");
        EXPECT_EQ(Child<QLineEdit>(dialog, "eScript").text(), "/~cddb/cddb.cgi");
        EXPECT_FALSE(proxy.isChecked());
        EXPECT_FALSE(Child<QLineEdit>(dialog, "ePort").isEnabled());

        // A proxy that is really the test's server: the query goes through it.
        servers.setEditText("cddb.example");
        proxy.click();
        Child<QLineEdit>(dialog, "eAddress").setText("127.0.0.1");
        Child<QLineEdit>(dialog, "ePort").setText(QString::number(server.Port()));
        Child<QLineEdit>(dialog, "eEmail").setText(" me@example.org ");
        const QString file = QApplication::applicationDirPath() + "/query_cddb_dialog.png";
        EXPECT_TRUE(dialog.grab().save(file)) << file.toStdString();
        WhenModal([](QWidget& wait) {
            QTimer::singleShot(300, &wait, [&wait] { Child<QPushButton>(wait, "bStop").click(); });
        });
        Child<QPushButton>(dialog, "bQuery").click();
        Child<QPushButton>(dialog, "bClose").click();
    });
    Child<QAction>(*window, "aQueryCDDB").trigger();

    const TQueryCDDB& stored = OptionsSetting.QueryCDDB;
    EXPECT_EQ(stored.Server, "cddb.example");
    EXPECT_EQ(stored.Script, "/~cddb/cddb.cgi");
    EXPECT_TRUE(stored.UseProxy);
    EXPECT_EQ(stored.ProxyAddress, "127.0.0.1");
    EXPECT_EQ(stored.Port, std::to_string(server.Port()));
    EXPECT_EQ(stored.Email, "me@example.org");
    ASSERT_FALSE(server.RequestLines().empty()) << "the query went through the proxy";
    EXPECT_NE(server.RequestLines()[0].find("&hello=me+example.org+Corvath+"), std::string::npos)
        << server.RequestLines()[0];
}

// A server typed into the dialog, though no list item, is what the next opening shows: a Query
// from there goes to it and not to the list's first.
TEST_F(QueryCddbTest, ATypedServerIsShownAtTheNextOpening)
{
    const HttpTestServer server(corvath::test::CddbServer("202 No match found\r\n"));
    auto window = StartWithDisc();
    QString panel;
    EXPECT_TRUE(Lookup(*window, server.Address(), ClosedWithPanel(panel)));
    ASSERT_EQ(OptionsSetting.QueryCDDB.Server, server.Address());
    WhenModal([&](QWidget& dialog) {
        EXPECT_EQ(Child<QComboBox>(dialog, "cbServer").currentText().toStdString(),
                  server.Address());
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (auto* wait = window->findChild<TfrmStopQuery*>(); wait && wait->isVisible())
                ClosedWithPanel(panel)(*wait);
        });
        look.start(10);
        Child<QPushButton>(dialog, "bQuery").click();
        Child<QPushButton>(dialog, "bClose").click();
    });
    Child<QAction>(*window, "aQueryCDDB").trigger();
    EXPECT_EQ(OptionsSetting.QueryCDDB.Server, server.Address());
    EXPECT_EQ(server.RequestLines().size(), 2u) << "both queries reached the server typed";
}

// The control that has the keyboard: an editable list's own line edit counts as the list.
QString Focused()
{
    QWidget* focus = QApplication::focusWidget();
    if (focus && qobject_cast<QComboBox*>(focus->parentWidget()))
        focus = focus->parentWidget();
    return focus ? focus->objectName() : QString();
}

// Tab goes through the fields as they are laid out: the server box, then the proxy box, then
// the buttons from left to right, and round again.
TEST_F(QueryCddbTest, TabFollowsTheLayout)
{
    auto window = StartWithDisc();
    OptionsSetting.QueryCDDB.UseProxy = true; // else the proxy's fields take no focus
    const QStringList laidOut = {"cbServer", "eScript",  "eEmail", "cbProxy", "eAddress",
                                 "ePort",    "bDefault", "bQuery", "bClose",  "cbServer"};
    WhenModal([&](QWidget& dialog) {
        Child<QComboBox>(dialog, "cbServer").setFocus();
        QStringList order;
        for (qsizetype i = 0; i < laidOut.size(); ++i) {
            order << Focused();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        EXPECT_EQ(order.join(' ').toStdString(), laidOut.join(' ').toStdString());
        Child<QPushButton>(dialog, "bClose").click();
    });
    Child<QAction>(*window, "aQueryCDDB").trigger();
}

TEST_F(QueryCddbTest, EnterInTheServerFieldStartsTheQuery)
{
    const HttpTestServer server(corvath::test::CddbServer(kMatch, {{"rock 09000403", kEntry}}));
    auto window = StartWithDisc();
    bool closed = false;
    WhenModal([&](QWidget& dialog) {
        auto& servers = Child<QComboBox>(dialog, "cbServer");
        const int items = servers.count();
        servers.setEditText(QString::fromStdString(server.Address()));
        servers.setFocus();
        QTest::keyClick(servers.lineEdit(), Qt::Key_Return);
        closed = !dialog.isVisible();
        EXPECT_EQ(servers.count(), items) << "what was typed is no item";
        if (!closed)
            Child<QPushButton>(dialog, "bClose").click();
    });
    Child<QAction>(*window, "aQueryCDDB").trigger();
    EXPECT_TRUE(closed) << "the lookup found the disc and closed the dialog";
    EXPECT_EQ(ShownDisc(*window),
              (std::vector<std::string>{"Artist", "Album", "1999", "Rock", "One", "Two", "Three"}));
    EXPECT_EQ(server.RequestLines().size(), 2u);
}

} // namespace
} // namespace corvath::ui::test
