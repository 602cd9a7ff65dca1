#pragma once

// Surfaces of the headless platform. Nothing is ever shown: a window keeps its geometry, is
// "exposed" while visible (so code that waits for exposure goes on) and takes focus; an
// offscreen surface only carries its format.

#include <qpa/qplatformoffscreensurface.h>
#include <qpa/qplatformwindow.h>

namespace sorvane::platform {

class HeadlessWindow : public QPlatformWindow {
public:
    explicit HeadlessWindow(QWindow* window);

    void setGeometry(const QRect& rect) override;
    void setVisible(bool visible) override;
    void requestActivateWindow() override;
    bool isExposed() const override { return m_visible; }
    WId winId() const override { return m_win_id; }

private:
    WId m_win_id;
    bool m_visible = false;
};

class HeadlessOffscreenSurface : public QPlatformOffscreenSurface {
public:
    explicit HeadlessOffscreenSurface(QOffscreenSurface* surface) : QPlatformOffscreenSurface(surface) {}

    QSurfaceFormat format() const override;
    bool isValid() const override { return true; }
};

}  // namespace sorvane::platform
