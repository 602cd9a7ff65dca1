// The web settings of a WebView node: one entry per setting of the library's table, with the
// snake_case name Godot shows, its type, its initial value and the calls that pass a value to a
// view and read it back.
#pragma once

#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace sorvane { class SWebView; }

namespace sorvane_godot {

using SettingValue = std::variant<bool, int, std::string>;

struct WebSetting {
    std::string name;  // "javascript_enabled"
    SettingValue initial;
    std::function<void(const sorvane::SWebView&, const SettingValue&)> apply;
    std::function<SettingValue(sorvane::SWebView&)> read;
};

// Every setting, in the library's order.
const std::vector<WebSetting>& web_settings();

// A camelCase name in snake_case: a capital starts a word, a run of capitals is one word (its
// last capital starts the next word when a small letter follows), a run of digits starts a word;
// "WebGL", "WebRTC" and "JavaScript" stay one word ("webGLEnabled" -> "webgl_enabled").
std::string snake_case(const std::string& camel);

}  // namespace sorvane_godot
