#include "platform/headless_backing_store.h"

#include <QWindow>

namespace sorvane::platform {

void HeadlessBackingStore::resize(const QSize& size, const QRegion&)
{
    if (m_image.size() == size)
        return;
    const QImage::Format format =
        window()->format().hasAlpha() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    m_image = QImage(size, format);
}

}  // namespace sorvane::platform
