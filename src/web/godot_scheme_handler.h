#pragma once

#include <QWebEngineUrlSchemeHandler>

#include <functional>
#include <string>

#include "runtime/callback_slot.h"

namespace sorvane {

// Answers every "res" address of every web view with bytes that the host supplies.
class GodotSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    using ResourceFunc = unsigned char*(std::string path, bool& flag, unsigned long& size);

    explicit GodotSchemeHandler(QObject* parent = nullptr);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

    CallbackSlot<ResourceFunc> m_resource_file;
    CallbackSlot<void()> m_resource_file_free;  // kept for the host; never called
};

}  // namespace sorvane
