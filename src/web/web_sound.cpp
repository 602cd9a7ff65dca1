// A web view's sound: mute through the web engine, volume through a script of the view's own.

#include "web/web_view.h"

#include <algorithm>

namespace sorvane {

void WebView::set_audio_muted(bool muted)
{
    if (muted == m_audio_muted)
        return;
    m_audio_muted = muted;
    emit audioMutedChanged(muted);
}

void WebView::set_audio_volume(double volume)
{
    m_audio_volume = std::clamp(volume, 0.0, 1.0);
    m_audio_volume_set = true;
    emit audioVolumeChanged();
}

// The web engine has no volume per page, so the script sets the volume of each <audio> and
// <video> element of the document: those there now, and each one that starts loading or playing
// later (the media events reach a capturing listener on the document). It runs in a script world
// of its own, which shares the elements with the page but none of its variables. Empty until the
// host sets a volume, so that a page's own volume settings stand until then.
QString WebView::volume_script() const
{
    if (!m_audio_volume_set)
        return {};
    return QStringLiteral(R"((function (volume) {
    const state = window.__viewVolume || (window.__viewVolume = { volume: 1 });
    state.volume = volume;
    const apply = element => { if (element instanceof HTMLMediaElement) element.volume = state.volume; };
    if (!state.listening) {
        state.listening = true;
        for (const type of ["loadstart", "play"])
            document.addEventListener(type, event => apply(event.target), true);
    }
    document.querySelectorAll("audio, video").forEach(apply);
})(%1);)")
        .arg(m_audio_volume);
}

}  // namespace sorvane
