#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace corvath::ui {

namespace {

// At any scale factor the window, minimum width included, has to fit.
void FitWindow(QWidget& window, const QRect& wanted, const QMargins& frame, const QRect& area)
{
    const QRect fitted = FitInto(wanted, frame, area);
    if (window.minimumWidth() > fitted.width())
        window.setMinimumWidth(fitted.width());
    if (window.minimumHeight() > fitted.height())
        window.setMinimumHeight(fitted.height());
    window.setGeometry(fitted);
}

QMargins FrameOf(const QWidget& window)
{
    const QRect inner = window.geometry();
    const QRect outer = window.frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

} // namespace

QRect FitInto(const QRect& window, const QMargins& frame, const QRect& area)
{
    const QRect room = area.marginsRemoved(frame);
    const QSize size = window.size().boundedTo(room.size());
    const int left = std::clamp(window.left(), room.left(), room.right() + 1 - size.width());
    const int top = std::clamp(window.top(), room.top(), room.bottom() + 1 - size.height());
    return {QPoint(left, top), size};
}

void PlaceWindow(QWidget& window, const TMainWindowOptions& stored, QSize designSize)
{
    const bool placed = stored.Width > 0 && stored.Height > 0;
    const QRect storedRect(stored.Left, stored.Top, stored.Width, stored.Height);
    QScreen* screen = placed ? QGuiApplication::screenAt(storedRect.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen->availableGeometry();
    QRect wanted = storedRect;
    if (!placed) {
        wanted.setSize(designSize);
        wanted.moveCenter(area.center());
    }
    window.setMinimumWidth(designSize.width());
    FitWindow(window, wanted, QMargins(), area);
    if (stored.Maximized)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void KeepOnScreen(QWidget& window)
{
    if (window.isMaximized() || window.isFullScreen() || !window.screen())
        return;
    FitWindow(window, window.geometry(), FrameOf(window), window.screen()->availableGeometry());
}

void StoreWindowPlace(const QWidget& window, TMainWindowOptions& stored)
{
    const QRect normal = window.normalGeometry();
    stored.Left = normal.left();
    stored.Top = normal.top();
    stored.Width = normal.width();
    stored.Height = normal.height();
    stored.Maximized = window.isMaximized();
}

} // namespace corvath::ui
