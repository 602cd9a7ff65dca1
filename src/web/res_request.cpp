#include "web/res_request.h"

#include <QLatin1String>

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

QByteArray res_content_type(const QUrl& url)
{
    const QString text = url.toString();
    for (const ContentType& entry : kContentTypes)
        if (text.endsWith(QLatin1String(entry.suffix), Qt::CaseInsensitive))
            return entry.type;
    return kUnknown;
}

ResRequest res_request(const QUrl& url)
{
    ResRequest request;
    request.path = url.path(QUrl::FullyDecoded);
    bool html = request.path.endsWith(QLatin1String(".html"));
    if (request.path.endsWith(u'/')) {
        request.path += QLatin1String("index.html");
        html = true;
    }
    request.content_type = html ? QByteArray(kHtml) : res_content_type(url);
    return request;
}

}  // namespace sorvane
