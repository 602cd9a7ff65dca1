#pragma once

#include <QByteArray>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

#include <functional>
#include <string>

#include "runtime/callback_slot.h"

namespace sorvane {

// Answers every "res" address of every web view with bytes that the host supplies: the host's
// resource callback gets the address's decoded path and hands back a pointer to the bytes and
// their count, which are copied at once. Runs on the Qt thread only.
class GodotSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    using ResourceFunc = unsigned char*(std::string path, bool& flag, unsigned long& size);

    explicit GodotSchemeHandler(QObject* parent = nullptr);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

    // The content type of an address, from the suffix of its whole text (query and fragment
    // included), compared case-insensitively; "application/octet-stream" when none matches.
    static QByteArray content_type(const QUrl& url);

    CallbackSlot<ResourceFunc> m_resource_file;
    CallbackSlot<void()> m_resource_file_free;  // kept for the host; never called
};

}  // namespace sorvane
