#include "platform/quiet_opengl_probe.h"

#include <QString>

#include <atomic>

namespace sorvane::platform {

namespace {

std::atomic<QtMessageHandler> g_previous{nullptr};

bool is_missing_opengl(QtMsgType type, const QString& message)
{
    return type == QtWarningMsg && (message == QLatin1String("QRhiGles2: Failed to create temporary context") ||
                                    message == QLatin1String("QRhiGles2: Failed to create context"));
}

void filter(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (is_missing_opengl(type, message))
        return;
    // Qt hands out its default handler when none was installed, so there always is one.
    if (const QtMessageHandler previous = g_previous.load())
        previous(type, context, message);
}

}  // namespace

QuietOpenGlProbe::QuietOpenGlProbe(bool active) : m_active(active)
{
    if (m_active)
        g_previous.store(qInstallMessageHandler(&filter));
}

QuietOpenGlProbe::~QuietOpenGlProbe()
{
    if (m_active)
        qInstallMessageHandler(g_previous.load());
}

}  // namespace sorvane::platform
