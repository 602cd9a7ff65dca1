#pragma once

#include <qpa/qplatformbackingstore.h>

#include <QImage>

namespace sorvane::platform {

// Raster backing store for widget windows: painting goes into an image that nothing shows.
class HeadlessBackingStore : public QPlatformBackingStore {
public:
    explicit HeadlessBackingStore(QWindow* window) : QPlatformBackingStore(window) {}

    QPaintDevice* paintDevice() override { return &m_image; }
    void flush(QWindow*, const QRegion&, const QPoint&) override {}
    void resize(const QSize& size, const QRegion& static_contents) override;
    QImage toImage() const override { return m_image; }

private:
    QImage m_image;
};

}  // namespace sorvane::platform
