#pragma once

// What a "res" address asks of the host's resource callback, and the content type of the answer.
// Pure functions of the address, apart from any request job.

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace sorvane {

struct ResRequest {
    // The address's fully decoded path; a path that ends in '/' asks for its "index.html".
    QString path;
    // "text/html" for a path ending in ".html" (as written) or '/'; otherwise res_content_type.
    QByteArray content_type;
};

ResRequest res_request(const QUrl& url);

// The content type of an address, from the suffix of its whole text (query and fragment
// included), compared case-insensitively; "application/octet-stream" when none matches.
QByteArray res_content_type(const QUrl& url);

}  // namespace sorvane
