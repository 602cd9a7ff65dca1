#include "web/godot_scheme_handler.h"

#include <QWebEngineUrlRequestJob>
#include <QtDebug>

namespace sorvane {

GodotSchemeHandler::GodotSchemeHandler(QObject* parent) : QWebEngineUrlSchemeHandler(parent) {}

void GodotSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    qWarning() << "res: request handling is not available yet:" << job->requestUrl();
    job->fail(QWebEngineUrlRequestJob::RequestFailed);
}

}  // namespace sorvane
