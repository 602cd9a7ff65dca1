#include "web_view.h"

#include <algorithm>
#include <cmath>
#include <random>

#include <sorvane/sorvane.h>

#include "page_scripts.h"

namespace sorvane_godot {

namespace {

// SWebView's loading statuses.
constexpr int kLoadStarted = 0;
constexpr int kLoadSucceeded = 2;

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

WebView::WebView(GDExtensionObjectPtr owner) : ViewControl(owner), m_marker(random_marker()) {}

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

void WebView::set_zoom_factor(double factor)
{
    // The library takes whole multiples of 25 % from 25 % to 500 %.
    const long percent = std::clamp(std::lround(factor * 4) * 25, 25L, 500L);
    m_zoom_factor = percent / 100.0;
    if (sorvane::SWebView* view = web())
        view->set_zoom_factor(static_cast<int>(percent));
}

FacadeSlot WebView::create_facade()
{
    return std::make_unique<sorvane::SWebView>();
}

void WebView::configure(sorvane::SView& facade)
{
    auto& view = static_cast<sorvane::SWebView&>(facade);
    const std::shared_ptr<EventQueue> queue = events();
    view.set_url(m_url);
    view.set_zoom_factor(static_cast<int>(std::lround(m_zoom_factor * 100)));

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
    } else {
        ViewControl::handle_event(event);
    }
}

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
        };
        constexpr std::uint32_t kHintRange = 1;
        s.properties = {
            {{"url", STRING}, "set_url", "get_url"},
            {{"title", STRING}, "", "get_title"},
            {{"zoom_factor", FLOAT}, "set_zoom_factor", "get_zoom_factor", kHintRange, "0.25,5,0.25"},
        };
        s.signals = {
            {"load_started", {{"url", STRING}}},
            {"load_finished", {{"url", STRING}, {"success", BOOL}, {"error_code", INT}, {"error_text", STRING}, {"error_domain", STRING}}},
            {"url_changed", {{"url", STRING}}},
            {"title_changed", {{"title", STRING}}},
            {"javascript_finished", {{"id", INT}, {"result", GDEXTENSION_VARIANT_TYPE_NIL}, {"error", STRING}}},
            {"render_process_terminated", {{"status", INT}, {"exit_code", INT}}},
        };
        ViewControl::add_common_members(s);
        return s;
    }();
    return table;
}

}  // namespace sorvane_godot
