#include "screen_capture_view.h"

#include <sorvane/sorvane.h>

namespace sorvane_godot {

sorvane::SScreenCaptureView* ScreenCaptureView::capture() const
{
    return static_cast<sorvane::SScreenCaptureView*>(facade());
}

void ScreenCaptureView::set_active(bool active)
{
    m_active = active;
    if (auto* view = capture())
        view->set_active(active);
}

void ScreenCaptureView::set_physical_screen(const std::string& hint)
{
    m_physical_screen = hint;
    if (auto* view = capture())
        view->set_physical_screen(hint);
}

Variant ScreenCaptureView::physical_screens() const
{
    Variant out = Variant::new_array();
    auto* view = capture();
    if (!view)
        return out;
    for (const auto& screen : view->get_physical_screens()) {
        Variant entry = Variant::new_dictionary();
        for (const auto& [key, value] : screen)
            entry.call("set", {Variant(key), Variant(value)});
        out.call("push_back", {entry});
    }
    return out;
}

FacadeSlot ScreenCaptureView::create_facade()
{
    return std::make_unique<sorvane::SScreenCaptureView>();
}

void ScreenCaptureView::configure(sorvane::SView& facade)
{
    auto& view = static_cast<sorvane::SScreenCaptureView&>(facade);
    const std::shared_ptr<EventQueue> queue = events();
    view.set_func_javascript_console_log([queue](int level, std::string message, int line, std::string source) {
        queue->push({"console_message", {std::int64_t{level}, std::move(message), std::int64_t{line}, std::move(source)}});
    });
    // Both before the load, so that the scene's first set-up captures the chosen screen.
    view.set_physical_screen(m_physical_screen);
    view.set_active(m_active);
}

std::function<bool(sorvane::SView&)> ScreenCaptureView::loader() const
{
    return [](sorvane::SView& view) {
        return static_cast<sorvane::SScreenCaptureView&>(view).load("Multimedia", "ScreenCapture");
    };
}

void ScreenCaptureView::handle_event(const Event& event)
{
    ViewControl::handle_event(event);
    if (event.name == "_loaded")
        emit("scene_loaded", {Variant(std::get<bool>(event.args[0]))});
}

const ClassTable& ScreenCaptureView::table()
{
    static const ClassTable table = [] {
        ClassTable s;
        s.name = "ScreenCaptureView";
        s.parent = "Control";
        s.create = [](GDExtensionObjectPtr owner) { return new ScreenCaptureView(owner); };
        constexpr auto BOOL = GDEXTENSION_VARIANT_TYPE_BOOL;
        constexpr auto STRING = GDEXTENSION_VARIANT_TYPE_STRING;
        using V = ScreenCaptureView;
        s.methods = {
            {"set_active", no_result, {{"active", BOOL}}, body<V>([](V& v, const auto& a) { v.set_active(a[0].to_bool()); })},
            {"is_active", {"", BOOL}, {}, body<V>([](V& v, const auto&) { return v.active(); }), true},
            {"set_physical_screen", no_result, {{"hint", STRING}},
             body<V>([](V& v, const auto& a) { v.set_physical_screen(a[0].to_string()); })},
            {"get_physical_screen", {"", STRING}, {}, body<V>([](V& v, const auto&) { return v.physical_screen(); }), true},
            {"get_physical_screens", {"", GDEXTENSION_VARIANT_TYPE_ARRAY}, {},
             body<V>([](V& v, const auto&) { return v.physical_screens(); }), true},
        };
        s.properties = {
            {{"active", BOOL}, "set_active", "is_active"},
            {{"physical_screen", STRING}, "set_physical_screen", "get_physical_screen"},
        };
        s.signals = {{"scene_loaded", {{"success", BOOL}}}};
        ViewControl::add_common_members(s);
        return s;
    }();
    return table;
}

}  // namespace sorvane_godot
