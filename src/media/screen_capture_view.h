#pragma once

#include <QString>

#include <mutex>

#include "quick/quick_view.h"

namespace sorvane {

// A view that shows the live capture of a physical screen. It carries the host's settings; the
// scene "ScreenCapture" of the module "Multimedia" creates the ScreenRecorder that captures and
// binds it to `active` and `physical_screen_hint` through "ctx".
class ScreenCaptureView : public QuickView {
    Q_OBJECT
    Q_PROPERTY(bool active READ active WRITE set_active NOTIFY activeChanged)
    Q_PROPERTY(QString physical_screen_hint READ physical_screen_hint WRITE set_physical_screen_hint
                   NOTIFY physical_screen_hintChanged)

public:
    using QuickView::QuickView;

    void prepare_context(QQmlContext* context) override;
    void post_setup(QQmlEngine* engine, QObject* root) override;

    bool active() const { return m_active; }
    // Emits activeChanged even when the value is unchanged.
    void set_active(bool active);

    // Safe from any thread: stores the hint and emits physical_screen_hintChanged on the calling
    // thread (even when unchanged); the scene reads it on the Qt thread.
    void set_physical_screen_hint(const QString& hint);
    QString physical_screen_hint() const;

signals:
    void activeChanged();
    void physical_screen_hintChanged();

private:
    bool m_active = true;
    mutable std::mutex m_hint_mutex;
    QString m_physical_screen_hint = QStringLiteral("-1");
};

}  // namespace sorvane
