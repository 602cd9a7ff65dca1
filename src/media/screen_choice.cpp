#include "media/screen_choice.h"

#include <QScreen>
#include <QtDebug>

namespace sorvane::media {

ScreenIdentity identity_of(const QScreen& screen)
{
    return {screen.serialNumber(), screen.model(), screen.name()};
}

qsizetype choose_screen(const QList<ScreenIdentity>& screens, const QString& hint)
{
    if (screens.isEmpty()) {
        qWarning() << "CaptureScreen: no screen to capture";
        return -1;
    }
    if (hint.isEmpty() || hint == QLatin1String("-1"))
        return 0;

    bool is_number = false;
    const int index = hint.toInt(&is_number, 10);
    if (is_number) {
        if (index < 0 || index >= screens.size()) {
            qWarning().noquote() << QStringLiteral("CaptureScreen: wrong screen number supplied (index %1, "
                                                   "available: %2), returning default primary screen")
                                        .arg(index)
                                        .arg(screens.size());
            return 0;
        }
        return index;
    }

    const QString wanted = hint.toLower();
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const ScreenIdentity& screen = screens[i];
        if (screen.serial_number.toLower().contains(wanted) || screen.model.toLower().contains(wanted) ||
            screen.name.toLower().contains(wanted))
            return i;
    }
    qWarning() << "CaptureScreen: returning default primary screen";
    return 0;
}

}  // namespace sorvane::media
