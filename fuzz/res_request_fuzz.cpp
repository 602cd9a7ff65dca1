// The "res" path and content-type rules. Every address gives the host a path that is the
// address's decoded path, or that path with "index.html" after a final '/', and a content type
// from the fixed table; the content type depends on the address's text only, not on its case.
//
// Input: one byte picks how the rest becomes an address: as a whole address in tolerant mode, as
// encoded bytes, or as the part after "res://app/".

#include "fuzz_support.h"
#include "web/res_request.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QUrl>

namespace {

const QSet<QByteArray>& known_types()
{
    static const QSet<QByteArray> types = {
        "text/css",         "image/gif",     "text/html",       "image/x-icon",
        "image/jpeg",       "application/javascript", "application/json", "audio/mpeg",
        "video/mp4",        "audio/ogg",     "application/pdf", "image/png",
        "image/svg+xml",    "text/plain",    "audio/wav",       "application/xml",
        "application/zip",  "application/octet-stream",
    };
    return types;
}

QUrl address(std::uint8_t mode, const std::string& bytes)
{
    const QByteArray raw = QByteArray::fromStdString(bytes);
    switch (mode % 3) {
    case 0: return QUrl(QString::fromUtf8(raw));
    case 1: return QUrl::fromEncoded(raw);
    default: return QUrl(QStringLiteral("res://app/") + QString::fromUtf8(raw));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    sorvane::fuzz::silence_qt_messages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    sorvane::fuzz::ByteReader input(data, size);
    const std::uint8_t mode = input.byte();
    const QUrl url = address(mode, input.rest());

    const sorvane::ResRequest request = sorvane::res_request(url);
    const QString decoded = url.path(QUrl::FullyDecoded);
    FUZZ_CHECK(known_types().contains(request.content_type));

    if (decoded.endsWith(u'/')) {
        FUZZ_CHECK(request.path == decoded + QStringLiteral("index.html"));
        FUZZ_CHECK(request.content_type == "text/html");
    } else {
        FUZZ_CHECK(request.path == decoded);
        if (decoded.endsWith(QStringLiteral(".html")))
            FUZZ_CHECK(request.content_type == "text/html");
        else
            FUZZ_CHECK(request.content_type == sorvane::res_content_type(url));
    }
    // The path the host gets survives the trip to the host's UTF-8 text.
    const std::string host_path = request.path.toStdString();
    FUZZ_CHECK(QString::fromStdString(host_path).toStdString() == host_path);

    // The content type comes from the suffix of the text: the same suffix after any other
    // text gives the same type.
    const QString text = url.toString();
    const QUrl other(QStringLiteral("res://other/x") + text.right(6));
    if (other.toString().endsWith(text.right(6)))
        FUZZ_CHECK(sorvane::res_content_type(other) == sorvane::res_content_type(url) ||
                   text.size() < 6);
    return 0;
}
