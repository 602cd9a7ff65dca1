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
#include "view/frame_exchange.h"
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
    // The VkImage the host samples: after a render() that renders ahead, the one shown.
    std::uint64_t native_texture() const { return native_texture_at(m_exchange.shown()); }

    // Rendering ahead: read at load. The load then makes two images and the host's render()
    // only hands over the newest finished frame and queues the next one on the Qt thread
    // (render_ahead_step()). Needs the queue-lock layer; without it the load warns and the view
    // renders as it always did.
    void set_render_ahead(bool enabled) { m_render_ahead = enabled; }
    bool render_ahead() const { return m_render_ahead; }
    // Images handed to the host: 2 when the view renders ahead, 1 after another load, 0 before.
    int texture_count() const { return m_image_count; }
    std::uint64_t native_texture_at(int index) const;
    // Any thread: which image holds the frame the host samples, and the host's side of render().
    int shown_texture() const { return m_exchange.shown(); }
    FrameExchange::Next hand_over_frame() { return m_exchange.hand_over(); }
    // The frame step render() queues: draws the next frame into the image not shown if it is
    // due and the host has taken the last one.
    void render_ahead_step();
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
    // Whether a frame is due (its interval has passed and the picture changed); takes it if so.
    bool take_due_frame();
    // Renders one frame into image `index` and leaves it in the hand-over layout. Returns once
    // the frame has finished on the device.
    void draw_frame(int index);
    void send_mouse_event(QEvent::Type type, Qt::MouseButton button, QPointF position,
                          Qt::KeyboardModifiers modifiers);

    QQuickGraphicsDevice m_graphics_device;
    QObject* m_root_item = nullptr;
    QRhi* m_rhi = nullptr;
    QQuickRenderControl* m_render_control = nullptr;
    QQuickWindow* m_window = nullptr;
    QQmlEngine* m_engine = nullptr;
    QQmlComponent* m_component = nullptr;
    // One image the host samples and the Qt Quick render target on it. The VkImage is freed
    // after the render control (and its QRhi) are gone.
    struct Image {
        HandOverImage memory;
        QRhiTexture* texture = nullptr;
        QRhiTextureRenderTarget* render_target = nullptr;
        QRhiRenderPassDescriptor* render_pass = nullptr;
    };
    Image m_images[2];
    int m_image_count = 0;
    // The image whose render target the window renders into.
    int m_drawn_into = 0;
    bool m_render_ahead = false;
    FrameExchange m_exchange;
    QRhiRenderBuffer* m_depth_stencil = nullptr;
    std::uint32_t m_buttons = 0;
    QPointF m_last_mouse_pos;
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
};

}  // namespace sorvane
