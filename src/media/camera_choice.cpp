#include "media/camera_choice.h"

#include <QtDebug>

namespace sorvane::media {

qsizetype choose_camera(const QStringList& descriptions, const QString& hint)
{
    if (descriptions.isEmpty())
        return -1;
    if (hint.isEmpty() || hint == QLatin1String("-1") || hint == QLatin1String("0"))
        return 0;

    bool is_number = false;
    const int index = hint.toInt(&is_number, 10);
    if (is_number) {
        if (index < 0 || index >= descriptions.size()) {
            qWarning().noquote() << QStringLiteral("Camera: wrong camera index supplied (index %1, "
                                                   "available: %2), using the first camera")
                                        .arg(hint)
                                        .arg(descriptions.size());
            return 0;
        }
        return index;
    }

    const QString wanted = hint.toLower();
    for (qsizetype i = 0; i < descriptions.size(); ++i)
        if (descriptions[i].toLower().contains(wanted))
            return i;
    qWarning() << "Could not find camera by hint: " << hint << ", setting default";
    return 0;
}

}  // namespace sorvane::media
