#include "app/settings_location.h"
#include "audio/threads/worker.h"
#include "codecs/startup_libraries.h"
#include "platform/devicewatch/device_watch.h"
#include "platform/process/stop_signals.h"
#include "ui/main_window.h"
#include "ui/program_arguments.h"
#include "ui/qt_main_thread.h"
#include "ui/session_end.h"
#include "ui/single_instance.h"
#include "ui/when_no_dialog.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication::setApplicationName("Corvath");
    QApplication::setApplicationVersion(CORVATH_VERSION);
    if (corvath::ui::AnswerHelpOrVersion(argc, argv))
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Corvath");
    QApplication::setDesktopFileName("corvath");
    QApplication::setWindowIcon(QIcon(":/corvath.svg"));
    const std::optional<QString> discImage = corvath::ui::DiscImageArgument();
    if (!discImage)
        return 2;

    // One instance per user: a later start brings the running one to the front, hands it the
    // disc image to open and ends.
    if (corvath::ui::HandOverToRunningInstance(*discImage))
        return 0;
    // From here a request to end waits for the window, which saves what it shows as it closes.
    const corvath::StopSignals stopSignals;
    corvath::ui::InstanceServer instanceServer;
    // Two starts at the same moment: the one that lost the socket hands over after all.
    if (!instanceServer.IsListening() && corvath::ui::HandOverToRunningInstance(*discImage))
        return 0;

    const corvath::ui::QtMainThread mainThread;
    const corvath::StartupCodecLibraries codecLibraries;
    // Whatever worker the window leaves still running ends before the program's statics go.
    const corvath::LeftWorkersWait leftWorkers;
    corvath::ui::TfrmMain window(corvath::SettingsLocation::ForProgram());
    QObject::connect(&instanceServer, &corvath::ui::InstanceServer::activationRequested, &window,
                     &corvath::ui::TfrmMain::BringToFront);
    // A rip or any other dialog of the window goes on with the disc it has until it is done.
    QObject::connect(&instanceServer, &corvath::ui::InstanceServer::discImageRequested, &window,
                     [&window](const QString& path) {
                         corvath::ui::WhenNoDialogIsOpen(
                             window, corvath::ui::OpenDialogs::kWait,
                             [&window, path] { window.OpenDiscImage(path); });
                     });
    // Disc events come on the watch's thread; the window takes them on its own.
    corvath::DeviceWatch deviceWatch([&window](corvath::DeviceChange change) {
        QMetaObject::invokeMethod(
            &window,
            [&window, change] {
                if (change == corvath::DeviceChange::kArrival)
                    window.DeviceArrived();
                else
                    window.DeviceRemoved();
            },
            Qt::QueuedConnection);
    });
    const corvath::ui::SessionEnd sessionEnd(stopSignals, window);
    window.show();
    // The first show opened the stored drive; the image given takes its place.
    if (!discImage->isEmpty())
        window.OpenDiscImage(*discImage);
    return QApplication::exec();
}
