// WebView's sound: mute and volume per view, and whether the page is audible. The page's sound
// plays through the system's output, never through Godot's audio buses.

#include "web_view.h"

#include <algorithm>

#include <sorvane/sorvane.h>

namespace sorvane_godot {

void WebView::set_audio_muted(bool muted)
{
    m_audio_muted = muted;
    if (sorvane::SWebView* view = web())
        view->set_audio_muted(muted);
}

void WebView::set_audio_volume(double volume)
{
    m_audio_volume = std::clamp(volume, 0.0, 1.0);
    if (sorvane::SWebView* view = web())
        view->set_audio_volume(static_cast<float>(m_audio_volume));
}

void WebView::configure_sound(sorvane::SWebView& view)
{
    audible_reported(false);
    view.set_func_recently_audible_changed([queue = events()](bool now) { queue->push({"_audible", {now}}); });
    if (m_audio_muted)
        view.set_audio_muted(true);
    // A volume left at 1 leaves the page's own volume settings alone.
    if (m_audio_volume != 1.0)
        view.set_audio_volume(static_cast<float>(m_audio_volume));
}

void WebView::audible_reported(bool audible)
{
    if (audible == m_audible)
        return;
    m_audible = audible;
    emit("audible_changed", {Variant(audible)});
}

void WebView::add_sound_members(ClassTable& s)
{
    constexpr auto BOOL = GDEXTENSION_VARIANT_TYPE_BOOL;
    constexpr auto FLOAT = GDEXTENSION_VARIANT_TYPE_FLOAT;
    constexpr std::uint32_t kHintRange = 1;
    using W = WebView;
    s.methods.push_back({"set_audio_muted", no_result, {{"muted", BOOL}},
                         body<W>([](W& v, const auto& a) { v.set_audio_muted(a[0].to_bool()); })});
    s.methods.push_back({"is_audio_muted", {"", BOOL}, {}, body<W>([](W& v, const auto&) { return v.audio_muted(); }), true});
    s.methods.push_back({"set_audio_volume", no_result, {{"volume", FLOAT}},
                         body<W>([](W& v, const auto& a) { v.set_audio_volume(a[0].to_float()); })});
    s.methods.push_back({"get_audio_volume", {"", FLOAT}, {}, body<W>([](W& v, const auto&) { return v.audio_volume(); }), true});
    s.methods.push_back({"is_audible", {"", BOOL}, {}, body<W>([](W& v, const auto&) { return v.audible(); }), true});
    s.properties.push_back(PropertyEntry::group("Sound", "audio_"));
    s.properties.push_back({{"audio_muted", BOOL}, "set_audio_muted", "is_audio_muted"});
    s.properties.push_back({{"audio_volume", FLOAT}, "set_audio_volume", "get_audio_volume", kHintRange, "0,1,0.01"});
    s.properties.push_back(PropertyEntry::group(""));
    s.properties.push_back({{"audible", BOOL}, "", "is_audible"});
    s.signals.push_back({"audible_changed", {{"audible", BOOL}}});
}

}  // namespace sorvane_godot
