#pragma once

#include <QMediaCaptureSession>
#include <QObject>
#include <QString>
#include <QVideoSink>

class QScreenCapture;

namespace sorvane {

// The capture pipeline of a screen capture scene, created by the scene as the QML type
// "ScreenRecorder" (module "Custom" 1.0): a screen capture feeding the scene's video sink. The
// scene gives it its video sink and carries the view's `active` and `physical_screen_hint` into it.
class ScreenRecorder : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVideoSink* videoSink READ video_sink WRITE set_video_sink NOTIFY videoSinkChanged)
    Q_PROPERTY(QString physical_screen_hint READ physical_screen_hint WRITE set_physical_screen_hint)
    Q_PROPERTY(bool active READ active WRITE set_active NOTIFY activeChanged)

public:
    explicit ScreenRecorder(QObject* parent = nullptr);

    QVideoSink* video_sink() const { return m_video_sink; }
    // A different sink starts the set-up: the sink joins the capture session and the screen the
    // hint names is chosen. The same sink again changes nothing.
    void set_video_sink(QVideoSink* sink);

    QString physical_screen_hint() const { return m_physical_screen_hint; }
    // A different hint moves a capture that is already set up to the screen it names.
    void set_physical_screen_hint(const QString& hint);

    bool active() const { return m_active; }
    void set_active(bool active);

    QScreenCapture* screen_capture() const { return m_screen_capture; }

signals:
    void videoSinkChanged();
    void activeChanged();

public slots:
    // Switches the screen capture to the recorder's `active` (on only while a screen is chosen).
    void on_set_active();

private:
    void choose_screen();

    bool m_active = true;
    QString m_physical_screen_hint = QStringLiteral("-1");
    QMediaCaptureSession m_capture_session;
    QScreenCapture* m_screen_capture = nullptr;
    QVideoSink* m_video_sink = nullptr;
};

}  // namespace sorvane
