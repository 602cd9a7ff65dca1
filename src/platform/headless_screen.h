#pragma once

#include <qpa/qplatformscreen.h>

namespace sorvane::platform {

// The one screen of the headless platform. Qt needs a screen for every window; this one is not a
// physical screen and is never listed as one (platform::physical_screens()). Its figures match
// a plain 1920x1080 X screen at 96 dpi, so that scenes lay out and render as they do on xcb.
class HeadlessScreen : public QPlatformScreen {
public:
    QRect geometry() const override { return {0, 0, 1920, 1080}; }
    int depth() const override { return 24; }
    QImage::Format format() const override { return QImage::Format_RGB32; }
    QDpi logicalDpi() const override { return {96.0, 96.0}; }
    QSizeF physicalSize() const override;
    qreal refreshRate() const override { return 60.0; }
    QString name() const override;
};

}  // namespace sorvane::platform
