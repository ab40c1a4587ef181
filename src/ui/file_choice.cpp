#include "ui/file_choice.h"

#include <QFileDialog>

namespace corvath::ui {

namespace {

OpenFilesChooser& Replacement()
{
    static OpenFilesChooser chooser;
    return chooser;
}

} // namespace

QStringList ChooseFilesToOpen(QWidget* parent, const QString& title, const QString& filter)
{
    if (const OpenFilesChooser& chooser = Replacement())
        return chooser(parent, title, filter);
    return QFileDialog::getOpenFileNames(parent, title, QString(), filter);
}

void SetOpenFilesChooser(OpenFilesChooser chooser)
{
    Replacement() = std::move(chooser);
}

} // namespace corvath::ui
