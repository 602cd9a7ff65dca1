#include "media/screen_recorder.h"

#include "media/screen_choice.h"
#include "platform/platform.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScreenCapture>
#include <QVideoSink>

namespace sorvane {

ScreenRecorder::ScreenRecorder(QObject* parent) : QObject(parent)
{
    m_screen_capture = new QScreenCapture(this);
    connect(this, &ScreenRecorder::activeChanged, this, &ScreenRecorder::on_set_active);
}

void ScreenRecorder::set_video_sink(QVideoSink* sink)
{
    if (sink == m_video_sink)
        return;
    m_video_sink = sink;
    m_capture_session.setVideoSink(sink);
    emit videoSinkChanged();
    choose_screen();
    m_capture_session.setScreenCapture(m_screen_capture);
}

void ScreenRecorder::set_physical_screen_hint(const QString& hint)
{
    if (hint == m_physical_screen_hint)
        return;
    m_physical_screen_hint = hint;
    if (m_video_sink) {
        choose_screen();
        on_set_active();
    }
}

void ScreenRecorder::set_active(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    emit activeChanged();
}

void ScreenRecorder::on_set_active()
{
    m_screen_capture->setActive(m_active && m_screen_capture->screen() != nullptr);
}

// With no screen at all (the headless platform has no physical one) the capture is left
// without one, and off.
void ScreenRecorder::choose_screen()
{
    const QList<QScreen*> screens = platform::physical_screens();
    QList<media::ScreenIdentity> identities;
    for (const QScreen* screen : screens)
        identities.append(media::identity_of(*screen));
    const qsizetype chosen = media::choose_screen(identities, m_physical_screen_hint);
    if (chosen < 0) {
        m_screen_capture->setActive(false);
        m_screen_capture->setScreen(nullptr);
        return;
    }
    m_screen_capture->setScreen(screens[chosen]);
}

}  // namespace sorvane
