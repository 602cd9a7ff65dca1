#pragma once

// The library's own Qt platform, "headless": everything the library needs from a window system
// (windows, one screen, fonts, an event loop and a Vulkan instance that adopts the host's) without
// any display server. Views render offscreen on the host's device exactly as on xcb; there is no
// physical screen, so nothing can be presented or captured.

#include <qpa/qplatformintegration.h>

#include <memory>

class QPlatformInputContext;

namespace sorvane::platform {

class HeadlessScreen;

class HeadlessIntegration : public QPlatformIntegration {
public:
    HeadlessIntegration();
    ~HeadlessIntegration() override;

    void initialize() override;
    bool hasCapability(Capability capability) const override;

    QPlatformWindow* createPlatformWindow(QWindow* window) const override;
    QPlatformBackingStore* createPlatformBackingStore(QWindow* window) const override;
    QPlatformOffscreenSurface* createPlatformOffscreenSurface(QOffscreenSurface* surface) const override;
#ifndef QT_NO_OPENGL
    // No OpenGL here: answers nullptr without Qt's generic warning.
    QPlatformOpenGLContext* createPlatformOpenGLContext(QOpenGLContext* context) const override;
#endif
    QPlatformVulkanInstance* createPlatformVulkanInstance(QVulkanInstance* instance) const override;
    QAbstractEventDispatcher* createEventDispatcher() const override;

    QPlatformFontDatabase* fontDatabase() const override;
    QPlatformInputContext* inputContext() const override;
    QPlatformNativeInterface* nativeInterface() const override;
    QPlatformServices* services() const override;
    QStringList themeNames() const override;
    QPlatformTheme* createPlatformTheme(const QString& name) const override;

private:
    // The same font database, services and themes as Qt's xcb platform, so that text renders
    // alike on both.
    std::unique_ptr<QPlatformFontDatabase> m_font_database;
    std::unique_ptr<QPlatformServices> m_services;
    std::unique_ptr<QPlatformNativeInterface> m_native_interface;
    std::unique_ptr<QPlatformInputContext> m_input_context;
    HeadlessScreen* m_screen = nullptr;  // owned by QWindowSystemInterface once added
};

}  // namespace sorvane::platform
