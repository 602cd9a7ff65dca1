#include "web/bridge_origins.h"

#include <QUrl>

namespace sorvane {

namespace {

QString normalized(QString entry)
{
    entry = entry.trimmed().toLower();
    if (entry.endsWith(u'/') && !entry.endsWith(QStringLiteral("://")))
        entry.chop(1);
    return entry;
}

}  // namespace

void BridgeOrigins::set(const QStringList& entries)
{
    m_entries.clear();
    for (const QString& entry : entries)
        if (!entry.trimmed().isEmpty())
            m_entries.append(normalized(entry));
}

QString BridgeOrigins::origin_of(const QString& url)
{
    const QUrl parsed(url);
    if (!parsed.isValid() || parsed.scheme().isEmpty())
        return url;
    if (parsed.host().isEmpty())
        return parsed.scheme() == QStringLiteral("res") ? QStringLiteral("res://") : url.section(u'?', 0, 0);
    QString origin = parsed.scheme().toLower() + QStringLiteral("://") + parsed.host().toLower();
    if (parsed.port() != -1)
        origin += u':' + QString::number(parsed.port());
    return origin;
}

bool BridgeOrigins::allows(const QString& url) const
{
    const QUrl parsed(url);
    const QString scheme = parsed.scheme().toLower();
    const QString origin = origin_of(url).toLower();
    for (const QString& entry : m_entries) {
        if (entry == u'*')
            return true;
        if (scheme.isEmpty() || !parsed.isValid())
            continue;
        // "scheme://": every page of the scheme.
        if (entry == scheme + QStringLiteral("://"))
            return true;
        if (!parsed.host().isEmpty() && entry == origin)
            return true;
    }
    return false;
}

}  // namespace sorvane
