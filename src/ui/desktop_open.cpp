#include "ui/desktop_open.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QUrl>

namespace corvath::ui {

bool OpenOnDesktop(const QString& path, QWidget* parent)
{
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return true;
    QMessageBox::warning(parent, "Corvath",
                         "Cannot open " + QDir::toNativeSeparators(path) +
                             ": no program to open it was found on this desktop.");
    return false;
}

} // namespace corvath::ui
