#pragma once

#include <QString>
#include <QStringList>
#include <string>

class QLabel;
class QProgressBar;
class QWidget;

namespace corvath::ui {

// Pieces that the rip and the conversion windows share.

/// A label that shows a value the user may want to copy; description says what it is. Its
/// caption, made its buddy's label, names it to screen readers, which read its text as its value.
QLabel* ValueLabel(const char* name, const QString& description, QWidget* parent);

/// The name of the file at path, without its folders.
QString FileNameOf(const std::string& path);

/// A 0 to 100 bar named ProgressBar1 whose text is set by the window (its format).
QProgressBar* CaptionedProgressBar(QWidget* parent);

/// One box listing what failed, a line each, before a window closes: the heading says whether
/// one or several things failed.
void ShowFailureList(QWidget* parent, const QString& oneFailed, const QString& severalFailed,
                     const QStringList& lines);

} // namespace corvath::ui
