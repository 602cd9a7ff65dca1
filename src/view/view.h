#pragma once

#include <QObject>
#include <QEvent>
#include <QPointF>
#include <QRect>
#include <QSizeF>
#include <QVulkanInstance>
#include <QtQuick/QQuickGraphicsDevice>

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/callback_slot.h"
#include "runtime/live_objects.h"
#include "view/hand_over_texture.h"

class QJSValue;
class QQmlComponent;
class QQmlContext;
class QQmlEngine;
class QQmlError;
class QQuickRenderControl;
class QQuickWindow;
class QRhi;
class QRhiRenderBuffer;
class QRhiRenderPassDescriptor;
class QRhiTexture;
class QRhiTextureRenderTarget;

namespace sorvane {

// The Qt-side base of every view: one offscreen Qt Quick scene rendered through Qt's RHI on the
// host's Vulkan device into a colour texture whose VkImage the host samples. Lives on the Qt
// thread; the host reaches it through the SView facade.
class View : public QObject, public live::Tracked {
    Q_OBJECT
public:
    explicit View(QObject* parent = nullptr);
    ~View() override;

    // Hooks for subclasses: before the scene is created (context properties), after the
    // pipeline is complete, and at the start of reset().
    virtual void prepare_context(QQmlContext* context);
    virtual void post_setup(QQmlEngine* engine, QObject* root);
    virtual void pre_reset();

    // Builds the pipeline and creates the scene `name` of QML module `module`. Returns false
    // (with a warning) for a configuration or QML error; throws std::runtime_error when a
    // pipeline step fails. A loaded view is reset first.
    bool load_module(const QString& module, const QString& name);
    // The same for the scene in the QML file `file` (a local path): a game's own scene, with the
    // imports, components and images its folder holds. Its errors, and the warnings the scene
    // gives while it runs, also reach the console callback (level 2 and 1), with file and line.
    bool load_file(const QString& file);

    // Releases the scene, the pipeline and the texture; a new load builds them again.
    void reset();

    // The frame step: renders one frame if the frame interval has passed since the last one
    // and something changed since the last rendered frame (the scene asked for it, the view was
    // just loaded, or a setting that affects the picture changed). A clean frame step renders
    // nothing: the texture still holds the current picture.
    void render_frame();

    // Marks the picture as changed: the next due frame step renders.
    void mark_dirty() { m_dirty = true; }
    bool is_dirty() const { return m_dirty; }
    // Frames rendered since the view was created (load included).
    std::uint64_t frames_rendered() const { return m_frames_rendered; }

    // Host configuration.
    void set_vulkan_instance(VkInstance instance);
    void set_graphics_device(VkPhysicalDevice physical_device, VkDevice device);
    void set_resolution(double width, double height);
    QSizeF resolution() const { return m_resolution; }
    void set_refresh_rate(int rate);
    int refresh_rate() const;
    void set_mipmaps_enabled(bool enabled)
    {
        if (enabled != m_mipmaps_enabled)
            m_dirty = true;
        m_mipmaps_enabled = enabled;
    }
    int mips_count() const;
    // Mip levels that hold the current picture: the whole chain with mipmaps, otherwise 1.
    int content_mips_count() const { return m_mipmaps_enabled ? mips_count() : 1; }
    // The VkImageLayout the texture is left in after every rendered frame (a value that
    // is_hand_over_layout() refuses warns and keeps the old one).
    void set_texture_layout(int layout);
    int texture_layout() const { return m_texture_layout; }
    std::uint64_t native_texture() const { return m_native_texture; }
    std::int64_t frame_interval_ms() const { return m_frame_interval_ms; }
    bool is_loaded() const { return m_render_control != nullptr; }
    QObject* root_item() const { return m_root_item; }
    QQuickWindow* window() const { return m_window; }

    // Input, delivered synchronously to the offscreen window.
    void mouse_move(QPointF position);
    void mouse_click(unsigned short button, unsigned short state, QPointF position);
    void mouse_wheel(QPointF position, int angle_delta_y);
    void key_event(unsigned key, unsigned short state, const QString& text);
    // Input-method composition for the focused item: the text being composed with the cursor
    // at character `cursor` (negative: none shown), and the text it commits.
    void ime_event(const QString& preedit, int cursor, const QString& commit);
    // The focused item's text cursor in scene pixels; empty when no focused item takes text.
    QRect ime_rect() const;
    Qt::MouseButtons buttons() const { return Qt::MouseButtons::fromInt(m_buttons); }
    Qt::KeyboardModifiers modifiers() const { return Qt::KeyboardModifiers::fromInt(m_modifiers); }

    // Set by the scene through "view"; while set, SView::render returns at once.
    static bool is_rendering_blocked();

    CallbackSlot<void(int, std::string, int, std::string)> m_console_log_func;

public slots:
    // load_module() when `file` is empty, else load_file().
    bool load_scene(const QString& module, const QString& name, const QString& file);
    // A QML error or warning of a game's scene: to the log and to the console callback.
    void report_qml_message(int level, const QQmlError& error);
    void onJavaScriptConsoleMessage(int level, const QString& message, int lineNumber,
                                    const QString& sourceID);

public:
    Q_INVOKABLE void singleShot(int msec, const QJSValue& callback);
    Q_INVOKABLE void setBlockRendering(bool blocked);

private:
    void release_pipeline();
    void build_render_target();
    void send_mouse_event(QEvent::Type type, Qt::MouseButton button, QPointF position,
                          Qt::KeyboardModifiers modifiers);

    QQuickGraphicsDevice m_graphics_device;
    QObject* m_root_item = nullptr;
    QRhi* m_rhi = nullptr;
    QQuickRenderControl* m_render_control = nullptr;
    QQuickWindow* m_window = nullptr;
    QQmlEngine* m_engine = nullptr;
    QQmlComponent* m_component = nullptr;
    QRhiTexture* m_texture = nullptr;
    QRhiRenderBuffer* m_depth_stencil = nullptr;
    QRhiTextureRenderTarget* m_render_target = nullptr;
    QRhiRenderPassDescriptor* m_render_pass = nullptr;
    std::uint32_t m_buttons = 0;
    QPointF m_last_mouse_pos;
    std::uint64_t m_native_texture = 0;
    QSizeF m_resolution{1920, 1080};
    bool m_mipmaps_enabled = false;
    std::uint32_t m_modifiers = 0;
    std::int64_t m_last_frame_ns = 0;
    std::int64_t m_frame_interval_ms = 16;
    bool m_dirty = true;
    std::uint64_t m_frames_rendered = 0;
    // Replaced, not re-created, when the host hands over a different instance.
    std::unique_ptr<QVulkanInstance> m_vulkan_instance;
    // The handles as the host gave them; a null one refuses the load.
    VkPhysicalDevice m_physical_device = VK_NULL_HANDLE;
    VkDevice m_device = VK_NULL_HANDLE;
    bool m_device_given = false;
    int m_texture_layout = VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL;
    // The VkImage behind m_texture; freed after the render control (and its QRhi) are gone.
    HandOverImage m_hand_over_image;
};

}  // namespace sorvane
