#include "view/view.h"

#include <QtDebug>

namespace sorvane {

View::View(QObject* parent) : QObject(parent) {}

View::~View() = default;

void View::prepare_context(QQmlContext*)
{
    qWarning() << "prepare_context is virtual";
}

void View::post_setup(QQmlEngine*, QObject*)
{
    qWarning() << "post_setup is virtual";
}

void View::pre_reset() {}

void View::reset()
{
    pre_reset();
}

void View::onJavaScriptConsoleMessage(int level, const QString& message, int lineNumber,
                                      const QString& sourceID)
{
    m_console_log_func(level, message.toStdString(), lineNumber, sourceID.toStdString());
}

}  // namespace sorvane
