#include "web_requests.h"

#include <chrono>

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

Variant WebPermissionRequest::make(std::shared_ptr<PageAnswers> answers, std::string origin, std::string permission,
                                   bool granted)
{
    ExtensionObject* instance = nullptr;
    Variant held = instantiate(table(), instance);
    auto& request = static_cast<WebPermissionRequest&>(*instance);
    request.m_answers = std::move(answers);
    request.m_origin = std::move(origin);
    request.m_permission = std::move(permission);
    request.m_granted = granted;
    return held;
}

void WebPermissionRequest::grant()
{
    if (m_answers)
        m_answers->grant(m_origin, m_permission);
}

void WebPermissionRequest::deny()
{
    if (m_answers)
        m_answers->revoke(m_origin, m_permission);
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
            {"grant", no_result, {}, body<R>([](R& r, const auto&) { r.grant(); })},
            {"deny", no_result, {}, body<R>([](R& r, const auto&) { r.deny(); })},
        };
        s.properties = {
            {{"origin", STRING}, "", "get_origin"},
            {{"permission", STRING}, "", "get_permission"},
            {{"granted", BOOL}, "", "is_granted"},
        };
        return s;
    }();
    return table;
}

Variant WebFileChooserRequest::make(std::shared_ptr<PageAnswers> answers, std::int64_t mode,
                                    std::vector<std::string> accepted_types, std::vector<std::string> files,
                                    double timeout_seconds)
{
    ExtensionObject* instance = nullptr;
    Variant held = instantiate(table(), instance);
    auto& request = static_cast<WebFileChooserRequest&>(*instance);
    request.m_answers = std::move(answers);
    request.m_mode = mode;
    request.m_accepted_types = std::move(accepted_types);
    request.m_files = std::move(files);
    request.m_timeout_seconds = timeout_seconds;
    return held;
}

void WebFileChooserRequest::select_files(const std::vector<std::string>& paths)
{
    if (!m_answers)
        return;
    const auto lifetime = std::chrono::milliseconds(static_cast<std::int64_t>(m_timeout_seconds * 1000));
    m_answers->prepare_files(absolute_paths(paths, "WebFileChooserRequest.select_files"), lifetime);
}

void WebFileChooserRequest::cancel()
{
    if (m_answers)
        m_answers->clear_files();
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
            {"select_files", no_result, {{"paths", STRINGS}},
             body<R>([](R& r, const auto& a) { r.select_files(a[0].to_strings()); })},
            {"cancel", no_result, {}, body<R>([](R& r, const auto&) { r.cancel(); })},
        };
        s.properties = {
            {{"mode", INT}, "", "get_mode"},
            {{"accepted_types", STRINGS}, "", "get_accepted_types"},
            {{"files", STRINGS}, "", "get_files"},
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
