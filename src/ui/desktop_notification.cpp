#include "ui/desktop_notification.h"

#include "ui/program_icon.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QGuiApplication>
#include <QVariantMap>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace corvath::ui {

namespace {

// A shorter batch was most likely watched to its end.
constexpr std::chrono::seconds kUnattendedAfter{30};

// "1 track", "12 tracks".
QString Counted(std::size_t count, const QString& noun)
{
    return QString("%1 %2%3").arg(count).arg(noun, count == 1 ? "" : "s");
}

// "1 of 12 tracks failed"; of a single one, "1 track failed".
QString FailedOf(std::size_t failed, std::size_t total, const QString& noun)
{
    if (total == 1)
        return Counted(1, noun) + " failed";
    return QString("%1 of %2 failed").arg(failed).arg(Counted(total, noun));
}

NotificationSender& InstalledSender()
{
    static NotificationSender sender;
    return sender;
}

} // namespace

NotificationText RipFinishedText(const std::vector<RippedTrack>& tracks)
{
    const std::size_t total = tracks.size();
    const std::size_t failed = TracksNotRipped(tracks);
    const auto accurate =
        static_cast<std::size_t>(std::ranges::count_if(tracks, [](const RippedTrack& track) {
            return track.verdict.kind == TrackVerdict::Kind::Accurate;
        }));
    QString body;
    if (failed > 0)
        body = FailedOf(failed, total, "track");
    else if (total > 0 && accurate == total)
        body = Counted(total, "track") +
               (total == 1 ? ", accurately ripped" : ", all accurately ripped");
    else
        body = Counted(total, "track") + " ripped";
    return {"Rip finished", body};
}

NotificationText ConversionFinishedText(std::size_t files, std::size_t failed)
{
    const QString body =
        failed > 0 ? FailedOf(failed, files, "file") : Counted(files, "file") + " converted";
    return {"Conversion finished", body};
}

bool WorthNotifying(std::chrono::steady_clock::duration took, bool windowAttended)
{
    return took > kUnattendedAfter && !windowAttended;
}

bool IsAttended(const QWidget& window)
{
    return QGuiApplication::applicationState() == Qt::ApplicationActive && window.isActiveWindow();
}

void NotifyIfUnattended(const QWidget& window, std::chrono::steady_clock::duration took,
                        const NotificationText& text)
{
    if (!WorthNotifying(took, IsAttended(window)))
        return;
    if (const NotificationSender& sender = InstalledSender())
        sender(text);
    else
        SendDesktopNotification(QDBusConnection::sessionBus(), text);
}

void SendDesktopNotification(const QDBusConnection& bus, const NotificationText& text)
{
    if (!bus.isConnected())
        return;
    QDBusMessage notify = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                         "/org/freedesktop/Notifications",
                                                         "org.freedesktop.Notifications", "Notify");
    const int serverDecidesTimeout = -1;
    notify << QString("Corvath") << 0u << QString(kProgramIconName) << text.summary << text.body
           << QStringList() << QVariantMap() << serverDecidesTimeout;
    // The answer, the notification's number or an error when there is no service, is not needed.
    bus.asyncCall(notify);
}

void SetNotificationSender(NotificationSender sender)
{
    InstalledSender() = std::move(sender);
}

} // namespace corvath::ui
