// SWebView: the host's handle of a web view, and its operations on the shared web profile.

#include "sorvane/options.h"
#include "sorvane/web_view.h"

#include "runtime/facade_support.h"
#include "runtime/runtime_state.h"
#include "web/web_view.h"

#include <QDateTime>
#include <QNetworkCookie>
#include <QTimeZone>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QtWebEngineQuick/QQuickWebEngineProfile>

namespace sorvane {

namespace {

WebView* web(View* view)
{
    return static_cast<WebView*>(view);
}

// The shared web profile, or null while the application has not been created.
QQuickWebEngineProfile* shared_profile()
{
    return SORVANE_CTX ? runtime().default_profile : nullptr;
}

// Values across the boundary: UTF-8 std::string on the host side, QString on the Qt side.
bool to_qt(bool value) { return value; }
int to_qt(int value) { return value; }
QString to_qt(const std::string& value) { return QString::fromStdString(value); }
bool to_host(bool value) { return value; }
int to_host(int value) { return value; }
std::string to_host(const QString& value) { return value.toStdString(); }

QNetworkCookie::SameSite same_site_policy(const std::string& text)
{
    if (text == "none")
        return QNetworkCookie::SameSite::None;
    if (text == "lax")
        return QNetworkCookie::SameSite::Lax;
    if (text == "strict")
        return QNetworkCookie::SameSite::Strict;
    return QNetworkCookie::SameSite::Default;
}

}  // namespace

SWebView::SWebView() : SView()
{
    m_view = create_view(&SorvaneCtx::_create_webview);
}

bool SWebView::load() const
{
    return carry::waited(m_view, [](View* v) { return web(v)->load(); }, false);
}

void SWebView::set_url(std::string url) const
{
    carry::waited(m_view, [url = to_qt(url)](View* v) { web(v)->set_url(url); });
}

std::string SWebView::get_url() const
{
    return carry::waited(m_view, [](View* v) { return to_host(web(v)->shown_url()); });
}

void SWebView::set_bridge_allowed_origins(std::vector<std::string> origins) const
{
    QStringList entries;
    for (const std::string& origin : origins)
        entries.append(to_qt(origin));
    carry::waited(m_view, [entries](View* v) { web(v)->set_bridge_origins(entries); });
}

std::vector<std::string> SWebView::get_bridge_allowed_origins() const
{
    return carry::waited(m_view, [](View* v) {
        std::vector<std::string> out;
        for (const QString& entry : web(v)->bridge_origins())
            out.push_back(to_host(entry));
        return out;
    });
}

void SWebView::load_html(std::string html, std::string base_url) const
{
    carry::waited(m_view, [html = to_qt(html), base_url = to_qt(base_url)](View* v) {
        web(v)->load_html(html, base_url);
    });
}

void SWebView::back() const
{
    carry::waited(m_view, [](View* v) { web(v)->back(); });
}

void SWebView::forward() const
{
    carry::waited(m_view, [](View* v) { web(v)->forward(); });
}

void SWebView::reload() const
{
    carry::waited(m_view, [](View* v) { web(v)->reload(); });
}

void SWebView::reload_and_bypass_cache() const
{
    carry::waited(m_view, [](View* v) { web(v)->reload_and_bypass_cache(); });
}

void SWebView::back_or_forward(int offset) const
{
    carry::waited(m_view, [offset](View* v) { web(v)->back_or_forward(offset); });
}

bool SWebView::can_go_back() const
{
    return carry::waited(m_view, [](View* v) { return web(v)->can_go_back(); });
}

bool SWebView::can_go_forward() const
{
    return carry::waited(m_view, [](View* v) { return web(v)->can_go_forward(); });
}

void SWebView::run_javascript(const std::string& script) const
{
    carry::posted(m_view, [script = to_qt(script)](View* v) { web(v)->run_javascript(script); });
}

void SWebView::set_background_color(const std::string& color) const
{
    carry::waited(m_view, [color = to_qt(color)](View* v) { web(v)->set_background_color(color); });
}

std::string SWebView::get_background_color() const
{
    return carry::waited(m_view, [](View* v) { return to_host(web(v)->background_color()); });
}

void SWebView::set_zoom_factor(int percent)
{
    const double factor = _translate_zoom_factor(percent);
    carry::waited(m_view, [factor](View* v) { web(v)->set_zoom_factor(factor); });
}

double SWebView::get_zoom_factor() const
{
    return carry::waited(m_view, [](View* v) { return web(v)->zoom_factor(); });
}

double SWebView::_translate_zoom_factor(int percent)
{
    return WebView::translate_zoom_factor(percent);
}

void SWebView::set_user_agent(const std::string& user_agent)
{
    carry::waited(shared_profile(), [user_agent = to_qt(user_agent)](QQuickWebEngineProfile* profile) {
        profile->setHttpUserAgent(user_agent);
    });
}

std::string SWebView::get_user_agent() const
{
    return carry::waited(m_view, [](View* v) { return to_host(web(v)->user_agent()); });
}

void SWebView::set_otr(bool enabled)
{
    carry::waited(shared_profile(), [enabled](QQuickWebEngineProfile* profile) {
        profile->setOffTheRecord(enabled);
        profile->setPersistentCookiesPolicy(enabled ? QQuickWebEngineProfile::NoPersistentCookies
                                                    : QQuickWebEngineProfile::ForcePersistentCookies);
    });
}

void SWebView::set_storage_path(const std::string& path)
{
    carry::waited(shared_profile(), [path = to_qt(path)](QQuickWebEngineProfile* profile) {
        profile->setPersistentStoragePath(path);
        profile->setCachePath(path);
    });
}

void SWebView::set_cookie(std::string domain, std::string path, std::string name, std::string value,
                          bool secure, std::string same_site, long expiry) const
{
    QNetworkCookie cookie(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    cookie.setDomain(to_qt(domain));
    cookie.setPath(to_qt(path));
    cookie.setSecure(secure);
    cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry, QTimeZone::LocalTime));
    cookie.setSameSitePolicy(same_site_policy(same_site));
    carry::blocking(shared_profile(), [cookie](QQuickWebEngineProfile* profile) {
        profile->cookieStore()->setCookie(cookie, QUrl());
    });
}

void SWebView::set_disable_gpu(bool disabled)
{
    opts::GPU_DISABLED = disabled;
}

bool SWebView::get_disable_gpu()
{
    return opts::GPU_DISABLED;
}

void SWebView::set_func_loading_changed(std::function<void(int, std::string, std::string, std::string, int)> func) const
{
    carry::waited(m_view, [func = std::move(func)](View* v) { web(v)->m_loading_changed.set(func); });
}

void SWebView::set_func_navigation_handler(std::function<bool(std::string, std::string)> func) const
{
    carry::waited(m_view, [func = std::move(func)](View* v) { web(v)->m_navigation_handler.set(func); });
}

void SWebView::set_func_render_process_terminated(std::function<void(int, int)> func) const
{
    carry::waited(m_view, [func = std::move(func)](View* v) { web(v)->m_render_process_terminated.set(func); });
}

void SWebView::set_func_new_window_requested(std::function<bool(std::string, std::string)> func) const
{
    carry::waited(m_view, [func = std::move(func)](View* v) { web(v)->m_new_window_requested.set(func); });
}

void SWebView::set_func_permission_requested(std::function<bool(std::string, std::string)> func) const
{
    carry::waited(m_view, [func = std::move(func)](View* v) { web(v)->m_permission_requested.set(func); });
}

void SWebView::set_func_file_dialog_requested(
    std::function<std::vector<std::string>(int, std::vector<std::string>)> func) const
{
    carry::waited(m_view, [func = std::move(func)](View* v) { web(v)->m_file_dialog_requested.set(func); });
}

void SWebView::set_func_permission_requested_later(std::function<void(int, std::string, std::string)> func) const
{
    carry::waited(m_view, [func = std::move(func)](View* v) { web(v)->m_permission_requested_later.set(func); });
}

void SWebView::answer_permission_request(int id, bool granted) const
{
    carry::posted(m_view, [id, granted](View* v) { web(v)->answer_permission_request(id, granted); });
}

void SWebView::set_func_file_dialog_requested_later(
    std::function<void(int, int, std::vector<std::string>)> func) const
{
    carry::waited(m_view, [func = std::move(func)](View* v) { web(v)->m_file_dialog_requested_later.set(func); });
}

void SWebView::answer_file_dialog_request(int id, std::vector<std::string> files) const
{
    carry::posted(m_view, [id, files = std::move(files)](View* v) { web(v)->answer_file_dialog_request(id, files); });
}

void SWebView::set_func_download_requested(
    std::function<std::string(std::string, std::string, std::string)> func) const
{
    carry::waited(m_view, [func = std::move(func)](View* v) { web(v)->m_download_requested.set(func); });
}

void SWebView::set_func_download_finished(std::function<void(std::string, bool)> func) const
{
    carry::waited(m_view, [func = std::move(func)](View* v) { web(v)->m_download_finished.set(func); });
}

#define SORVANE_DEFINE_WEB_SETTING(kind, property, getter, setter, initial, qualifier)                \
    SORVANE_WEB_SETTING_RESULT_##kind SWebView::getter() qualifier                                      \
    {                                                                                                  \
        return carry::waited(m_view, [](View* v) { return to_host(web(v)->getter()); });                \
    }                                                                                                  \
    void SWebView::setter(SORVANE_WEB_SETTING_ARGUMENT_##kind value) const                              \
    {                                                                                                  \
        carry::waited(m_view, [value = to_qt(value)](View* v) { web(v)->setter(value); });              \
    }
SORVANE_WEB_SETTINGS(SORVANE_DEFINE_WEB_SETTING)
#undef SORVANE_DEFINE_WEB_SETTING

}  // namespace sorvane

namespace sorvane {

// --- Sound -----------------------------------------------------------------------------------------

void SWebView::set_audio_muted(bool muted) const
{
    carry::waited(m_view, [muted](View* v) { static_cast<WebView*>(v)->set_audio_muted(muted); });
}

bool SWebView::get_audio_muted() const
{
    return carry::waited(m_view, [](View* v) { return static_cast<WebView*>(v)->audio_muted(); });
}

void SWebView::set_audio_volume(float volume) const
{
    carry::waited(m_view, [volume](View* v) { static_cast<WebView*>(v)->set_audio_volume(volume); });
}

float SWebView::get_audio_volume() const
{
    return carry::waited(m_view, [](View* v) { return static_cast<float>(static_cast<WebView*>(v)->audio_volume()); });
}

bool SWebView::get_recently_audible() const
{
    return carry::waited(m_view, [](View* v) { return static_cast<WebView*>(v)->recently_audible(); });
}

void SWebView::set_func_recently_audible_changed(std::function<void(bool audible)> func) const
{
    store_callback(m_view, &WebView::m_recently_audible_changed, std::move(func));
}

}  // namespace sorvane
