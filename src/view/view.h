#pragma once

#include <QObject>

#include <functional>
#include <string>

#include "runtime/callback_slot.h"

class QQmlContext;
class QQmlEngine;

namespace sorvane {

// The Qt-side base of every view: one offscreen Qt Quick scene. Lives on the Qt thread.
class View : public QObject {
    Q_OBJECT
public:
    explicit View(QObject* parent = nullptr);
    ~View() override;

    // Hooks for subclasses, called while loading and resetting.
    virtual void prepare_context(QQmlContext* context);
    virtual void post_setup(QQmlEngine* engine, QObject* root);
    virtual void pre_reset();

    // Releases the scene and its pipeline; the view can be loaded again afterwards.
    void reset();

    CallbackSlot<void(int, std::string, int, std::string)> m_console_log_func;

public slots:
    void onJavaScriptConsoleMessage(int level, const QString& message, int lineNumber,
                                    const QString& sourceID);
};

}  // namespace sorvane
