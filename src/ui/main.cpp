#include "app/settings_location.h"
#include "codecs/startup_libraries.h"
#include "platform/devicewatch/device_watch.h"
#include "ui/main_window.h"
#include "ui/qt_main_thread.h"
#include "ui/single_instance.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvath");
    QApplication::setApplicationDisplayName("Corvath");
    QApplication::setDesktopFileName("corvath");
    QApplication::setWindowIcon(QIcon(":/corvath.svg"));

    // One instance per user: a later start brings the running one to the front and ends.
    if (corvath::ui::HandOverToRunningInstance())
        return 0;
    corvath::ui::InstanceServer instanceServer;
    // Two starts at the same moment: the one that lost the socket hands over after all.
    if (!instanceServer.IsListening() && corvath::ui::HandOverToRunningInstance())
        return 0;

    const corvath::ui::QtMainThread mainThread;
    const corvath::StartupCodecLibraries codecLibraries;
    corvath::ui::TfrmMain window(corvath::SettingsLocation::ForProgram());
    QObject::connect(&instanceServer, &corvath::ui::InstanceServer::activationRequested, &window,
                     &corvath::ui::TfrmMain::BringToFront);
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
    window.show();
    return QApplication::exec();
}
