#include "view_control.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <cmath>

#include <sorvane/sorvane.h>

#include "keys.h"
#include "render_thread.h"

namespace sorvane_godot {

namespace {

// Node, CanvasItem and Control notifications (extension_api.json).
constexpr int kNotificationEnterTree = 10;
constexpr int kNotificationExitTree = 11;
constexpr int kNotificationInternalProcess = 25;
constexpr int kNotificationDraw = 30;
constexpr int kNotificationResized = 40;

constexpr std::int64_t kFocusAll = 2;  // Control.FOCUS_ALL
// A resize loads the view anew at the new size once the size has stayed put this long.
constexpr std::int64_t kResizeSettleMsec = 200;

bool in_editor()
{
    return singleton("Engine").call("is_editor_hint").to_bool();
}

std::int64_t now_msec()
{
    return singleton("Time").call("get_ticks_msec").to_int();
}

Variant to_variant(const EventValue& value)
{
    return std::visit([](const auto& v) { return Variant(v); }, value);
}

}  // namespace

struct ViewControl::State {
    std::shared_ptr<FacadeSlot> slot = std::make_shared<FacadeSlot>();
    std::shared_ptr<EventQueue> events;
    Variant texture;     // the Texture2DRD that shows the view's image, for 2D drawing
    Variant texture_3d;  // the same image decoded from sRGB, for 3D materials
    // Set once texture_3d has been asked for: only then are the images imported a second time.
    std::atomic<bool> wants_3d{false};
    // Render thread only.
    bool handed_over = false;
    // The view's images (two when it renders ahead), each imported once per load.
    ViewImages images;
    unsigned width = 0;
    unsigned height = 0;
    // The image the textures show.
    int shown = 0;

    bool has_texture() const { return images.rd_textures[0] != 0; }

    // Shows the view's images after a load on both textures (render thread). Each resource goes
    // straight to its new engine texture, so materials that use it follow.
    void show_images(const ViewImages& loaded, unsigned new_width, unsigned new_height)
    {
        const ViewImages old = std::exchange(images, loaded);
        width = new_width;
        height = new_height;
        shown = 0;
        images.import(width, height, TextureFormat::Unorm);
        if (images.rd_textures[0] || old.rd_textures[0])
            texture.call("set_texture_rd_rid", {Variant::from_rid(images.rd_textures[0])});
        if (wants_3d && images.rd_textures[0])
            images.import(width, height, TextureFormat::Srgb);
        if (images.rd_textures_3d[0] || old.rd_textures_3d[0])
            texture_3d.call("set_texture_rd_rid", {Variant::from_rid(images.rd_textures_3d[0])});
        old.free();
    }

    // Imports the images for 3D when that was asked for after the load (render thread).
    void show_images_3d()
    {
        if (images.rd_textures_3d[0] || !images.rd_textures[0])
            return;
        images.import(width, height, TextureFormat::Srgb);
        texture_3d.call("set_texture_rd_rid", {Variant::from_rid(images.rd_textures_3d[shown])});
    }

    // After a render(): the textures show the image the view handed over (render thread).
    void follow(int current)
    {
        if (current == shown || current < 0 || current >= images.count || !images.rd_textures[current])
            return;
        shown = current;
        texture.call("set_texture_rd_rid", {Variant::from_rid(images.rd_textures[current])});
        if (images.rd_textures_3d[current])
            texture_3d.call("set_texture_rd_rid", {Variant::from_rid(images.rd_textures_3d[current])});
    }

    // Stops Godot sampling the view's images and releases the imports (render thread).
    void release_texture()
    {
        if (!images.rd_textures[0] && !images.rd_textures_3d[0])
            return;
        texture.call("set_texture_rd_rid", {Variant::from_rid(0)});
        texture_3d.call("set_texture_rd_rid", {Variant::from_rid(0)});
        wait_device_idle();
        std::exchange(images, ViewImages{}).free();
    }
};

ViewControl::ViewControl(GDExtensionObjectPtr owner)
    : ExtensionObject(owner), m_events(std::make_shared<EventQueue>())
{
    self().call("set_focus_mode", {Variant(kFocusAll)});
}

ViewControl::~ViewControl()
{
    release_view();
}

sorvane::SView* ViewControl::facade() const
{
    return m_state ? m_state->slot->get() : nullptr;
}

Variant ViewControl::texture() const
{
    return m_state && m_texture_ready ? m_state->texture : Variant();
}

Variant ViewControl::texture_3d() const
{
    if (!m_state)
        return Variant();
    if (!m_state->wants_3d.exchange(true)) {
        auto state = m_state;
        on_render_thread([state] { state->show_images_3d(); });
    }
    return m_texture_ready ? m_state->texture_3d : Variant();
}

void ViewControl::set_render_ahead(bool enabled)
{
    if (enabled == m_render_ahead)
        return;
    m_render_ahead = enabled;
    if (m_state)
        request_load();
}

void ViewControl::set_refresh_rate(int rate)
{
    m_refresh_rate = std::clamp(rate, 1, 120);
    if (sorvane::SView* view = facade())
        view->set_refresh_rate(m_refresh_rate);
}

void ViewControl::notification(int what)
{
    switch (what) {
    case kNotificationEnterTree: enter_tree(); break;
    case kNotificationExitTree: exit_tree(); break;
    case kNotificationInternalProcess: process(); break;
    case kNotificationDraw: draw(); break;
    case kNotificationResized: self().call("queue_redraw"); break;
    default: break;
    }
}

void ViewControl::enter_tree()
{
    if (in_editor() || m_state || !start_library())
        return;
    auto state = std::make_shared<State>();
    state->events = m_events;
    state->texture = construct("Texture2DRD");
    state->texture_3d = construct("Texture2DRD");
    *state->slot = create_facade();
    track_view(state->slot);
    configure(**state->slot);
    m_state = std::move(state);
    m_load_requested = true;
    self().call("set_process_internal", {Variant(true)});
}

void ViewControl::exit_tree()
{
    if (!m_state)
        return;
    self().call("set_process_internal", {Variant(false)});
    release_view();
}

void ViewControl::release_view()
{
    if (!m_state)
        return;
    std::shared_ptr<State> state = std::move(m_state);
    m_texture_ready = false;
    m_loaded_width = m_loaded_height = m_pending_width = m_pending_height = 0;
    on_render_thread([state] {
        state->release_texture();
        destroy_view(*state->slot);
    });
}

void ViewControl::wanted_size(unsigned& width, unsigned& height) const
{
    float x = 0, y = 0;
    self().call("get_size").to_vector2(x, y);
    width = static_cast<unsigned>(std::max(256L, std::lround(x * m_screen_scale)));
    height = static_cast<unsigned>(std::max(256L, std::lround(y * m_screen_scale)));
}

void ViewControl::process()
{
    for (const Event& event : m_events->take())
        handle_event(event);
    if (!m_state)
        return;

    if (follows_screen_scale()) {
        // The larger of the two axes' scales, from 1 to 4 (a texture larger than the control's
        // share of the screen would only cost).
        // The control's transform in its viewport's canvas, then the viewport's stretch (the
        // window's content scale) into the window.
        float cx = 1, cy = 1, wx = 1, wy = 1;
        self().call("get_global_transform_with_canvas").call("get_scale").to_vector2(cx, cy);
        self().call("get_viewport").call("get_final_transform").call("get_scale").to_vector2(wx, wy);
        const double sx = std::abs(cx * wx), sy = std::abs(cy * wy);
        const double scale = std::clamp(std::max(sx, sy), 1.0, 4.0);
        if (std::abs(scale - m_screen_scale) > 0.01) {
            m_screen_scale = scale;
            screen_scale_changed(scale);
        }
    }
    unsigned width = 0, height = 0;
    wanted_size(width, height);
    if (m_load_requested) {
        m_load_requested = false;
        m_resize_at_msec = 0;
        queue_load(width, height);
    } else if (width != m_pending_width || height != m_pending_height) {
        const std::int64_t now = now_msec();
        if (m_resize_at_msec == 0) {
            m_resize_at_msec = static_cast<std::uint64_t>(now + kResizeSettleMsec);
        } else if (static_cast<std::uint64_t>(now) >= m_resize_at_msec) {
            m_resize_at_msec = 0;
            queue_load(width, height);
        }
    }

    auto state = m_state;
    on_render_thread([state] {
        if (state->has_texture() && *state->slot) {
            // Rendering ahead, this hands over the newest finished frame without waiting for it.
            (*state->slot)->render();
            if (state->images.count > 1)
                state->follow((*state->slot)->get_current_texture_index());
        }
    });
}

void ViewControl::queue_load(unsigned width, unsigned height)
{
    m_pending_width = width;
    m_pending_height = height;
    auto state = m_state;
    auto load = loader();
    const int rate = m_refresh_rate;
    const bool ahead = m_render_ahead;
    on_render_thread([state, load, width, height, rate, ahead] {
        FacadeSlot& view = *state->slot;
        if (!view)
            return;
        if (!state->handed_over) {
            VulkanHandles handles = vulkan_handles();
            if (!handles.complete()) {
                print_error("no Vulkan device to render the view on: it needs Godot's Vulkan renderer "
                            "(Forward+ or Mobile; --headless has none)");
                state->events->push({"_loaded", {false, std::int64_t{0}, std::int64_t{0}}});
                return;
            }
            view->set_view_monitor(handles.instance);
            view->set_statistics_monitor(handles.physical_device, handles.device);
            // Godot samples an imported image as it finds it and never transitions it.
            view->set_texture_layout(VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
            state->handed_over = true;
        }
        view->set_resolution({width, height});
        view->set_refresh_rate(rate);
        view->set_render_ahead(ahead);
        // The load releases the images that Godot's frames in flight may still sample.
        if (state->has_texture())
            wait_device_idle();
        const bool loaded = load(*view);
        ViewImages loaded_images;
        if (loaded) {
            loaded_images.count = std::clamp(view->get_textures_count(), 0, 2);
            for (int i = 0; i < loaded_images.count; ++i)
                loaded_images.images[i] = view->get_texture_at(i);
        }
        state->show_images(loaded_images, width, height);
        const std::uint64_t rid = state->images.rd_textures[0];
        state->events->push(
            {"_loaded", {rid != 0, static_cast<std::int64_t>(width), static_cast<std::int64_t>(height)}});
    });
}

void ViewControl::handle_event(const Event& event)
{
    if (event.name == "_loaded") {
        m_texture_ready = std::get<bool>(event.args[0]);
        m_loaded_width = static_cast<unsigned>(std::get<std::int64_t>(event.args[1]));
        m_loaded_height = static_cast<unsigned>(std::get<std::int64_t>(event.args[2]));
        self().call("queue_redraw");
        emit("texture_changed");
        return;
    }
    if (event.name.starts_with('_'))
        return;
    std::vector<Variant> args;
    args.reserve(event.args.size());
    for (const EventValue& value : event.args)
        args.push_back(to_variant(value));
    emit(event.name.c_str(), args);
}

void ViewControl::draw()
{
    float width = 0, height = 0;
    self().call("get_size").to_vector2(width, height);
    if (in_editor()) {
        // The view is not rendered in the editor; a dark area shows where it goes.
        self().call("draw_rect", {Variant::from_rect2(0, 0, width, height), Variant::from_color(0.1f, 0.1f, 0.12f, 1)});
        return;
    }
    if (!m_state || !m_texture_ready)
        return;
    self().call("draw_texture_rect", {m_state->texture, Variant::from_rect2(0, 0, width, height), Variant(false)});
}

bool ViewControl::to_view_pixels(const Variant& event, unsigned& x, unsigned& y) const
{
    float px = 0, py = 0, width = 0, height = 0;
    event.call("get_position").to_vector2(px, py);
    self().call("get_size").to_vector2(width, height);
    if (width <= 0 || height <= 0 || m_loaded_width == 0 || m_loaded_height == 0)
        return false;
    const double vx = std::floor(px * m_loaded_width / width);
    const double vy = std::floor(py * m_loaded_height / height);
    x = static_cast<unsigned>(std::clamp(vx, 0.0, m_loaded_width - 1.0));
    y = static_cast<unsigned>(std::clamp(vy, 0.0, m_loaded_height - 1.0));
    return true;
}

bool ViewControl::uv_to_view_pixels(float u, float v, unsigned& x, unsigned& y) const
{
    if (m_loaded_width == 0 || m_loaded_height == 0 || !(u >= 0 && u <= 1 && v >= 0 && v <= 1))
        return false;
    x = static_cast<unsigned>(std::clamp(std::floor(static_cast<double>(u) * m_loaded_width), 0.0, m_loaded_width - 1.0));
    y = static_cast<unsigned>(std::clamp(std::floor(static_cast<double>(v) * m_loaded_height), 0.0, m_loaded_height - 1.0));
    return true;
}

bool ViewControl::send_input(const Variant& event, bool has_point, unsigned x, unsigned y)
{
    sorvane::SView* view = facade();
    if (!view || !m_texture_ready)
        return false;
    const auto is = [&](const char* name) { return event.call("is_class", {Variant(name)}).to_bool(); };

    if (is("InputEventMouseMotion")) {
        if (!has_point)
            return false;
        view->mouse_move(x, y);
    } else if (is("InputEventMouseButton")) {
        if (!has_point)
            return false;
        const bool pressed = event.call("is_pressed").to_bool();
        const MouseButton button = mouse_button(event.call("get_button_index").to_int());
        switch (button.kind) {
        case MouseButton::Kind::WheelUp:
            if (pressed)
                view->mouse_wheel_up(x, y);
            break;
        case MouseButton::Kind::WheelDown:
            if (pressed)
                view->mouse_wheel_down(x, y);
            break;
        case MouseButton::Kind::Button: view->mouse_click(button.button, pressed ? 0 : 1, x, y); break;
        case MouseButton::Kind::Other: return false;
        }
    } else if (is("InputEventKey")) {
        const KeyPress key = key_press(event.call("get_keycode").to_int(), event.call("get_unicode").to_int(),
                                       event.call("is_ctrl_pressed").to_bool(), event.call("is_alt_pressed").to_bool(),
                                       event.call("is_meta_pressed").to_bool(), event.call("is_shift_pressed").to_bool());
        if (key.qt_key == 0)
            return false;
        view->key_event(key.qt_key, event.call("is_pressed").to_bool() ? 0 : 1, key.text);
    } else {
        return false;
    }
    return true;
}

void ViewControl::gui_input(GDExtensionObjectPtr object)
{
    if (!object)
        return;
    const Variant event = Variant::from_object(object);
    unsigned x = 0, y = 0;
    const bool has_point = to_view_pixels(event, x, y);
    if (!send_input(event, has_point, x, y))
        return;
    // A button pressed on the view takes the keyboard focus to it (the wheel does not).
    if (event.call("is_class", {Variant("InputEventMouseButton")}).to_bool() && event.call("is_pressed").to_bool() &&
        mouse_button(event.call("get_button_index").to_int()).kind == MouseButton::Kind::Button)
        self().call("grab_focus");
    self().call("accept_event");
}

bool ViewControl::push_input_at_uv(GDExtensionObjectPtr object, float u, float v)
{
    if (!object)
        return false;
    unsigned x = 0, y = 0;
    const bool has_point = uv_to_view_pixels(u, v, x, y);
    return send_input(Variant::from_object(object), has_point, x, y);
}

void ViewControl::add_common_members(ClassTable& table)
{
    table.virtuals.push_back({"_gui_input", [](ExtensionObject& self, const GDExtensionConstTypePtr* args, GDExtensionTypePtr) {
                                 static_cast<ViewControl&>(self).gui_input(gd.ref_get_object(args[0]));
                             }});
    table.methods.push_back({"set_refresh_rate", no_result, {{"rate", GDEXTENSION_VARIANT_TYPE_INT}},
                            body<ViewControl>([](ViewControl& v, const auto& a) { v.set_refresh_rate(static_cast<int>(a[0].to_int())); })});
    table.methods.push_back({"get_refresh_rate", {"", GDEXTENSION_VARIANT_TYPE_INT}, {},
                            body<ViewControl>([](ViewControl& v, const auto&) { return static_cast<std::int64_t>(v.refresh_rate()); }),
                            true});
    table.methods.push_back({"push_input_at_uv", {"", GDEXTENSION_VARIANT_TYPE_BOOL},
                            {{"event", GDEXTENSION_VARIANT_TYPE_OBJECT, "InputEvent"}, {"uv", GDEXTENSION_VARIANT_TYPE_VECTOR2}},
                            body<ViewControl>([](ViewControl& v, const auto& a) {
                                float u = 0, w = 0;
                                a[1].to_vector2(u, w);
                                return v.push_input_at_uv(a[0].to_object(), u, w);
                            })});
    table.methods.push_back({"get_texture", {"", GDEXTENSION_VARIANT_TYPE_OBJECT, "Texture2D"}, {},
                            body<ViewControl>([](ViewControl& v, const auto&) { return v.texture(); }), true});
    table.methods.push_back({"get_texture_3d", {"", GDEXTENSION_VARIANT_TYPE_OBJECT, "Texture2D"}, {},
                            body<ViewControl>([](ViewControl& v, const auto&) { return v.texture_3d(); }), true});
    table.methods.push_back({"set_render_ahead", no_result, {{"enabled", GDEXTENSION_VARIANT_TYPE_BOOL}},
                            body<ViewControl>([](ViewControl& v, const auto& a) { v.set_render_ahead(a[0].to_bool()); })});
    table.methods.push_back({"is_render_ahead", {"", GDEXTENSION_VARIANT_TYPE_BOOL}, {},
                            body<ViewControl>([](ViewControl& v, const auto&) { return v.render_ahead(); }), true});
    table.properties.push_back({{"render_ahead", GDEXTENSION_VARIANT_TYPE_BOOL}, "set_render_ahead", "is_render_ahead"});
    constexpr std::uint32_t kHintRange = 1;
    table.properties.push_back({{"refresh_rate", GDEXTENSION_VARIANT_TYPE_INT}, "set_refresh_rate", "get_refresh_rate", kHintRange, "1,120"});
    constexpr std::uint32_t kHintResourceType = 17;
    table.properties.push_back({{"texture", GDEXTENSION_VARIANT_TYPE_OBJECT, "Texture2D"}, "", "get_texture", kHintResourceType, "Texture2D"});
    table.properties.push_back({{"texture_3d", GDEXTENSION_VARIANT_TYPE_OBJECT, "Texture2D"}, "", "get_texture_3d", kHintResourceType, "Texture2D"});
    table.signals.push_back({"texture_changed", {}});
    table.signals.push_back({"console_message",
                            {{"level", GDEXTENSION_VARIANT_TYPE_INT},
                             {"message", GDEXTENSION_VARIANT_TYPE_STRING},
                             {"line", GDEXTENSION_VARIANT_TYPE_INT},
                             {"source", GDEXTENSION_VARIANT_TYPE_STRING}}});
}

}  // namespace sorvane_godot
