#include "platform/platform.h"

#include <QGuiApplication>
#include <QScreen>

namespace sorvane::platform {

bool headless_in_use()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
           QGuiApplication::platformName() == QLatin1String(kHeadlessPlatform);
}

QList<QScreen*> physical_screens()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || headless_in_use())
        return {};
    return QGuiApplication::screens();
}

}  // namespace sorvane::platform
