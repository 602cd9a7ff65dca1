#include "web_settings.h"

#include <cctype>

#include <sorvane/web_view.h>

namespace sorvane_godot {

namespace {

// The setting's value as the library's setter takes it.
bool as_arg_BOOL(const SettingValue& v) { return std::get<bool>(v); }
int as_arg_INT(const SettingValue& v) { return std::get<int>(v); }
const std::string& as_arg_TEXT(const SettingValue& v) { return std::get<std::string>(v); }

SettingValue initial_BOOL(bool v) { return v; }
SettingValue initial_INT(int v) { return v; }
SettingValue initial_TEXT(const std::string& v) { return v; }

std::vector<WebSetting> make_table()
{
    std::vector<WebSetting> table;
#define SORVANE_GODOT_SETTING(kind, property, getter, setter, initial, qualifier)                            \
    table.push_back({snake_case(#property), initial_##kind(initial),                                         \
                     [](const sorvane::SWebView& view, const SettingValue& v) { view.setter(as_arg_##kind(v)); }});
    SORVANE_WEB_SETTINGS(SORVANE_GODOT_SETTING)
#undef SORVANE_GODOT_SETTING
    return table;
}

void replace_word(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

}  // namespace

const std::vector<WebSetting>& web_settings()
{
    static const std::vector<WebSetting> table = make_table();
    return table;
}

std::string snake_case(const std::string& camel)
{
    const auto upper = [](char c) { return std::isupper(static_cast<unsigned char>(c)) != 0; };
    const auto lower = [](char c) { return std::islower(static_cast<unsigned char>(c)) != 0; };
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    std::string out;
    for (std::size_t i = 0; i < camel.size(); ++i) {
        const char c = camel[i];
        const char before = i > 0 ? camel[i - 1] : '\0';
        const char after = i + 1 < camel.size() ? camel[i + 1] : '\0';
        const bool starts_word = i > 0 && ((upper(c) && (!upper(before) || lower(after))) || (digit(c) && !digit(before)));
        if (starts_word)
            out += '_';
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    out = "_" + out + "_";
    replace_word(out, "_web_gl_", "_webgl_");
    replace_word(out, "_web_rtc_", "_webrtc_");
    replace_word(out, "_java_script_", "_javascript_");
    return out.substr(1, out.size() - 2);
}

}  // namespace sorvane_godot
