// The notification at the end of a batch: its texts, when it is sent, and what reaches a
// notification service on a bus of the test's own.

#include "support/temp_dir.h"
#include "ui/desktop_notification.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <QtTest/QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

namespace corvath::ui::test {
namespace {

using namespace std::chrono_literals;
using Kind = TrackVerdict::Kind;

// One track per verdict; a failed track has a reason.
std::vector<RippedTrack> Tracks(const std::vector<Kind>& verdicts, std::size_t failed = 0)
{
    std::vector<RippedTrack> tracks(verdicts.size());
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        tracks[i].number = static_cast<int32_t>(i + 1);
        tracks[i].verdict.kind = verdicts[i];
        if (i < failed)
            tracks[i].failure = "Read error";
    }
    return tracks;
}

std::vector<Kind> Same(std::size_t count, Kind kind)
{
    return std::vector<Kind>(count, kind);
}

TEST(DesktopNotificationText, SaysHowTheRipEnded)
{
    std::vector<Kind> oneNotInDatabase = Same(12, Kind::Accurate);
    oneNotInDatabase[5] = Kind::NotInDatabase;
    const struct {
        std::vector<RippedTrack> tracks;
        const char* body;
    } cases[] = {
        {Tracks(Same(12, Kind::Accurate)), "12 tracks, all accurately ripped"},
        {Tracks(Same(1, Kind::Accurate)), "1 track, accurately ripped"},
        {Tracks(oneNotInDatabase), "12 tracks ripped"},
        {Tracks(Same(12, Kind::NotChecked)), "12 tracks ripped"},
        {Tracks(Same(1, Kind::LookupFailed)), "1 track ripped"},
        {Tracks(Same(12, Kind::Accurate), 1), "1 of 12 tracks failed"},
        {Tracks(Same(12, Kind::NotChecked), 3), "3 of 12 tracks failed"},
        {Tracks(Same(1, Kind::NotChecked), 1), "1 track failed"},
        {Tracks({}), "0 tracks ripped"},
    };
    for (const auto& [tracks, body] : cases) {
        const NotificationText text = RipFinishedText(tracks);
        EXPECT_EQ(text.summary.toStdString(), "Rip finished");
        EXPECT_EQ(text.body.toStdString(), body);
    }
}

TEST(DesktopNotificationText, SaysHowTheConversionEnded)
{
    const struct {
        std::size_t files;
        std::size_t failed;
        const char* body;
    } cases[] = {
        {20, 0, "20 files converted"},   {1, 0, "1 file converted"},
        {20, 1, "1 of 20 files failed"}, {20, 20, "20 of 20 files failed"},
        {1, 1, "1 file failed"},
    };
    for (const auto& [files, failed, body] : cases) {
        const NotificationText text = ConversionFinishedText(files, failed);
        EXPECT_EQ(text.summary.toStdString(), "Conversion finished");
        EXPECT_EQ(text.body.toStdString(), body) << files << " files, " << failed << " failed";
    }
}

TEST(DesktopNotificationPolicy, OnlyALongBatchThatEndsUnwatched)
{
    const struct {
        std::chrono::steady_clock::duration took;
        bool attended;
        bool notify;
    } cases[] = {
        {10s, false, false}, {30s, false, false}, {31s, false, true},
        {31s, true, false},  {2h, true, false},   {2h, false, true},
    };
    for (const auto& [took, attended, notify] : cases)
        EXPECT_EQ(WorthNotifying(took, attended), notify)
            << std::chrono::duration_cast<std::chrono::seconds>(took).count() << " s, "
            << (attended ? "attended" : "unattended");
}

// A shown window, and what NotifyIfUnattended would send.
class NotifyIfUnattendedTest : public ::testing::Test {
protected:
    NotifyIfUnattendedTest()
    {
        SetNotificationSender([this](const NotificationText& text) { sent_.push_back(text); });
        window_.resize(200, 100);
        window_.show();
    }
    ~NotifyIfUnattendedTest() override { SetNotificationSender(nullptr); }

    void Activate()
    {
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }
    // The user went to another application: the platform tells Qt.
    static void LeaveForAnotherProgram()
    {
        QWindowSystemInterface::handleWindowActivated(nullptr);
        QCoreApplication::processEvents();
        ASSERT_EQ(QGuiApplication::applicationState(), Qt::ApplicationInactive);
    }

    QWidget window_;
    std::vector<NotificationText> sent_;
    const NotificationText text_ = ConversionFinishedText(20, 0);
};

TEST_F(NotifyIfUnattendedTest, TellsOfALongBatchOnlyWhenTheUserIsElsewhere)
{
    Activate();
    NotifyIfUnattended(window_, 5min, text_);
    EXPECT_TRUE(sent_.empty()) << "the user watches the window";

    LeaveForAnotherProgram();
    NotifyIfUnattended(window_, 20s, text_);
    EXPECT_TRUE(sent_.empty()) << "a short batch";

    NotifyIfUnattended(window_, 5min, text_);
    ASSERT_EQ(sent_.size(), 1u);
    EXPECT_EQ(sent_[0].summary, text_.summary);
    EXPECT_EQ(sent_[0].body, text_.body);
}

// What a notification service was asked to show.
struct NotifyCall {
    QString appName;
    QString icon;
    QString summary;
    QString body;
};

// Stands in for the desktop's notification service and records its calls; when told not to
// answer, the callers' replies never come, as with a hung service.
class NotificationServiceStub : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    std::vector<NotifyCall> calls;
    bool answers = true;

public slots:
    uint Notify(const QString& appName, uint, const QString& icon, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap&, int)
    {
        calls.push_back({appName, icon, summary, body});
        if (!answers)
            setDelayedReply(true);
        return static_cast<uint>(calls.size());
    }
};

// A session bus of the test's own, with nothing on it, ended with the object.
class PrivateBus {
public:
    PrivateBus()
    {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            return;
        // A session bus as the desktop's, without its services to start on demand.
        corvath::test::WriteFile(
            dir_ / "bus.conf",
            "<busconfig><type>session</type><listen>unix:dir=" + dir_.path().string() +
                "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                "<allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                "</policy></busconfig>");
        process_.start(daemon,
                       {"--nofork", "--print-address",
                        "--config-file=" + QString::fromStdString((dir_ / "bus.conf").string())});
        if (process_.waitForReadyRead(10000))
            address_ = QString::fromUtf8(process_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString& name : connections_)
            QDBusConnection::disconnectFromBus(name);
        process_.kill();
        process_.waitForFinished();
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    /// Empty when the daemon is missing or did not start.
    const QString& Address() const { return address_; }

    QDBusConnection Connect(const QString& name)
    {
        connections_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    corvath::test::TempDir dir_;
    QProcess process_;
    QString address_;
    QStringList connections_;
};

class DesktopNotificationBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_FALSE(bus_.Address().isEmpty()) << "dbus-daemon did not start";
        ASSERT_TRUE(program_.isConnected()) << program_.lastError().message().toStdString();
    }

    // The stub takes the service's name on a connection of its own.
    void OfferService()
    {
        QDBusConnection service = bus_.Connect("service");
        ASSERT_TRUE(service.registerObject("/org/freedesktop/Notifications", &stub_,
                                           QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service.registerService("org.freedesktop.Notifications"));
    }

    bool WaitForCall() const
    {
        return QTest::qWaitFor([this] { return !stub_.calls.empty(); }, 10000);
    }

    PrivateBus bus_;
    QDBusConnection program_ = bus_.Connect("program");
    NotificationServiceStub stub_;
    const NotificationText text_{"Rip finished", "1 of 12 tracks failed"};
};

TEST_F(DesktopNotificationBusTest, TheServiceShowsTheProgramsTexts)
{
    OfferService();
    SendDesktopNotification(program_, text_);
    ASSERT_TRUE(WaitForCall());
    ASSERT_EQ(stub_.calls.size(), 1u);
    const NotifyCall& call = stub_.calls[0];
    EXPECT_EQ(call.appName.toStdString(), "Corvath");
    EXPECT_EQ(call.icon.toStdString(), "corvath");
    EXPECT_EQ(call.summary, text_.summary);
    EXPECT_EQ(call.body, text_.body);
}

// The stub answers on this thread: a sender that waited for the answer would stop it from
// answering and return only at the bus's 25-second time-out.
TEST_F(DesktopNotificationBusTest, SendingDoesNotWaitForTheService)
{
    OfferService();
    stub_.answers = false;
    QElapsedTimer sending;
    sending.start();
    SendDesktopNotification(program_, text_);
    EXPECT_LT(sending.elapsed(), 10000);
    EXPECT_TRUE(stub_.calls.empty()) << "the service was served while sending";
    EXPECT_TRUE(WaitForCall());
}

bool AnyMessageBox()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::ranges::any_of(windows, [](const QWidget* window) {
        return window->isVisible() && qobject_cast<const QMessageBox*>(window);
    });
}

TEST_F(DesktopNotificationBusTest, WithoutTheServiceOrABusNothingHappens)
{
    SendDesktopNotification(program_, text_);
    // The bus answers in order: once this call returns, the refusal of the notification is in.
    const QDBusMessage id = program_.call(QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId"));
    EXPECT_EQ(id.type(), QDBusMessage::ReplyMessage);
    QCoreApplication::processEvents();
    EXPECT_FALSE(AnyMessageBox());

    SendDesktopNotification(QDBusConnection("no bus"), text_);
    QCoreApplication::processEvents();
    EXPECT_FALSE(AnyMessageBox());
}

} // namespace
} // namespace corvath::ui::test

#include "desktop_notification_test.moc"
