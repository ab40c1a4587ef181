#pragma once

#include "app/rip_record.h"

#include <QString>
#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

class QDBusConnection;
class QWidget;

namespace corvath::ui {

/// What a desktop notification says: its one-line summary and its body.
struct NotificationText {
    QString summary;
    QString body;
};

/// The end of a rip: "Rip finished", with "12 tracks, all accurately ripped" when every track
/// was verified accurate, "12 tracks ripped" when none failed, else "1 of 12 tracks failed".
NotificationText RipFinishedText(const std::vector<RippedTrack>& tracks);

/// The end of a conversion batch of files files, failed of them failed: "Conversion finished",
/// with "20 files converted" or "1 of 20 files failed".
NotificationText ConversionFinishedText(std::size_t files, std::size_t failed);

/// Whether the end of a batch that took this long is worth a notification: only a batch longer
/// than half a minute that ended while the user was not looking at its window.
bool WorthNotifying(std::chrono::steady_clock::duration took, bool windowAttended);

/// Whether the user is on window: the program is the active application and window is its
/// active window.
bool IsAttended(const QWidget& window);

/// Tells the user of a batch's end with a desktop notification when WorthNotifying says so.
/// A window calls it on the window thread as its batch ends, with the time since it started:
///   NotifyIfUnattended(*this, std::chrono::steady_clock::now() - started_,
///   RipFinishedText(tracks));
void NotifyIfUnattended(const QWidget& window, std::chrono::steady_clock::duration took,
                        const NotificationText& text);

/// Asks the freedesktop notification service on bus to show text as the program's, without
/// waiting for its answer. Without a bus connection or the service, nothing happens.
void SendDesktopNotification(const QDBusConnection& bus, const NotificationText& text);

/// What NotifyIfUnattended hands its notification to; tests record them.
using NotificationSender = std::function<void(const NotificationText& text)>;

/// Replaces the session bus as the way to NotifyIfUnattended's notifications; an empty sender
/// brings the session bus back.
void SetNotificationSender(NotificationSender sender);

} // namespace corvath::ui
