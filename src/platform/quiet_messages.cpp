#include "platform/quiet_messages.h"

#include <QString>

#include <cstdio>
#include <mutex>

namespace sorvane::platform {

namespace {

// One filter for all QuietMessages alive at a time: they nest (the web engine's start, which one
// quiets, creates a Vulkan instance, which another quiets), so the filter is installed by the
// first and taken out by the last, and each drops only its own warnings again.
std::mutex g_mutex;
int g_depth = 0;
QtMessageHandler g_previous = nullptr;
QStringList g_dropped;

void filter(QtMsgType type, const QMessageLogContext& context, const QString& message);

void pass_on(QtMessageHandler previous, QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (previous && previous != &filter) {
        previous(type, context, message);
        return;
    }
    // Qt hands out its default handler when none was installed, so this is never reached.
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

void filter(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    QtMessageHandler previous = nullptr;
    {
        std::lock_guard lock(g_mutex);
        if (type == QtWarningMsg && g_dropped.contains(message))
            return;
        previous = g_previous;
    }
    pass_on(previous, type, context, message);
}

}  // namespace

QuietMessages::QuietMessages(bool active, QStringList warnings) : m_active(active), m_warnings(std::move(warnings))
{
    if (!m_active)
        return;
    std::lock_guard lock(g_mutex);
    if (g_depth++ == 0)
        g_previous = qInstallMessageHandler(&filter);
    g_dropped += m_warnings;
}

QuietMessages::~QuietMessages()
{
    if (!m_active)
        return;
    std::lock_guard lock(g_mutex);
    for (const QString& warning : std::as_const(m_warnings))
        g_dropped.removeOne(warning);
    if (--g_depth == 0) {
        qInstallMessageHandler(g_previous);
        g_previous = nullptr;
    }
}

QStringList opengl_probe_warnings()
{
    return {QStringLiteral("QRhiGles2: Failed to create temporary context"),
            QStringLiteral("QRhiGles2: Failed to create context")};
}

QStringList vulkan_surface_warnings()
{
    return {QStringLiteral("Failed to find vkGetPhysicalDeviceSurfaceSupportKHR"),
            QStringLiteral("Failed to find vkDestroySurfaceKHR")};
}

QStringList vulkan_presentation_warnings()
{
    return vulkan_surface_warnings() << QStringLiteral("Failed to find vkGetPhysicalDeviceXcbPresentationSupportKHR");
}

}  // namespace sorvane::platform
