#include "web/godot_scheme_handler.h"

#include "web/res_request.h"

#include <QBuffer>
#include <QWebEngineUrlRequestJob>
#include <QtDebug>

namespace sorvane {

GodotSchemeHandler::GodotSchemeHandler(QObject* parent) : QWebEngineUrlSchemeHandler(parent) {}

QByteArray GodotSchemeHandler::content_type(const QUrl& url)
{
    return res_content_type(url);
}

void GodotSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const ResRequest request = res_request(job->requestUrl());
    const QString& path = request.path;

    bool flag = false;
    unsigned long size = 0;
    const auto bytes = m_resource_file(path.toStdString(), flag, size);
    if (!bytes) {
        // Failing the request at once keeps the page from waiting for an answer that never comes.
        qWarning() << "m_resource_file not set, returning...";
        job->fail(QWebEngineUrlRequestJob::RequestFailed);
        return;
    }
    if (size == 0) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    if (*bytes == nullptr) {
        qWarning() << "res: the resource callback returned no bytes but a size of" << size << "for" << path;
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }

    auto* buffer = new QBuffer(job);
    buffer->setData(reinterpret_cast<const char*>(*bytes), static_cast<qsizetype>(size));
    job->reply(request.content_type, buffer);
}

}  // namespace sorvane
