#include "web_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <chrono>
#include <deque>
#include <random>
#include <type_traits>

#include <sorvane/sorvane.h>

#include "page_scripts.h"
#include "web_requests.h"

namespace sorvane_godot {

namespace {

// SWebView's loading statuses.
constexpr int kLoadStarted = 0;
constexpr int kLoadSucceeded = 2;
// SWebView's file chooser mode that takes several files.
constexpr int kOpenFiles = 1;

// Node and Control notifications (extension_api.json).
constexpr int kNotificationExitTree = 11;
constexpr int kNotificationInternalProcess = 25;
constexpr int kNotificationFocusEnter = 43;
constexpr int kNotificationFocusExit = 44;
constexpr int kNotificationOsImeUpdate = 2013;

// The name a download is saved under in the download folder: the suggested file name without any
// folder part, or "download" when that leaves nothing.
std::string download_file_name(const std::string& suggested)
{
    std::string name = suggested.substr(suggested.find_last_of('/') + 1);
    if (name.empty() || name == "." || name == "..")
        name = "download";
    return name;
}

std::string random_marker()
{
    std::random_device device;
    std::uniform_int_distribution<unsigned> digit(0, 15);
    std::string out = "__sorvane_";
    for (int i = 0; i < 16; ++i)
        out += "0123456789abcdef"[digit(device)];
    return out + ":";
}

// The JSON text a script sent back, as a Godot value (nil when it is not JSON).
Variant parse_json(const std::string& text)
{
    const Variant json = construct("JSON");
    if (json.call("parse", {Variant(text)}).to_int() != 0)
        return Variant();
    return json.call("get_data");
}

}  // namespace

WebView::WebView(GDExtensionObjectPtr owner) : ViewControl(owner), m_marker(random_marker())
{
    for (const WebSetting& setting : web_settings())
        m_settings.push_back(setting.initial);
}

sorvane::SWebView* WebView::web() const
{
    return static_cast<sorvane::SWebView*>(facade());
}

void WebView::set_url(const std::string& url)
{
    m_url = url;
    if (sorvane::SWebView* view = web())
        view->set_url(url);
}

void WebView::load_html(const std::string& html, const std::string& base_url)
{
    if (sorvane::SWebView* view = web())
        view->load_html(html, base_url);
}

void WebView::reload()
{
    if (sorvane::SWebView* view = web())
        view->reload();
}

void WebView::reload_bypassing_cache()
{
    if (sorvane::SWebView* view = web())
        view->reload_and_bypass_cache();
}

void WebView::go_back_or_forward(std::int64_t offset)
{
    if (sorvane::SWebView* view = web())
        view->back_or_forward(static_cast<int>(std::clamp<std::int64_t>(offset, -1000, 1000)));
}

void WebView::go_back()
{
    if (sorvane::SWebView* view = web())
        view->back();
}

void WebView::go_forward()
{
    if (sorvane::SWebView* view = web())
        view->forward();
}

bool WebView::can_go_back() const
{
    sorvane::SWebView* view = web();
    return view && view->can_go_back();
}

bool WebView::can_go_forward() const
{
    sorvane::SWebView* view = web();
    return view && view->can_go_forward();
}

std::int64_t WebView::run_javascript(const std::string& script)
{
    const std::int64_t id = m_next_script++;
    if (sorvane::SWebView* view = web())
        view->run_javascript(result_reporting_script(script, m_marker, id));
    else
        events()->push({"_script", {id, false, std::string("\"the view is not running\"")}});
    return id;
}

namespace {

// The library takes whole multiples of 25 % from 25 % to 500 %.
int zoom_percent(double factor)
{
    return static_cast<int>(std::clamp(std::lround(factor * 4) * 25, 25L, 500L));
}

}  // namespace

void WebView::set_zoom_factor(double factor)
{
    m_zoom_factor = zoom_percent(factor) / 100.0;
    if (sorvane::SWebView* view = web())
        view->set_zoom_factor(zoom_percent(m_zoom_factor * screen_scale()));
}

void WebView::screen_scale_changed(double scale)
{
    if (sorvane::SWebView* view = web())
        view->set_zoom_factor(zoom_percent(m_zoom_factor * scale));
}

void WebView::set_background_color(const std::string& color)
{
    m_background_color = color;
    if (sorvane::SWebView* view = web())
        view->set_background_color(color);
}

void WebView::set_user_agent(const std::string& user_agent)
{
    m_user_agent = user_agent;
    if (sorvane::SWebView* view = web(); view && !user_agent.empty())
        view->set_user_agent(user_agent);
}

std::string WebView::default_user_agent() const
{
    sorvane::SWebView* view = web();
    return view ? view->get_user_agent() : std::string();
}

void WebView::set_off_the_record(bool enabled)
{
    m_off_the_record = enabled;
    if (sorvane::SWebView* view = web())
        view->set_otr(enabled);
}

void WebView::set_storage_path(const std::string& path)
{
    const std::vector<std::string> absolute = path.empty() ? std::vector<std::string>{} : absolute_paths({path}, "WebView.storage_path");
    m_storage_path = absolute.empty() ? std::string() : absolute[0];
    if (sorvane::SWebView* view = web(); view && !m_storage_path.empty())
        view->set_storage_path(m_storage_path);
}

void WebView::set_cookie(const std::vector<Variant>& a)
{
    sorvane::SWebView* view = web();
    if (!view) {
        print_warning("WebView.set_cookie: the view is not running (the node is outside the scene tree); the cookie is dropped");
        return;
    }
    view->set_cookie(a[0].to_string(), a[1].to_string(), a[2].to_string(), a[3].to_string(), a[4].to_bool(),
                     a[5].to_string(), static_cast<long>(a[6].to_int()));
}

void WebView::set_setting(std::size_t index, const Variant& value)
{
    SettingValue& stored = m_settings[index];
    if (std::holds_alternative<bool>(stored))
        stored = value.to_bool();
    else if (std::holds_alternative<int>(stored))
        stored = static_cast<int>(value.to_int());
    else
        stored = value.to_string();
    if (sorvane::SWebView* view = web())
        web_settings()[index].apply(*view, stored);
}

Variant WebView::setting(std::size_t index) const
{
    return std::visit([](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, int>)
            return Variant(static_cast<std::int64_t>(v));
        else
            return Variant(v);
    }, m_settings[index]);
}

void WebView::set_download_folder(const std::string& folder)
{
    const std::vector<std::string> absolute = folder.empty() ? std::vector<std::string>{} : absolute_paths({folder}, "WebView.download_folder");
    m_answers->set_download_folder(absolute.empty() ? std::string() : absolute[0]);
}

void WebView::set_prepared_files(const std::vector<std::string>& paths)
{
    const auto lifetime = std::chrono::milliseconds(static_cast<std::int64_t>(m_request_timeout * 1000));
    m_answers->prepare_files(absolute_paths(paths, "WebView.prepared_files"), lifetime);
}

void WebView::push_ime_composition(const std::string& preedit, std::int64_t cursor, const std::string& commit)
{
    if (sorvane::SWebView* view = web())
        view->ime_event(preedit, static_cast<int>(std::clamp<std::int64_t>(cursor, -1, 1 << 20)), commit);
}

// --- GDScript objects in the page ---------------------------------------------------------------

void WebView::unregister_object(const std::string& name)
{
    if (!m_objects.remove(name))
        print_warning("WebView.unregister_object: no object is registered as \"" + name + "\"");
}

void WebView::set_bridge_allowed_origins(const std::vector<std::string>& origins)
{
    m_bridge_origins = origins;
    if (sorvane::SWebView* view = web())
        view->set_bridge_allowed_origins(origins);
}

// ------------------------------------------------------------------------------------------------

void WebView::notification(int what)
{
    // The view goes with the node's exit: the library answers what is still open.
    if (what == kNotificationExitTree) {
        m_waiting->detach();
        m_objects.attach(nullptr);
    }
    ViewControl::notification(what);
    switch (what) {
    case kNotificationInternalProcess:
        expire_requests();
        m_objects.process();
        break;
    case kNotificationFocusEnter: focus_changed(true); break;
    case kNotificationFocusExit: focus_changed(false); break;
    case kNotificationOsImeUpdate: update_ime(); break;
    default: break;
    }
}

WaitingRequests::Clock::time_point WebView::request_deadline() const
{
    return WaitingRequests::Clock::now() +
           std::chrono::duration_cast<WaitingRequests::Clock::duration>(std::chrono::duration<double>(m_request_timeout));
}

void WebView::expire_requests()
{
    const int expired = m_waiting->expire(WaitingRequests::Clock::now());
    if (expired == 0)
        return;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", m_request_timeout);
    print_warning("WebView: " + std::to_string(expired) + " request(s) of the page got no answer within "
                  "request_timeout (" + seconds + " s): denied or cancelled");
}

// Godot's input method is on while the view has the keyboard focus, with its window placed at
// the page's text cursor. Finished text comes as key events (to gui_input); what is still being
// composed comes with NOTIFICATION_OS_IME_UPDATE.
void WebView::focus_changed(bool focused)
{
    sorvane::SWebView* view = web();
    if (!view)
        return;
    const Variant display = singleton("DisplayServer");
    const Variant window_id = self().call("get_window").call("get_window_id");
    display.call("window_set_ime_active", {Variant(focused), window_id});
    if (focused) {
        const auto [x, y, width, height] = view->get_ime_rect();
        (void)width;
        float left = 0, top = 0;
        self().call("get_screen_position").to_vector2(left, top);
        display.call("window_set_ime_position", {Variant::from_vector2(left + x, top + y + height), window_id});
    } else if (m_composing) {
        m_composing = false;
        view->ime_event("", -1, "");
    }
}

void WebView::update_ime()
{
    sorvane::SWebView* view = web();
    if (!view || !self().call("has_focus").to_bool())
        return;
    const Variant display = singleton("DisplayServer");
    const std::string text = display.call("ime_get_text").to_string();
    if (text.empty() && !m_composing)
        return;
    // The selection is a Vector2i (cursor, length), written "(x, y)".
    int cursor = -1, length = 0;
    if (std::sscanf(display.call("ime_get_selection").to_string().c_str(), "(%d, %d)", &cursor, &length) != 2)
        cursor = -1;
    m_composing = !text.empty();
    view->ime_event(text, text.empty() ? -1 : cursor, "");
}

FacadeSlot WebView::create_facade()
{
    return std::make_unique<sorvane::SWebView>();
}

void WebView::configure(sorvane::SView& facade)
{
    auto& view = static_cast<sorvane::SWebView&>(facade);
    const std::shared_ptr<EventQueue> queue = events();
    const std::shared_ptr<PageAnswers> answers = m_answers;
    view.set_url(m_url);
    view.set_zoom_factor(zoom_percent(m_zoom_factor * screen_scale()));
    if (m_background_color != "transparent")
        view.set_background_color(m_background_color);
    if (!m_user_agent.empty())
        view.set_user_agent(m_user_agent);
    if (m_off_the_record)
        view.set_otr(true);
    if (!m_storage_path.empty())
        view.set_storage_path(m_storage_path);
    configure_sound(view);
    // The settings changed while the view did not exist; the view starts from the initial values.
    for (std::size_t i = 0; i < m_settings.size(); ++i) {
        if (m_settings[i] != web_settings()[i].initial)
            web_settings()[i].apply(view, m_settings[i]);
    }

    // The registered objects, offered to the pages of the allowed origins only.
    view.set_bridge_allowed_origins(m_bridge_origins);
    m_objects.attach(&view);

    // What the page asks is answered at once from `answers` and reported in order; see
    // page_answers.h.
    view.set_func_navigation_handler([queue, answers](std::string url, std::string type) {
        // The game's own loads (url, load_html) are never refused.
        const bool allowed = type == "TypedNavigation" || answers->allows_navigation(url);
        queue->push({"navigation_requested", {url, type, allowed}});
        return allowed;
    });
    view.set_func_new_window_requested([queue, answers](std::string url, std::string disposition) {
        const bool hand_over = answers->hands_over_new_windows();
        queue->push({"new_window_requested", {std::move(url), std::move(disposition), hand_over}});
        return hand_over;
    });
    // Permissions and file choosers that the properties do not answer wait for the request
    // objects' answers (waiting_requests.h). Answers given here are posted: nothing waits.
    m_waiting->attach(&view);
    view.set_func_permission_requested_later([queue, answers, &view](int id, std::string origin, std::string permission) {
        const bool granted = answers->is_granted(origin, permission);
        if (granted)
            view.answer_permission_request(id, true);
        queue->push({"_permission", {std::int64_t{id}, std::move(origin), std::move(permission), granted}});
    });
    view.set_func_file_dialog_requested_later([queue, answers, &view](int id, int mode, std::vector<std::string> types) {
        std::vector<std::string> files = answers->take_files();
        if (mode != kOpenFiles && files.size() > 1)
            files.resize(1);
        if (!files.empty())
            view.answer_file_dialog_request(id, files);
        queue->push({"_file_chooser", {std::int64_t{id}, std::int64_t{mode}, std::move(types), files}});
    });
    view.set_func_download_requested([queue, answers](std::string url, std::string name, std::string mime) {
        const std::string folder = answers->download_folder();
        const std::string path = folder.empty() ? std::string() : folder + "/" + download_file_name(name);
        queue->push({"download_requested", {std::move(url), std::move(name), std::move(mime), path}});
        return path;
    });
    view.set_func_download_finished([queue](std::string path, bool ok) {
        queue->push({"download_finished", {std::move(path), ok}});
    });

    view.set_func_loading_changed([queue, marker = m_marker, &view](int status, std::string url, std::string domain,
                                                                    std::string error, int code) {
        if (status == kLoadStarted) {
            queue->push({"_url", {url}});
            queue->push({"load_started", {url}});
            return;
        }
        if (status == kLoadSucceeded)
            view.run_javascript(title_reporting_script(marker));
        queue->push({"load_finished", {url, status == kLoadSucceeded, std::int64_t{code}, error, domain}});
    });
    view.set_func_javascript_console_log([queue, marker = m_marker](int level, std::string message, int line,
                                                                    std::string source) {
        if (!message.starts_with(marker)) {
            queue->push({"console_message", {std::int64_t{level}, std::move(message), std::int64_t{line}, std::move(source)}});
            return;
        }
        const PageReport report = parse_page_report(message.substr(marker.size()));
        if (report.kind == PageReport::Kind::Title)
            queue->push({"_title", {report.text}});
        else if (report.kind == PageReport::Kind::Result || report.kind == PageReport::Kind::Error)
            queue->push({"_script", {report.id, report.kind == PageReport::Kind::Result, report.text}});
    });
    view.set_func_render_process_terminated([queue](int status, int exit_code) {
        queue->push({"render_process_terminated", {std::int64_t{status}, std::int64_t{exit_code}}});
    });
}

std::function<bool(sorvane::SView&)> WebView::loader() const
{
    return [](sorvane::SView& view) { return static_cast<sorvane::SWebView&>(view).load(); };
}

void WebView::handle_event(const Event& event)
{
    if (event.name == "_url") {
        const auto& url = std::get<std::string>(event.args[0]);
        if (url != m_url) {
            m_url = url;
            emit("url_changed", {Variant(m_url)});
        }
    } else if (event.name == "_title") {
        const auto& title = std::get<std::string>(event.args[0]);
        if (title != m_title) {
            m_title = title;
            emit("title_changed", {Variant(m_title)});
        }
    } else if (event.name == "_script") {
        const bool ok = std::get<bool>(event.args[1]);
        const Variant value = parse_json(std::get<std::string>(event.args[2]));
        emit("javascript_finished", {Variant(std::get<std::int64_t>(event.args[0])), ok ? value : Variant(),
                                     ok ? Variant("") : Variant(value.to_string())});
    } else if (event.name == "_permission") {
        // Answered at once by granted_permissions, or open until GDScript answers.
        const int id = static_cast<int>(std::get<std::int64_t>(event.args[0]));
        const bool granted = std::get<bool>(event.args[3]);
        if (!granted)
            m_waiting->add(WaitingRequests::Kind::Permission, id, request_deadline());
        emit("permission_requested", {WebPermissionRequest::make(m_waiting, granted ? 0 : id,
                                                                 std::get<std::string>(event.args[1]),
                                                                 std::get<std::string>(event.args[2]), granted)});
    } else if (event.name == "_audible") {
        audible_reported(std::get<bool>(event.args[0]));
    } else if (event.name == "_file_chooser") {
        // Answered at once by prepared_files, or open until GDScript answers.
        const int id = static_cast<int>(std::get<std::int64_t>(event.args[0]));
        std::vector<std::string> files = std::get<std::vector<std::string>>(event.args[3]);
        if (files.empty())
            m_waiting->add(WaitingRequests::Kind::FileChooser, id, request_deadline());
        emit("file_chooser_requested",
             {WebFileChooserRequest::make(m_waiting, files.empty() ? id : 0, std::get<std::int64_t>(event.args[1]),
                                          std::get<std::vector<std::string>>(event.args[2]), std::move(files))});
    } else {
        if (event.name == "download_requested" && std::get<std::string>(event.args[3]).empty() && !m_warned_download) {
            m_warned_download = true;
            print_warning("WebView: refused the download of " + std::get<std::string>(event.args[0]) +
                          ": download_folder is empty (downloads are refused until it names a folder)");
        }
        ViewControl::handle_event(event);
    }
}

namespace {

// The names of the settings' accessors ("set_javascript_enabled", "is_javascript_enabled"), kept
// for the class table, which holds pointers to them.
const char* kept(std::string text)
{
    static std::deque<std::string> names;
    return names.emplace_back(std::move(text)).c_str();
}

GDExtensionVariantType setting_type(const SettingValue& value)
{
    if (std::holds_alternative<bool>(value))
        return GDEXTENSION_VARIANT_TYPE_BOOL;
    if (std::holds_alternative<int>(value))
        return GDEXTENSION_VARIANT_TYPE_INT;
    return GDEXTENSION_VARIANT_TYPE_STRING;
}

// The settings as properties under the inspector's group "Web Settings".
void add_settings(ClassTable& s)
{
    s.properties.push_back(PropertyEntry::group("Web Settings"));
    const std::vector<WebSetting>& settings = web_settings();
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const GDExtensionVariantType type = setting_type(settings[i].initial);
        const char* name = kept(settings[i].name);
        const char* setter = kept("set_" + settings[i].name);
        const char* getter = kept((type == GDEXTENSION_VARIANT_TYPE_BOOL ? "is_" : "get_") + settings[i].name);
        s.methods.push_back({setter, no_result, {{"value", type}},
                             body<WebView>([i](WebView& v, const auto& a) { v.set_setting(i, a[0]); })});
        s.methods.push_back({getter, {"", type}, {}, body<WebView>([i](WebView& v, const auto&) { return v.setting(i); }), true});
        s.properties.push_back({{name, type}, setter, getter});
    }
}

}  // namespace

const ClassTable& WebView::table()
{
    static const ClassTable table = [] {
        ClassTable s;
        s.name = "WebView";
        s.parent = "Control";
        s.create = [](GDExtensionObjectPtr owner) { return new WebView(owner); };
        constexpr auto STRING = GDEXTENSION_VARIANT_TYPE_STRING;
        constexpr auto BOOL = GDEXTENSION_VARIANT_TYPE_BOOL;
        constexpr auto INT = GDEXTENSION_VARIANT_TYPE_INT;
        constexpr auto FLOAT = GDEXTENSION_VARIANT_TYPE_FLOAT;
        constexpr auto STRINGS = GDEXTENSION_VARIANT_TYPE_PACKED_STRING_ARRAY;
        constexpr auto OBJECT = GDEXTENSION_VARIANT_TYPE_OBJECT;
        s.methods = {
            {"set_url", no_result, {{"url", STRING}}, body<WebView>([](WebView& v, const auto& a) { v.set_url(a[0].to_string()); })},
            {"get_url", {"", STRING}, {}, body<WebView>([](WebView& v, const auto&) { return v.url(); }), true},
            {"load_url", no_result, {{"url", STRING}}, body<WebView>([](WebView& v, const auto& a) { v.set_url(a[0].to_string()); })},
            {"load_html", no_result, {{"html", STRING}, {"base_url", STRING}},
             body<WebView>([](WebView& v, const auto& a) { v.load_html(a[0].to_string(), a[1].to_string()); })},
            {"reload", no_result, {}, body<WebView>([](WebView& v, const auto&) { v.reload(); })},
            {"go_back", no_result, {}, body<WebView>([](WebView& v, const auto&) { v.go_back(); })},
            {"go_forward", no_result, {}, body<WebView>([](WebView& v, const auto&) { v.go_forward(); })},
            {"can_go_back", {"", BOOL}, {}, body<WebView>([](WebView& v, const auto&) { return v.can_go_back(); }), true},
            {"can_go_forward", {"", BOOL}, {}, body<WebView>([](WebView& v, const auto&) { return v.can_go_forward(); }), true},
            {"run_javascript", {"", INT}, {{"script", STRING}},
             body<WebView>([](WebView& v, const auto& a) { return v.run_javascript(a[0].to_string()); })},
            {"get_title", {"", STRING}, {}, body<WebView>([](WebView& v, const auto&) { return v.title(); }), true},
            {"set_zoom_factor", no_result, {{"factor", FLOAT}},
             body<WebView>([](WebView& v, const auto& a) { v.set_zoom_factor(a[0].to_float()); })},
            {"get_zoom_factor", {"", FLOAT}, {}, body<WebView>([](WebView& v, const auto&) { return v.zoom_factor(); }), true},
            {"reload_bypassing_cache", no_result, {}, body<WebView>([](WebView& v, const auto&) { v.reload_bypassing_cache(); })},
            {"go_back_or_forward", no_result, {{"offset", INT}},
             body<WebView>([](WebView& v, const auto& a) { v.go_back_or_forward(a[0].to_int()); })},
            {"set_background_color", no_result, {{"color", STRING}},
             body<WebView>([](WebView& v, const auto& a) { v.set_background_color(a[0].to_string()); })},
            {"get_background_color", {"", STRING}, {}, body<WebView>([](WebView& v, const auto&) { return v.background_color(); }), true},
            {"set_user_agent", no_result, {{"user_agent", STRING}},
             body<WebView>([](WebView& v, const auto& a) { v.set_user_agent(a[0].to_string()); })},
            {"get_user_agent", {"", STRING}, {}, body<WebView>([](WebView& v, const auto&) { return v.user_agent(); }), true},
            {"get_default_user_agent", {"", STRING}, {},
             body<WebView>([](WebView& v, const auto&) { return v.default_user_agent(); }), true},
            {"set_off_the_record", no_result, {{"enabled", BOOL}},
             body<WebView>([](WebView& v, const auto& a) { v.set_off_the_record(a[0].to_bool()); })},
            {"is_off_the_record", {"", BOOL}, {}, body<WebView>([](WebView& v, const auto&) { return v.off_the_record(); }), true},
            {"set_storage_path", no_result, {{"path", STRING}},
             body<WebView>([](WebView& v, const auto& a) { v.set_storage_path(a[0].to_string()); })},
            {"get_storage_path", {"", STRING}, {}, body<WebView>([](WebView& v, const auto&) { return v.storage_path(); }), true},
            {"set_cookie", no_result,
             {{"domain", STRING}, {"path", STRING}, {"name", STRING}, {"value", STRING}, {"secure", BOOL},
              {"same_site", STRING}, {"expiry", INT}},
             body<WebView>([](WebView& v, const auto& a) { v.set_cookie(a); })},
            {"push_ime_composition", no_result, {{"preedit", STRING}, {"cursor", INT}, {"commit", STRING}},
             body<WebView>([](WebView& v, const auto& a) { v.push_ime_composition(a[0].to_string(), a[1].to_int(), a[2].to_string()); })},
            {"set_granted_permissions", no_result, {{"entries", STRINGS}},
             body<WebView>([](WebView& v, const auto& a) { v.answers()->set_granted_permissions(a[0].to_strings()); })},
            {"get_granted_permissions", {"", STRINGS}, {},
             body<WebView>([](WebView& v, const auto&) { return Variant(v.answers()->granted_permissions()); }), true},
            {"set_allowed_navigation", no_result, {{"patterns", STRINGS}},
             body<WebView>([](WebView& v, const auto& a) { v.answers()->set_allowed_navigation(a[0].to_strings()); })},
            {"get_allowed_navigation", {"", STRINGS}, {},
             body<WebView>([](WebView& v, const auto&) { return Variant(v.answers()->allowed_navigation()); }), true},
            {"set_new_window_policy", no_result, {{"policy", INT}},
             body<WebView>([](WebView& v, const auto& a) { v.answers()->set_hand_over_new_windows(a[0].to_int() == 1); })},
            {"get_new_window_policy", {"", INT}, {},
             body<WebView>([](WebView& v, const auto&) { return std::int64_t{v.answers()->hands_over_new_windows() ? 1 : 0}; }), true},
            {"set_download_folder", no_result, {{"folder", STRING}},
             body<WebView>([](WebView& v, const auto& a) { v.set_download_folder(a[0].to_string()); })},
            {"get_download_folder", {"", STRING}, {},
             body<WebView>([](WebView& v, const auto&) { return v.answers()->download_folder(); }), true},
            {"set_prepared_files", no_result, {{"paths", STRINGS}},
             body<WebView>([](WebView& v, const auto& a) { v.set_prepared_files(a[0].to_strings()); })},
            {"get_prepared_files", {"", STRINGS}, {},
             body<WebView>([](WebView& v, const auto&) { return Variant(v.answers()->prepared_files()); }), true},
            {"set_request_timeout", no_result, {{"seconds", FLOAT}},
             body<WebView>([](WebView& v, const auto& a) { v.set_request_timeout(a[0].to_float()); })},
            {"get_request_timeout", {"", FLOAT}, {}, body<WebView>([](WebView& v, const auto&) { return v.request_timeout(); }), true},
            // GDScript objects in the page.
            {"register_object", {"", BOOL}, {{"name", STRING}, {"object", OBJECT, "Object"}},
             body<WebView>([](WebView& v, const auto& a) { return v.register_object(a[0].to_string(), a[1]); })},
            {"unregister_object", no_result, {{"name", STRING}},
             body<WebView>([](WebView& v, const auto& a) { v.unregister_object(a[0].to_string()); })},
            {"get_registered_objects", {"", STRINGS}, {},
             body<WebView>([](WebView& v, const auto&) { return Variant(v.registered_objects()); }), true},
            {"set_bridge_allowed_origins", no_result, {{"origins", STRINGS}},
             body<WebView>([](WebView& v, const auto& a) { v.set_bridge_allowed_origins(a[0].to_strings()); })},
            {"get_bridge_allowed_origins", {"", STRINGS}, {},
             body<WebView>([](WebView& v, const auto&) { return Variant(v.bridge_allowed_origins()); }), true},
        };
        constexpr std::uint32_t kHintRange = 1;      // PROPERTY_HINT_RANGE
        constexpr std::uint32_t kHintEnum = 2;       // PROPERTY_HINT_ENUM
        constexpr std::uint32_t kHintGlobalDir = 16;  // PROPERTY_HINT_GLOBAL_DIR
        s.properties = {
            {{"url", STRING}, "set_url", "get_url"},
            {{"title", STRING}, "", "get_title"},
            {{"zoom_factor", FLOAT}, "set_zoom_factor", "get_zoom_factor", kHintRange, "0.25,5,0.25"},
            {{"background_color", STRING}, "set_background_color", "get_background_color"},
            PropertyEntry::group("Profile"),
            {{"user_agent", STRING}, "set_user_agent", "get_user_agent"},
            {{"off_the_record", BOOL}, "set_off_the_record", "is_off_the_record"},
            {{"storage_path", STRING}, "set_storage_path", "get_storage_path", kHintGlobalDir},
            PropertyEntry::group("Page Requests"),
            {{"allowed_navigation", STRINGS}, "set_allowed_navigation", "get_allowed_navigation"},
            {{"granted_permissions", STRINGS}, "set_granted_permissions", "get_granted_permissions"},
            {{"new_window_policy", INT}, "set_new_window_policy", "get_new_window_policy", kHintEnum, "Open In View,Hand Over"},
            {{"download_folder", STRING}, "set_download_folder", "get_download_folder", kHintGlobalDir},
            {{"prepared_files", STRINGS}, "set_prepared_files", "get_prepared_files"},
            {{"request_timeout", FLOAT}, "set_request_timeout", "get_request_timeout", kHintRange, "0,600,0.1,suffix:s"},
            PropertyEntry::group("Bridge"),
            {{"bridge_allowed_origins", STRINGS}, "set_bridge_allowed_origins", "get_bridge_allowed_origins"},
        };
        add_settings(s);
        s.properties.push_back(PropertyEntry::group(""));
        s.signals = {
            {"load_started", {{"url", STRING}}},
            {"load_finished", {{"url", STRING}, {"success", BOOL}, {"error_code", INT}, {"error_text", STRING}, {"error_domain", STRING}}},
            {"url_changed", {{"url", STRING}}},
            {"title_changed", {{"title", STRING}}},
            {"javascript_finished", {{"id", INT}, {"result", GDEXTENSION_VARIANT_TYPE_NIL}, {"error", STRING}}},
            {"render_process_terminated", {{"status", INT}, {"exit_code", INT}}},
            {"navigation_requested", {{"url", STRING}, {"navigation_type", STRING}, {"allowed", BOOL}}},
            {"new_window_requested", {{"url", STRING}, {"disposition", STRING}, {"handed_over", BOOL}}},
            {"permission_requested", {{"request", OBJECT, "WebPermissionRequest"}}},
            {"file_chooser_requested", {{"request", OBJECT, "WebFileChooserRequest"}}},
            {"download_requested", {{"url", STRING}, {"suggested_name", STRING}, {"mime_type", STRING}, {"path", STRING}}},
            {"download_finished", {{"path", STRING}, {"success", BOOL}}},
        };
        s.constants = {
            {"NewWindowPolicy", "NEW_WINDOW_OPEN_IN_VIEW", 0},
            {"NewWindowPolicy", "NEW_WINDOW_HAND_OVER", 1},
        };
        add_sound_members(s);
        ViewControl::add_common_members(s);
        return s;
    }();
    return table;
}

}  // namespace sorvane_godot
