#include "web_requests.h"


namespace sorvane_godot {

namespace {

constexpr auto STRING = GDEXTENSION_VARIANT_TYPE_STRING;
constexpr auto BOOL = GDEXTENSION_VARIANT_TYPE_BOOL;
constexpr auto INT = GDEXTENSION_VARIANT_TYPE_INT;
constexpr auto STRINGS = GDEXTENSION_VARIANT_TYPE_PACKED_STRING_ARRAY;

}  // namespace

std::vector<std::string> absolute_paths(const std::vector<std::string>& paths, const char* what)
{
    const Variant settings = singleton("ProjectSettings");
    std::vector<std::string> out;
    for (const std::string& path : paths) {
        const std::string absolute = settings.call("globalize_path", {Variant(path)}).to_string();
        if (absolute.empty() || absolute[0] != '/') {
            print_warning(std::string(what) + ": left out \"" + path + "\", which is not an absolute path");
            continue;
        }
        out.push_back(absolute);
    }
    return out;
}

namespace {

// SWebView's file chooser mode that takes several files.
constexpr std::int64_t kOpenFiles = 1;

void warn_answered(const char* method)
{
    print_warning(std::string(method) + ": ignored: the request was already answered (by the WebView's own "
                  "properties, an earlier answer, request_timeout, or its page or node going away)");
}

}  // namespace

Variant WebPermissionRequest::make(std::shared_ptr<WaitingRequests> waiting, int id, std::string origin,
                                   std::string permission, bool granted)
{
    ExtensionObject* instance = nullptr;
    Variant held = instantiate(table(), instance);
    auto& request = static_cast<WebPermissionRequest&>(*instance);
    request.m_waiting = std::move(waiting);
    request.m_id = id;
    request.m_origin = std::move(origin);
    request.m_permission = std::move(permission);
    request.m_granted = granted;
    return held;
}

void WebPermissionRequest::answer(bool granted, const char* method)
{
    if (m_id == 0 || !m_waiting || !m_waiting->answer_permission(m_id, granted)) {
        warn_answered(method);
        return;
    }
    m_granted = granted;
}

bool WebPermissionRequest::answered() const
{
    return m_id == 0 || !m_waiting || !m_waiting->is_waiting(m_id);
}

const ClassTable& WebPermissionRequest::table()
{
    static const ClassTable table = [] {
        ClassTable s;
        s.name = "WebPermissionRequest";
        s.parent = "RefCounted";
        s.create = [](GDExtensionObjectPtr owner) { return new WebPermissionRequest(owner); };
        s.abstract = true;
        using R = WebPermissionRequest;
        s.methods = {
            {"get_origin", {"", STRING}, {}, body<R>([](R& r, const auto&) { return r.m_origin; }), true},
            {"get_permission", {"", STRING}, {}, body<R>([](R& r, const auto&) { return r.m_permission; }), true},
            {"is_granted", {"", BOOL}, {}, body<R>([](R& r, const auto&) { return r.m_granted; }), true},
            {"is_answered", {"", BOOL}, {}, body<R>([](R& r, const auto&) { return r.answered(); }), true},
            {"grant", no_result, {}, body<R>([](R& r, const auto&) { r.answer(true, "WebPermissionRequest.grant"); })},
            {"deny", no_result, {}, body<R>([](R& r, const auto&) { r.answer(false, "WebPermissionRequest.deny"); })},
        };
        s.properties = {
            {{"origin", STRING}, "", "get_origin"},
            {{"permission", STRING}, "", "get_permission"},
            {{"granted", BOOL}, "", "is_granted"},
            {{"answered", BOOL}, "", "is_answered"},
        };
        return s;
    }();
    return table;
}

Variant WebFileChooserRequest::make(std::shared_ptr<WaitingRequests> waiting, int id, std::int64_t mode,
                                    std::vector<std::string> accepted_types, std::vector<std::string> files)
{
    ExtensionObject* instance = nullptr;
    Variant held = instantiate(table(), instance);
    auto& request = static_cast<WebFileChooserRequest&>(*instance);
    request.m_waiting = std::move(waiting);
    request.m_id = id;
    request.m_mode = mode;
    request.m_accepted_types = std::move(accepted_types);
    request.m_files = std::move(files);
    return held;
}

void WebFileChooserRequest::answer(const std::vector<std::string>& paths, const char* method)
{
    if (m_id == 0 || !m_waiting || !m_waiting->is_waiting(m_id)) {
        warn_answered(method);
        return;
    }
    std::vector<std::string> files = absolute_paths(paths, method);
    if (m_mode != kOpenFiles && files.size() > 1)
        files.resize(1);
    if (m_waiting->answer_file_chooser(m_id, files))
        m_files = std::move(files);
}

bool WebFileChooserRequest::answered() const
{
    return m_id == 0 || !m_waiting || !m_waiting->is_waiting(m_id);
}

const ClassTable& WebFileChooserRequest::table()
{
    static const ClassTable table = [] {
        ClassTable s;
        s.name = "WebFileChooserRequest";
        s.parent = "RefCounted";
        s.create = [](GDExtensionObjectPtr owner) { return new WebFileChooserRequest(owner); };
        s.abstract = true;
        using R = WebFileChooserRequest;
        s.methods = {
            {"get_mode", {"", INT}, {}, body<R>([](R& r, const auto&) { return r.m_mode; }), true},
            {"get_accepted_types", {"", STRINGS}, {}, body<R>([](R& r, const auto&) { return Variant(r.m_accepted_types); }), true},
            {"get_files", {"", STRINGS}, {}, body<R>([](R& r, const auto&) { return Variant(r.m_files); }), true},
            {"is_answered", {"", BOOL}, {}, body<R>([](R& r, const auto&) { return r.answered(); }), true},
            {"select_files", no_result, {{"paths", STRINGS}},
             body<R>([](R& r, const auto& a) { r.answer(a[0].to_strings(), "WebFileChooserRequest.select_files"); })},
            {"cancel", no_result, {}, body<R>([](R& r, const auto&) { r.answer({}, "WebFileChooserRequest.cancel"); })},
        };
        s.properties = {
            {{"mode", INT}, "", "get_mode"},
            {{"accepted_types", STRINGS}, "", "get_accepted_types"},
            {{"files", STRINGS}, "", "get_files"},
            {{"answered", BOOL}, "", "is_answered"},
        };
        s.constants = {
            {"Mode", "MODE_OPEN_FILE", 0},
            {"Mode", "MODE_OPEN_FILES", 1},
            {"Mode", "MODE_OPEN_FOLDER", 2},
            {"Mode", "MODE_SAVE_FILE", 3},
        };
        return s;
    }();
    return table;
}

}  // namespace sorvane_godot
