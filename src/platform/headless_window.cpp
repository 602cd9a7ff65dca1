#include "platform/headless_window.h"

#include <QOffscreenSurface>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include <atomic>

namespace sorvane::platform {

namespace {

std::atomic<WId> g_next_win_id{1};

}  // namespace

HeadlessWindow::HeadlessWindow(QWindow* window)
    : QPlatformWindow(window), m_win_id(g_next_win_id.fetch_add(1, std::memory_order_relaxed))
{
    QPlatformWindow::setGeometry(windowGeometry());
}

void HeadlessWindow::setGeometry(const QRect& rect)
{
    QRect adjusted = rect;
    if (adjusted.width() <= 0)
        adjusted.setWidth(1);
    if (adjusted.height() <= 0)
        adjusted.setHeight(1);
    QPlatformWindow::setGeometry(adjusted);
    QWindowSystemInterface::handleGeometryChange(window(), adjusted);
    if (m_visible)
        QWindowSystemInterface::handleExposeEvent(window(), QRect(QPoint(), adjusted.size()));
}

void HeadlessWindow::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    if (visible) {
        if (window()->type() != Qt::ToolTip)
            QWindowSystemInterface::handleFocusWindowChanged(window(), Qt::ActiveWindowFocusReason);
        QWindowSystemInterface::handleExposeEvent(window(), QRect(QPoint(), geometry().size()));
    } else {
        QWindowSystemInterface::handleExposeEvent(window(), QRegion());
    }
}

void HeadlessWindow::requestActivateWindow()
{
    if (m_visible)
        QWindowSystemInterface::handleFocusWindowChanged(window(), Qt::ActiveWindowFocusReason);
}

QSurfaceFormat HeadlessOffscreenSurface::format() const
{
    return offscreenSurface()->requestedFormat();
}

}  // namespace sorvane::platform
