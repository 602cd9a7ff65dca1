#include "platform/headless_integration.h"

#include "platform/headless_backing_store.h"
#include "platform/headless_screen.h"
#include "platform/headless_vulkan_instance.h"
#include "platform/headless_window.h"

#include <QtGui/private/qgenericunixeventdispatcher_p.h>
#include <QtGui/private/qgenericunixfontdatabase_p.h>
#include <QtGui/private/qgenericunixservices_p.h>
#include <QtGui/private/qgenericunixthemes_p.h>
#include <qpa/qplatforminputcontext.h>
#include <qpa/qplatforminputcontextfactory_p.h>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qwindowsysteminterface.h>

namespace sorvane::platform {

HeadlessIntegration::HeadlessIntegration()
    : m_font_database(std::make_unique<QGenericUnixFontDatabase>()),
      m_services(std::make_unique<QGenericUnixServices>()),
      m_native_interface(std::make_unique<QPlatformNativeInterface>())
{
    // Added here, as xcb adds its screens, before the application resolves its fonts: a font
    // resolved with no screen yet takes a default of 100 dpi instead of the screen's 96.
    m_screen = new HeadlessScreen;
    QWindowSystemInterface::handleScreenAdded(m_screen);
}

HeadlessIntegration::~HeadlessIntegration()
{
    if (m_screen)
        QWindowSystemInterface::handleScreenRemoved(m_screen);
}

void HeadlessIntegration::initialize()
{
    // As on xcb: the input method the user asked for (QT_IM_MODULE), else the compose one.
    QStringList input_contexts = QPlatformInputContextFactory::requested();
    input_contexts << QStringLiteral("compose");
    m_input_context.reset(QPlatformInputContextFactory::create(input_contexts));
}

bool HeadlessIntegration::hasCapability(Capability capability) const
{
    switch (capability) {
    case ThreadedPixmaps:
    case MultipleWindows:
    case NonFullScreenWindows:
    case WindowActivation:
    // Qt Quick renders through the RHI only where the platform says it can; without this it
    // would fall back on its software renderer.
    case RhiBasedRendering:
        return true;
    case OpenGL:
    case ThreadedOpenGL:
        return false;
    default:
        return QPlatformIntegration::hasCapability(capability);
    }
}

QPlatformWindow* HeadlessIntegration::createPlatformWindow(QWindow* window) const
{
    return new HeadlessWindow(window);
}

QPlatformBackingStore* HeadlessIntegration::createPlatformBackingStore(QWindow* window) const
{
    return new HeadlessBackingStore(window);
}

QPlatformOffscreenSurface* HeadlessIntegration::createPlatformOffscreenSurface(QOffscreenSurface* surface) const
{
    return new HeadlessOffscreenSurface(surface);
}

#ifndef QT_NO_OPENGL
QPlatformOpenGLContext* HeadlessIntegration::createPlatformOpenGLContext(QOpenGLContext*) const
{
    return nullptr;
}
#endif

QPlatformVulkanInstance* HeadlessIntegration::createPlatformVulkanInstance(QVulkanInstance* instance) const
{
    return new HeadlessVulkanInstance(instance);
}

QAbstractEventDispatcher* HeadlessIntegration::createEventDispatcher() const
{
    return createUnixEventDispatcher();
}

QPlatformFontDatabase* HeadlessIntegration::fontDatabase() const
{
    return m_font_database.get();
}

QPlatformInputContext* HeadlessIntegration::inputContext() const
{
    return m_input_context.get();
}

QPlatformNativeInterface* HeadlessIntegration::nativeInterface() const
{
    return m_native_interface.get();
}

QPlatformServices* HeadlessIntegration::services() const
{
    return m_services.get();
}

QStringList HeadlessIntegration::themeNames() const
{
    return QGenericUnixTheme::themeNames();
}

QPlatformTheme* HeadlessIntegration::createPlatformTheme(const QString& name) const
{
    return QGenericUnixTheme::createUnixTheme(name);
}

}  // namespace sorvane::platform
