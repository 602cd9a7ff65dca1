#include "qml_view.h"

#include <sorvane/sorvane.h>

namespace sorvane_godot {

namespace {

std::function<void(int, std::string, int, std::string)> console_to(std::shared_ptr<EventQueue> events)
{
    return [events](int level, std::string message, int line, std::string source) {
        events->push({"console_message", {std::int64_t{level}, std::move(message), std::int64_t{line}, std::move(source)}});
    };
}

}  // namespace

void QmlView::set_module(const std::string& module)
{
    if (module == m_module)
        return;
    m_module = module;
    request_load();
}

void QmlView::set_scene(const std::string& scene)
{
    if (scene == m_scene)
        return;
    m_scene = scene;
    request_load();
}

FacadeSlot QmlView::create_facade()
{
    return std::make_unique<sorvane::SQuickView>();
}

void QmlView::configure(sorvane::SView& facade)
{
    facade.set_func_javascript_console_log(console_to(events()));
}

std::function<bool(sorvane::SView&)> QmlView::loader() const
{
    return [module = m_module, scene = m_scene](sorvane::SView& view) {
        return static_cast<sorvane::SQuickView&>(view).load(module, scene);
    };
}

void QmlView::handle_event(const Event& event)
{
    ViewControl::handle_event(event);
    if (event.name == "_loaded")
        emit("scene_loaded", {Variant(std::get<bool>(event.args[0]))});
}

const ClassTable& QmlView::table()
{
    static const ClassTable table = [] {
        ClassTable s;
        s.name = "QmlView";
        s.parent = "Control";
        s.create = [](GDExtensionObjectPtr owner) { return new QmlView(owner); };
        constexpr Slot text_result{"", GDEXTENSION_VARIANT_TYPE_STRING};
        s.methods = {
            {"set_module", no_result, {{"module", GDEXTENSION_VARIANT_TYPE_STRING}},
             body<QmlView>([](QmlView& v, const auto& a) { v.set_module(a[0].to_string()); })},
            {"get_module", text_result, {}, body<QmlView>([](QmlView& v, const auto&) { return v.module(); }), true},
            {"set_scene", no_result, {{"scene", GDEXTENSION_VARIANT_TYPE_STRING}},
             body<QmlView>([](QmlView& v, const auto& a) { v.set_scene(a[0].to_string()); })},
            {"get_scene", text_result, {}, body<QmlView>([](QmlView& v, const auto&) { return v.scene(); }), true},
            {"reload", no_result, {}, body<QmlView>([](QmlView& v, const auto&) { v.request_load(); })},
        };
        s.properties = {
            {{"module", GDEXTENSION_VARIANT_TYPE_STRING}, "set_module", "get_module"},
            {{"scene", GDEXTENSION_VARIANT_TYPE_STRING}, "set_scene", "get_scene"},
        };
        s.signals = {{"scene_loaded", {{"success", GDEXTENSION_VARIANT_TYPE_BOOL}}}};
        ViewControl::add_common_members(s);
        return s;
    }();
    return table;
}

}  // namespace sorvane_godot
