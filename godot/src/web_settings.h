// The web settings of a WebView node: one entry per setting of the library's table, with the
// snake_case name Godot shows, its type (that of its initial value), its initial value and the
// call that passes a value to a view. The node keeps the values itself, so reading one never
// waits for the library.
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
};

// Every setting, in the library's order.
const std::vector<WebSetting>& web_settings();

// A camelCase name in snake_case: a capital starts a word, a run of capitals is one word (its
// last capital starts the next word when a small letter follows), a run of digits starts a word;
// "WebGL", "WebRTC" and "JavaScript" stay one word ("webGLEnabled" -> "webgl_enabled").
std::string snake_case(const std::string& camel);

}  // namespace sorvane_godot
