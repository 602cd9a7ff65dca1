#include "media/screen_capture_view.h"

#include "media/screen_recorder.h"

#include <QQmlContext>
#include <QQmlEngine>

namespace sorvane {

void ScreenCaptureView::prepare_context(QQmlContext* context)
{
    qmlRegisterType<ScreenRecorder>("Custom", 1, 0, "ScreenRecorder");
    context->setContextProperty("ctx", this);
}

void ScreenCaptureView::post_setup(QQmlEngine*, QObject*) {}

void ScreenCaptureView::set_active(bool active)
{
    m_active = active;
    emit activeChanged();
}

void ScreenCaptureView::set_physical_screen_hint(const QString& hint)
{
    {
        std::lock_guard lock(m_hint_mutex);
        m_physical_screen_hint = hint;
    }
    emit physical_screen_hintChanged();
}

QString ScreenCaptureView::physical_screen_hint() const
{
    std::lock_guard lock(m_hint_mutex);
    return m_physical_screen_hint;
}

}  // namespace sorvane
