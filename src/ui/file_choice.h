#pragma once

#include <QStringList>
#include <functional>

class QWidget;

namespace corvath::ui {

/// Shows an open dialog in which several files may be chosen; the files chosen, none when the
/// user cancels. filter is in Qt's form ("Sound file(*.wav);;Any file(*)").
QStringList ChooseFilesToOpen(QWidget* parent, const QString& title, const QString& filter);

/// What stands in for the open dialog; tests answer with files of their own.
using OpenFilesChooser =
    std::function<QStringList(QWidget* parent, const QString& title, const QString& filter)>;

/// Replaces the open dialog of ChooseFilesToOpen; an empty chooser brings the dialog back.
void SetOpenFilesChooser(OpenFilesChooser chooser);

} // namespace corvath::ui
