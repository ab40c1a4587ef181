#pragma once

#include <QString>

namespace corvath::ui {

/// Lets the user pick a folder in a dialog centred on the screen, starting at root (the
/// desktop when empty). path is set to the chosen folder; false when none was chosen.
bool BrowseForFolder(const QString& title, const QString& root, QString& path);

} // namespace corvath::ui
