#include "ui/folder_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QScreen>
#include <QStandardPaths>

namespace corvath::ui {

bool BrowseForFolder(const QString& title, const QString& root, QString& path)
{
    QFileDialog dialog(QApplication::activeWindow(), title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDirectory(
        root.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) : root);
    if (const QScreen* screen = dialog.screen()) {
        dialog.adjustSize();
        const QRect area = screen->geometry();
        dialog.move((area.width() - dialog.width()) / 2, (area.height() - dialog.height()) / 2);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().constFirst();
    return true;
}

} // namespace corvath::ui
