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

void QmlView::set_source(const std::string& source)
{
    if (source == m_source)
        return;
    m_source = source;
    request_load();
}

void QmlView::notification(int what)
{
    ViewControl::notification(what);
    constexpr int kNotificationInternalProcess = 25;
    if (what != kNotificationInternalProcess || m_scene_file.path.empty() || m_scene_file.copied)
        return;
    // A scene read from the project's folder: a change to any file of its folder reloads it,
    // checked once a second.
    const auto now = static_cast<std::uint64_t>(singleton("Time").call("get_ticks_msec").to_int());
    if (now < m_next_check_msec)
        return;
    m_next_check_msec = now + 1000;
    if (folder_stamp(m_scene_file.folder) != m_scene_stamp)
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
    if (!m_source.empty()) {
        m_scene_file = game_scene_file(m_source);
        m_scene_stamp = m_scene_file.path.empty() ? 0 : folder_stamp(m_scene_file.folder);
        if (m_scene_file.path.empty()) {
            print_error("QmlView: " + m_scene_file.error);
            return [](sorvane::SView&) { return false; };
        }
        return [path = m_scene_file.path](sorvane::SView& view) {
            return static_cast<sorvane::SQuickView&>(view).load_file(path);
        };
    }
    m_scene_file = {};
    return [module = m_module, scene = m_scene](sorvane::SView& view) {
        return static_cast<sorvane::SQuickView&>(view).load(module, scene);
    };
}

void QmlView::handle_event(const Event& event)
{
    if (event.name == "console_message" && !m_scene_file.path.empty()) {
        // The game's scene: its messages name its files in res:// terms, and its errors and
        // warnings show in Godot's output as Godot's own do.
        const auto level = std::get<std::int64_t>(event.args[0]);
        const auto& message = std::get<std::string>(event.args[1]);
        const auto line = std::get<std::int64_t>(event.args[2]);
        const std::string source = as_res_path(m_scene_file, std::get<std::string>(event.args[3]));
        const std::string text = source + ":" + std::to_string(line) + ": " + message;
        if (level >= 2)
            print_error("QML: " + text);
        else if (level == 1)
            print_warning("QML: " + text);
        emit("console_message", {Variant(level), Variant(message), Variant(line), Variant(source)});
        return;
    }
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
            {"set_source", no_result, {{"source", GDEXTENSION_VARIANT_TYPE_STRING}},
             body<QmlView>([](QmlView& v, const auto& a) { v.set_source(a[0].to_string()); })},
            {"get_source", text_result, {}, body<QmlView>([](QmlView& v, const auto&) { return v.source(); }), true},
            {"reload", no_result, {}, body<QmlView>([](QmlView& v, const auto&) { v.request_load(); })},
        };
        constexpr std::uint32_t kHintFile = 13;
        s.properties = {
            {{"module", GDEXTENSION_VARIANT_TYPE_STRING}, "set_module", "get_module"},
            {{"scene", GDEXTENSION_VARIANT_TYPE_STRING}, "set_scene", "get_scene"},
            {{"source", GDEXTENSION_VARIANT_TYPE_STRING}, "set_source", "get_source", kHintFile, "*.qml"},
        };
        s.signals = {{"scene_loaded", {{"success", GDEXTENSION_VARIANT_TYPE_BOOL}}}};
        ViewControl::add_common_members(s);
        return s;
    }();
    return table;
}

}  // namespace sorvane_godot
