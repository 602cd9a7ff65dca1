#include "web/godot_scheme_handler.h"

#include <QBuffer>
#include <QWebEngineUrlRequestJob>
#include <QtDebug>

namespace sorvane {

namespace {

struct ContentType {
    const char* suffix;
    const char* type;
};

// In ascending order of the suffix. No suffix ends another, so the first match is the only one.
constexpr ContentType kContentTypes[] = {
    {".css", "text/css"},
    {".gif", "image/gif"},
    {".htm", "text/html"},
    {".html", "text/html"},
    {".ico", "image/x-icon"},
    {".jpeg", "image/jpeg"},
    {".jpg", "image/jpeg"},
    {".js", "application/javascript"},
    {".json", "application/json"},
    {".mp3", "audio/mpeg"},
    {".mp4", "video/mp4"},
    {".ogg", "audio/ogg"},
    {".pdf", "application/pdf"},
    {".png", "image/png"},
    {".svg", "image/svg+xml"},
    {".tarvo", "image/png"},
    {".txt", "text/plain"},
    {".wav", "audio/wav"},
    {".xml", "application/xml"},
    {".zip", "application/zip"},
};

constexpr char kHtml[] = "text/html";
constexpr char kUnknown[] = "application/octet-stream";

}  // namespace

GodotSchemeHandler::GodotSchemeHandler(QObject* parent) : QWebEngineUrlSchemeHandler(parent) {}

QByteArray GodotSchemeHandler::content_type(const QUrl& url)
{
    const QString text = url.toString();
    for (const ContentType& entry : kContentTypes)
        if (text.endsWith(QLatin1String(entry.suffix), Qt::CaseInsensitive))
            return entry.type;
    return kUnknown;
}

void GodotSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QUrl url = job->requestUrl();
    QString path = url.path(QUrl::FullyDecoded);
    bool html = path.endsWith(QLatin1String(".html"));
    if (path.endsWith(u'/')) {
        path += QLatin1String("index.html");
        html = true;
    }

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
    job->reply(html ? QByteArray(kHtml) : content_type(url), buffer);
}

}  // namespace sorvane
