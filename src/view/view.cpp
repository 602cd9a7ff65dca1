#include "view/view.h"
#include "platform/quiet_messages.h"

#include "quick/scene_files.h"
#include "runtime/carry.h"
#include "view/device_limits.h"
#include "view/key_text.h"
#include "runtime/runtime_state.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QJSValue>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlError>
#include <QQuickItem>
#include <QTimer>
#include <QWheelEvent>
#include <QtDebug>
#include <rhi/qrhi.h>
#include <QtQuick/QQuickGraphicsConfiguration>
#include <QtQuick/QQuickRenderControl>
#include <QtQuick/QQuickRenderTarget>
#include <QtQuick/QQuickWindow>

#include <atomic>
#include <chrono>
#include <cmath>
#include <stdexcept>

namespace sorvane {

namespace {

std::atomic<bool> g_render_blocked{false};

std::int64_t now_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Says once per process when the engine's device has no queue lock: then the engine must not
// submit to the shared queue while a call of the library renders.
void warn_once_without_queue_lock(QRhi* rhi)
{
    static bool warned = false;
    if (warned || queue_lock_active(rhi))
        return;
    warned = true;
    qWarning() << "the queue-lock layer VK_LAYER_SORVANE_queue_lock is not active on the engine's "
                  "device: the library submits to queue 0 of family 0 unsynchronised with the "
                  "engine's own submissions, so the engine must not submit to that queue from any "
                  "thread while load() or render() runs (see the engine integration guide)";
}

// Button numbers of the host's mouse_click.
constexpr Qt::MouseButton kButtons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton,
                                        Qt::BackButton, Qt::ForwardButton};

}  // namespace

View::View(QObject* parent) : QObject(parent)
{
    m_last_frame_ns = now_ns() - m_frame_interval_ms * 1000000;
}

View::~View()
{
    release_pipeline();
    m_console_log_func.set({});
}

void View::prepare_context(QQmlContext*)
{
    qWarning() << "prepare_context is virtual";
}

void View::post_setup(QQmlEngine*, QObject*)
{
    qWarning() << "post_setup is virtual";
}

void View::pre_reset() {}

void View::reset()
{
    pre_reset();
    release_pipeline();
}

void View::release_pipeline()
{
    // From here the host's render() renders nothing ahead; a frame step already queued finds
    // the view unloaded.
    m_exchange.reset(0);
    for (Image& image : m_images) {
        delete image.render_pass;
        image.render_pass = nullptr;
        delete image.render_target;
        image.render_target = nullptr;
        // The texture belongs to the render control's QRhi, which goes away below.
        delete image.texture;
        image.texture = nullptr;
    }
    m_image_count = 0;
    m_drawn_into = 0;
    delete m_depth_stencil;
    m_depth_stencil = nullptr;
    if (qobject_cast<QQuickItem*>(m_root_item))
        delete m_root_item;
    m_root_item = nullptr;
    delete m_component;
    m_component = nullptr;
    delete m_engine;  // normally a child of the window; deleted first to keep the order explicit
    m_engine = nullptr;
    delete m_window;
    m_window = nullptr;
    delete m_render_control;
    m_render_control = nullptr;
    // Every frame of the library waited for its own completion, and the views of the images
    // went with the QRhi's releases above.
    for (Image& image : m_images)
        image.memory.destroy();
}

std::uint64_t View::native_texture_at(int index) const
{
    if (index < 0 || index >= m_image_count || !m_images[index].texture)
        return 0;
    return m_images[index].texture->nativeTexture().object;
}

void View::set_vulkan_instance(VkInstance instance)
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Vulkan);
    if (!instance) {
        // Qt would create an instance of its own: the texture would live on a device the host
        // knows nothing of.
        qWarning() << "set_view_monitor: the VkInstance is null; the view will not load until it "
                      "is given the engine's instance (an engine hands out valid handles only on "
                      "its render thread)";
        if (is_loaded())
            reset();
        m_vulkan_instance.reset();
        return;
    }
    if (m_vulkan_instance && m_vulkan_instance->vkInstance() == instance)
        return;
    if (is_loaded()) {
        qWarning() << "a new Vulkan instance was handed to a loaded view; the view is reset";
        reset();
    }
    m_vulkan_instance = std::make_unique<QVulkanInstance>();
    m_vulkan_instance->setVkInstance(instance);
    bool created = false;
    {
        // Adopting the engine's instance, Qt's platform looks up window-system functions that
        // offscreen views never call (see vulkan_presentation_warnings()).
        const platform::QuietMessages quiet(true, platform::vulkan_presentation_warnings());
        created = m_vulkan_instance->create();
    }
    if (!created)
        throw std::runtime_error("Failed to create VkInstance");
}

void View::set_graphics_device(VkPhysicalDevice physical_device, VkDevice device)
{
    if (!physical_device || !device)
        qWarning().noquote() << "set_statistics_monitor: the"
                             << (physical_device ? "VkDevice" : device ? "VkPhysicalDevice" : "VkPhysicalDevice and the VkDevice")
                             << (physical_device || device ? "is null;" : "are null;")
                             << "the view will not load until it is given the engine's handles";
    m_physical_device = physical_device;
    m_device = device;
    m_device_given = true;
    m_graphics_device = QQuickGraphicsDevice::fromDeviceObjects(physical_device, device, 0, 0);
}

void View::set_texture_layout(int layout)
{
    if (!is_hand_over_layout(layout)) {
        qWarning() << "set_texture_layout:" << layout
                   << "is not a layout the texture can be handed over in (VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL,"
                      " VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL or VK_IMAGE_LAYOUT_GENERAL); it stays"
                   << m_texture_layout;
        return;
    }
    if (layout != m_texture_layout)
        m_dirty = true;  // the next due frame leaves the texture in the new layout
    m_texture_layout = layout;
}

void View::set_resolution(double width, double height)
{
    if (width < 256) {
        qWarning() << "resolution not set, width must be more than 256";
        return;
    }
    if (height < 256) {
        qWarning() << "resolution not set, height must be more than 256";
        return;
    }
    m_resolution = QSizeF(width, height);
}

void View::set_refresh_rate(int rate)
{
    if (rate < 1) {
        qWarning() << "bad refresh rate" << rate;
        return;
    }
    if (rate > 120) {
        qWarning() << "refresh rate " << rate << " too high, setting to 120";
        m_frame_interval_ms = 8;
        return;
    }
    std::int64_t interval = std::llround(1000.0 / rate);
    if (interval == 17)
        interval = 16;
    m_frame_interval_ms = interval;
}

int View::refresh_rate() const
{
    return static_cast<int>(std::lround(1.0 / (m_frame_interval_ms / 1000.0)));
}

int View::mips_count() const
{
    if (!m_rhi)
        return 1;
    const QSize size(static_cast<int>(std::lround(m_resolution.width())),
                     static_cast<int>(std::lround(m_resolution.height())));
    return m_rhi->mipLevelsForSize(size);
}

bool View::load_module(const QString& module, const QString& name)
{
    return load_scene(module, name, QString());
}

bool View::load_file(const QString& file)
{
    if (!QFileInfo(file).isFile()) {
        qWarning().noquote() << "load failed: no QML file at" << file;
        return false;
    }
    return load_scene(QString(), QString(), file);
}

bool View::load_scene(const QString& module, const QString& name, const QString& file)
{
    if (m_resolution.width() < 256) {
        qWarning() << "resolution not set, width must be more than 256. Call `set_resolution(width, height)`";
        return false;
    }
    if (m_resolution.height() < 256) {
        qWarning() << "resolution not set, height must be more than 256. Call `set_resolution(width, height)`";
        return false;
    }
    // Without the host's own handles Qt would make a device of its own, and the host would
    // sample an image of a device it knows nothing of.
    const char* missing = !m_vulkan_instance ? "VkInstance (set_view_monitor)"
                          : !m_device_given  ? "VkPhysicalDevice and VkDevice (set_statistics_monitor)"
                          : !m_physical_device ? "VkPhysicalDevice (set_statistics_monitor)"
                          : !m_device          ? "VkDevice (set_statistics_monitor)"
                                               : nullptr;
    if (missing) {
        qWarning().noquote() << "load refused: the engine's" << missing
                             << "is missing or null; the view renders only on the engine's own device";
        return false;
    }
    if (is_loaded() || m_root_item || m_images[0].texture)
        reset();

    m_render_control = new QQuickRenderControl(this);
    // Whatever changes the scene (bindings, animations, page and video frames, hover and focus
    // changes from input) asks the render control for a frame.
    connect(m_render_control, &QQuickRenderControl::renderRequested, this, &View::mark_dirty);
    connect(m_render_control, &QQuickRenderControl::sceneChanged, this, &View::mark_dirty);
    m_dirty = true;
    m_window = new QQuickWindow(m_render_control);
    m_window->setColor(Qt::transparent);

    QQuickGraphicsConfiguration config;
    config.setTimestamps(true);
    m_window->setGraphicsConfiguration(config);
    m_window->setGraphicsDevice(m_graphics_device);
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Vulkan);
    if (m_vulkan_instance)
        m_window->setVulkanInstance(m_vulkan_instance.get());

    m_engine = new QQmlEngine();
    m_engine->setParent(m_window);
    QQmlContext* context = m_engine->rootContext();
    prepare_context(context);
    context->setContextProperty("view", this);
    context->setContextProperty("PATH_ADDON", QString::fromStdString(runtime().addon_dir));

    m_component = new QQmlComponent(m_engine);
    m_component->setParent(nullptr);
    QString scene_file;
    if (file.isEmpty()) {
        scene_file = register_scene(module, name);
        m_component->loadFromModule(module, name, QQmlComponent::PreferSynchronous);
    } else {
        // A game's scene: what it reports goes to the host too, which shows it to the developer
        // (and to the log once, through report_qml_message).
        m_engine->setOutputWarningsToStandardError(false);
        connect(m_engine, &QQmlEngine::warnings, this, [this](const QList<QQmlError>& warnings) {
            for (const QQmlError& warning : warnings)
                report_qml_message(1, warning);
        });
        m_component->loadUrl(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()), QQmlComponent::PreferSynchronous);
    }
    if (m_component->isError()) {
        for (const QQmlError& error : m_component->errors()) {
            if (file.isEmpty())
                qWarning() << error.line() << error;
            else
                report_qml_message(2, error);
        }
        qWarning() << "Failed to load";
        return false;
    }

    m_root_item = m_component->create();
    if (m_component->isError()) {
        for (const QQmlError& error : m_component->errors())
            qWarning() << error.line() << error;
        throw std::runtime_error("Failed to create component");
    }
    auto* root = qobject_cast<QQuickItem*>(m_root_item);
    if (!root) {
        if (qobject_cast<QQuickWindow*>(m_root_item)) {
            delete m_root_item;
            m_root_item = nullptr;
        }
        throw std::runtime_error("Root object is not a QQuickItem. If this is a scene with Window in "
                                 "it, note that such scenes are not supported.");
    }

    if (root->width() < 16)
        root->setSize(m_resolution);
    m_window->contentItem()->setSize(root->size());
    m_window->setGeometry(0, 0, static_cast<int>(root->width()), static_cast<int>(root->height()));
    root->setParentItem(m_window->contentItem());
    // An offscreen window never becomes active by itself; without focus, keys reach no item.
    QFocusEvent focus_in(QEvent::FocusIn, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(m_window, &focus_in);

    QTimer::singleShot(0, [scene_file] {
        if (!scene_file.isEmpty() && QFile::exists(scene_file))
            QFile::remove(scene_file);
    });

    if (root->metaObject()->indexOfSignal("javaScriptConsoleMessage(int,QString,int,QString)") >= 0)
        connect(root, SIGNAL(javaScriptConsoleMessage(int, QString, int, QString)), this,
                SLOT(onJavaScriptConsoleMessage(int, QString, int, QString)));

    if (!m_render_control->initialize())
        throw std::runtime_error("QQuickRenderControl::initialize() failed");
    m_rhi = m_render_control->rhi();
    if (!m_rhi)
        throw std::runtime_error("No QRhi");
    warn_once_without_queue_lock(m_rhi);

    // Refuse sizes the device cannot hold before the texture reaches the driver.
    const QString too_large = check_texture_fits_device(
        m_rhi, QSize(static_cast<int>(std::lround(root->width())), static_cast<int>(std::lround(root->height()))));
    if (!too_large.isEmpty()) {
        qWarning().noquote() << "load failed:" << too_large;
        reset();
        return false;
    }

    bool ahead = m_render_ahead;
    if (ahead && !queue_lock_active(m_rhi)) {
        // Frames rendered ahead reach the shared queue while the engine submits to it.
        qWarning() << "render ahead needs the queue-lock layer VK_LAYER_SORVANE_queue_lock on the engine's "
                      "device; without it the view renders each frame inside render(), as by default";
        ahead = false;
    }
    m_image_count = ahead ? 2 : 1;
    build_render_target();

    for (int i = 0; i < 16; ++i)
        render_frame();
    if (ahead) {
        // The second image holds the loaded picture too, in the hand-over layout, so that the
        // host may import and sample either from the start.
        draw_frame(1);
        m_exchange.reset(2);
    }
    post_setup(m_engine, m_root_item);
    return true;
}

void View::build_render_target()
{
    auto* root = static_cast<QQuickItem*>(m_root_item);
    const QSize size(static_cast<int>(std::lround(root->width())),
                     static_cast<int>(std::lround(root->height())));

    // Frames are drawn one after another, each finished before the next: they share the
    // depth-stencil buffer.
    m_depth_stencil = m_rhi->newRenderBuffer(QRhiRenderBuffer::DepthStencil, size, 1);
    if (!m_depth_stencil->create())
        throw std::runtime_error("Cannot create depth-stencil buffer");

    for (int i = 0; i < m_image_count; ++i) {
        Image& image = m_images[i];
        image.texture = image.memory.create(m_rhi, size);
        if (!image.texture)
            throw std::runtime_error("Cannot create texture object");
        QRhiTextureRenderTargetDescription description{QRhiColorAttachment(image.texture)};
        description.setDepthStencilBuffer(m_depth_stencil);
        image.render_target = m_rhi->newTextureRenderTarget(description);
        image.render_pass = image.render_target->newCompatibleRenderPassDescriptor();
        image.render_target->setRenderPassDescriptor(image.render_pass);
        if (!image.render_target->create())
            throw std::runtime_error("Cannot create render target");
    }

    m_drawn_into = 0;
    m_window->setRenderTarget(QQuickRenderTarget::fromRhiRenderTarget(m_images[0].render_target));
}

bool View::take_due_frame()
{
    if (!m_render_control)
        return false;
    const std::int64_t now = now_ns();
    if (now - m_last_frame_ns < m_frame_interval_ms * 1000000)
        return false;
    // A clean step leaves the clock alone: a change that comes later renders at the very next
    // frame step instead of a whole interval after this one.
    if (!m_dirty)
        return false;
    m_last_frame_ns = now;
    m_dirty = false;
    return true;
}

void View::render_frame()
{
    if (take_due_frame())
        draw_frame(m_exchange.shown());
}

void View::render_ahead_step()
{
    const int image = m_exchange.drawable();
    if (image >= 0 && take_due_frame()) {
        draw_frame(image);
        m_exchange.finished();
    }
    m_exchange.step_done();
}

void View::draw_frame(int index)
{
    Image& image = m_images[index];
    if (index != m_drawn_into) {
        m_window->setRenderTarget(QQuickRenderTarget::fromRhiRenderTarget(image.render_target));
        m_drawn_into = index;
    }
    ++m_frames_rendered;

    m_render_control->polishItems();
    m_render_control->beginFrame();
    QRhiCommandBuffer* cb = m_render_control->commandBuffer();
    const VkImageLayout handed_over = VkImageLayout(image.texture->nativeTexture().layout);
    if (handed_over == VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL || handed_over == VK_IMAGE_LAYOUT_GENERAL)
        take_texture_back(m_rhi, cb, image.texture);
    m_render_control->sync();
    m_render_control->render();
    // The mip chain is generated from the frame just rendered, not the one before it.
    if (m_mipmaps_enabled) {
        QRhiResourceUpdateBatch* batch = m_rhi->nextResourceUpdateBatch();
        batch->generateMips(image.texture);
        cb->resourceUpdate(batch);
    }
    if (m_texture_layout != VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL)
        leave_texture_in(m_rhi, cb, image.texture, VkImageLayout(m_texture_layout));
    // An offscreen frame ends with the QRhi waiting for its fence: the image is complete before
    // the host is handed it.
    m_render_control->endFrame();
}

bool View::is_rendering_blocked()
{
    return g_render_blocked.load(std::memory_order_relaxed);
}

void View::setBlockRendering(bool blocked)
{
    g_render_blocked.store(blocked, std::memory_order_relaxed);
}

void View::singleShot(int msec, const QJSValue& callback)
{
    QTimer::singleShot(msec, this, [callback]() mutable {
        if (callback.isCallable())
            callback.call();
    });
}

void View::report_qml_message(int level, const QQmlError& error)
{
    qWarning().noquote() << error.toString();
    const QString source = error.url().isLocalFile() ? error.url().toLocalFile() : error.url().toString();
    m_console_log_func(level, error.description().toStdString(), error.line(), source.toStdString());
}

void View::onJavaScriptConsoleMessage(int level, const QString& message, int lineNumber,
                                      const QString& sourceID)
{
    m_console_log_func(level, message.toStdString(), lineNumber, sourceID.toStdString());
}

// --- Input -----------------------------------------------------------------------------------

void View::send_mouse_event(QEvent::Type type, Qt::MouseButton button, QPointF position,
                            Qt::KeyboardModifiers modifiers)
{
    QMouseEvent event(type, position, m_window->mapToGlobal(position), button, buttons(), modifiers,
                      QPointingDevice::primaryPointingDevice());
    QCoreApplication::sendEvent(m_window, &event);
}

void View::mouse_move(QPointF position)
{
    if (!m_window || position == m_last_mouse_pos)
        return;
    m_last_mouse_pos = position;
    send_mouse_event(QEvent::MouseMove, Qt::NoButton, position, modifiers());
}

void View::mouse_click(unsigned short button, unsigned short state, QPointF position)
{
    if (!m_window || button >= std::size(kButtons) || state > 1)
        return;
    const Qt::MouseButton qt_button = kButtons[button];
    if (state == 0)
        m_buttons |= qt_button;
    else
        m_buttons &= ~std::uint32_t(qt_button);
    send_mouse_event(state == 0 ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, qt_button,
                     position, Qt::NoModifier);
}

void View::mouse_wheel(QPointF position, int angle_delta_y)
{
    if (!m_window)
        return;
    QWheelEvent event(position, m_window->mapToGlobal(position), QPoint(0, 0), QPoint(0, angle_delta_y),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false,
                      Qt::MouseEventNotSynthesized, QPointingDevice::primaryPointingDevice());
    QCoreApplication::sendEvent(m_window, &event);
}

void View::key_event(unsigned key, unsigned short state, const QString& input_text)
{
    if (!m_window || state > 1)
        return;
    if (state == 1)
        m_modifiers = 0;

    const KeyText parsed = parse_key_text(key, input_text);
    if (parsed.sets_modifier)
        m_modifiers = parsed.modifier;

    QKeyEvent event(state == 0 ? QEvent::KeyPress : QEvent::KeyRelease, static_cast<int>(key),
                    modifiers(), parsed.text, false, 1);
    QCoreApplication::sendEvent(m_window, &event);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace sorvane
