#pragma once

#include "app/options_setting.h"

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace corvath::ui {

/// A window's rectangle moved, and shrunk where it is larger, so that the window and its frame
/// lie inside area.
QRect FitInto(const QRect& window, const QMargins& frame, const QRect& area);

/// Gives a window its stored place and size, or designSize centred when it was never placed,
/// fitted into the available area of the screen it would be on, and maximises it when it was.
/// Its minimum width is designSize's, or the screen's when that is narrower.
void PlaceWindow(QWidget& window, const TMainWindowOptions& stored, QSize designSize);

/// Fits a shown window, frame included, into its screen's available area: the frame is known
/// only once the window is shown.
void KeepOnScreen(QWidget& window);

/// Stores a window's place and size out of the maximised state, and whether it is maximised.
void StoreWindowPlace(const QWidget& window, TMainWindowOptions& stored);

} // namespace corvath::ui
