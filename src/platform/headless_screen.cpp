#include "platform/headless_screen.h"

#include "platform/platform.h"

namespace sorvane::platform {

QSizeF HeadlessScreen::physicalSize() const
{
    constexpr qreal kMillimetresPerPixel = 25.4 / 96.0;
    return QSizeF(geometry().size()) * kMillimetresPerPixel;
}

QString HeadlessScreen::name() const
{
    return QString::fromLatin1(kHeadlessPlatform);
}

}  // namespace sorvane::platform
