#include "ui/main_window.h"

#include "app/settings_location.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Corvath");
    QApplication::setApplicationDisplayName("Corvath");

    // SINGLE INSTANCE: the check for a running instance goes here, before any window exists;
    // when one runs, hand over to it and return 0.

    corvath::ui::TfrmMain window(corvath::SettingsLocation::ForProgram());
    window.show();
    return QApplication::exec();
}
