// Text composed through an input method, for the scene's focused item (a QML text field or the
// editable element of a web page), and where that item's text cursor is.

#include "view/view.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QPointer>
#include <QQuickItem>
#include <QTextCharFormat>
#include <QtQuick/QQuickWindow>

#include <algorithm>

namespace sorvane {

namespace {

// The UTF-16 offset of the character (code point) `index` of `text`, clamped to its end.
int utf16_offset(const QString& text, int index)
{
    int offset = 0;
    for (int seen = 0; seen < index && offset < text.size(); ++seen)
        offset += text.at(offset).isHighSurrogate() && offset + 1 < text.size() ? 2 : 1;
    return offset;
}

}  // namespace

void View::ime_event(const QString& preedit, int cursor, const QString& commit)
{
    if (!m_window)
        return;
    QObject* target = m_window->focusObject();
    if (!target)
        return;
    // The composition is shown underlined, with the cursor in it (none for a negative cursor).
    QList<QInputMethodEvent::Attribute> attributes;
    attributes.append({QInputMethodEvent::Cursor, cursor < 0 ? 0 : utf16_offset(preedit, cursor), cursor < 0 ? 0 : 1,
                       QVariant()});
    if (!preedit.isEmpty()) {
        QTextCharFormat format;
        format.setFontUnderline(true);
        attributes.append({QInputMethodEvent::TextFormat, 0, static_cast<int>(preedit.size()), format});
    }
    QInputMethodEvent event(preedit, attributes);
    event.setCommitString(commit);
    QCoreApplication::sendEvent(target, &event);
    // An empty event ends a composition. A web page takes the first one it gets while composing
    // as possibly the start of a key press, and leaves the composition to a second one that it
    // posts to the application's focus object: an offscreen scene is never that (Qt warns of
    // the missing receiver), so the second one comes from here. Anything else takes the second
    // one as a no-op.
    if (preedit.isEmpty() && commit.isEmpty()) {
        QPointer<QObject> still(target);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (still) {
            QInputMethodEvent again(QString(), attributes);
            QCoreApplication::sendEvent(still, &again);
        }
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QRect View::ime_rect() const
{
    auto* item = m_window ? qobject_cast<QQuickItem*>(m_window->focusObject()) : nullptr;
    if (!item || !item->flags().testFlag(QQuickItem::ItemAcceptsInputMethod))
        return {};
    QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImCursorRectangle);
    QCoreApplication::sendEvent(item, &query);
    if (!query.value(Qt::ImEnabled).toBool())
        return {};
    return item->mapRectToScene(query.value(Qt::ImCursorRectangle).toRectF()).toAlignedRect();
}

}  // namespace sorvane
