#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWebEnginePermission>
#include <QtWebEngineQuick/QQuickWebEngineDownloadRequest>

#include <chrono>
#include <string>
#include <vector>

#include "sorvane/web_view.h"

#include "databinding/web_channel_binding.h"
#include "web/bridge_origins.h"
#include "runtime/callback_slot.h"
#include "view/view.h"

class QQuickWebEngineProfile;

// The Qt type of each kind of web setting.
#define SORVANE_WEB_SETTING_QT_BOOL bool
#define SORVANE_WEB_SETTING_QT_TEXT QString
#define SORVANE_WEB_SETTING_QT_INT int

#define SORVANE_WEB_SETTING_PROPERTY(kind, property, getter, setter, initial, qualifier) \
    Q_PROPERTY(SORVANE_WEB_SETTING_QT_##kind property READ getter WRITE setter NOTIFY property##Changed)
#define SORVANE_WEB_SETTING_SIGNAL(kind, property, getter, setter, initial, qualifier) \
    void property##Changed(SORVANE_WEB_SETTING_QT_##kind status);
#define SORVANE_WEB_SETTING_ACCESSORS(kind, property, getter, setter, initial, qualifier) \
    SORVANE_WEB_SETTING_QT_##kind getter() const { return m_##property; }                  \
    void setter(const SORVANE_WEB_SETTING_QT_##kind& status)                              \
    {                                                                                     \
        m_##property = status;                                                            \
        emit property##Changed(status);                                                   \
    }
#define SORVANE_WEB_SETTING_FIELD(kind, property, getter, setter, initial, qualifier) \
    SORVANE_WEB_SETTING_QT_##kind m_##property = initial;

namespace sorvane {

// The view that shows a web page. Its scene (module "Web", type "Webview") is a web engine view
// that binds to the properties below through "ctx"; the view forwards navigation commands to
// functions of the scene and passes the page's loading and navigation events to the host.
class WebView : public View {
    Q_OBJECT
    Q_PROPERTY(int idx READ idx WRITE set_idx)
    Q_PROPERTY(QString url READ url WRITE set_url NOTIFY urlChanged)
    Q_PROPERTY(bool audio_muted READ audio_muted NOTIFY audioMutedChanged)
    Q_PROPERTY(QString volume_script READ volume_script NOTIFY audioVolumeChanged)
    Q_PROPERTY(double zoom_factor READ zoom_factor WRITE set_zoom_factor NOTIFY zoomFactorChanged)
    Q_PROPERTY(QString backgroundColor READ background_color WRITE set_background_color NOTIFY backgroundColorChanged)
    SORVANE_WEB_SETTINGS(SORVANE_WEB_SETTING_PROPERTY)

public:
    // The user agent text that get_user_agent answers (the profile's may differ).
    static const QString kUserAgent;
    // The page-side channel library, injected into every page.
    static const QString kChannelLibrary;
    // The data-binding bridge script, injected after the channel library when it is present.
    static const QString kBridgeScript;

    explicit WebView(QObject* parent = nullptr);
    ~WebView() override;

    // Loads the scene on the shared web profile. Throws std::runtime_error("Failed to set web
    // profile") when there is none.
    bool load();

    int idx() const { return m_idx; }
    void set_idx(int idx);
    // The address the host asked for last; the scene loads it whenever it changes.
    QString url() const { return m_url; }
    void set_url(const QString& url);
    // The address of the page the view shows: the host's last request until the page moves on
    // by itself (a link, a new window opened here, history, a redirect), then the page's own.
    QString shown_url() const { return m_shown_url; }
    bool audio_muted() const { return m_audio_muted; }
    double zoom_factor() const { return m_zoom_factor; }
    void set_zoom_factor(double factor);
    QString background_color() const { return m_background_color; }
    void set_background_color(const QString& color);
    QString user_agent() const { return kUserAgent; }

    SORVANE_WEB_SETTINGS(SORVANE_WEB_SETTING_ACCESSORS)

    // Scene commands. Without a scene they do nothing and the queries answer false.
    void back() { call_scene("back"); }
    void forward() { call_scene("forward"); }
    void reload() { call_scene("reload"); }
    void reload_and_bypass_cache() { call_scene("reload_and_bypass_cache"); }
    void back_or_forward(int offset) { call_scene("back_or_forward", QVariant(offset)); }
    bool can_go_back() { return call_scene("can_go_back").toBool(); }
    bool can_go_forward() { return call_scene("can_go_forward").toBool(); }
    void run_javascript(const QString& script) { call_scene("run_javascript", QVariant(script)); }
    // Shows `html`; warns when it is too long for the web engine to show (it loads HTML as a
    // data: address, and Chromium refuses addresses over kMaxHtmlAddressLength).
    void load_html(const QString& html, const QString& base_url);
    static constexpr qsizetype kMaxHtmlAddressLength = 2 * 1024 * 1024;
    // Length of the data: address the web engine makes of `html`.
    static qsizetype html_address_length(const QString& html);

    // Percent to zoom factor: every multiple of 25 from 25 to 500 gives percent / 100, anything
    // else 2.0.
    static double translate_zoom_factor(int percent);

    void prepare_context(QQmlContext* context) override;
    void post_setup(QQmlEngine* engine, QObject* root) override;
    // Lets go of the data-binding manager before the scene (its parent) goes.
    void pre_reset() override;

    // --- Sound (web_sound.cpp) ---
    void set_audio_muted(bool muted);
    // The volume of the page's media elements, 0 to 1 (1 until set); applied by volume_script,
    // which the scene runs in its own script world in every document and again at each change.
    double audio_volume() const { return m_audio_volume; }
    void set_audio_volume(double volume);
    QString volume_script() const;
    bool recently_audible() { return call_scene("recently_audible").toBool(); }
    CallbackSlot<void(bool)> m_recently_audible_changed;
    Q_INVOKABLE void onRecentlyAudibleChanged(bool audible) { m_recently_audible_changed(audible); }

    CallbackSlot<bool(std::string url, std::string navigation_type)> m_navigation_handler;
    CallbackSlot<void(int status, std::string url, std::string error_domain, std::string error_string,
                      int error_code)>
        m_loading_changed;

    CallbackSlot<void(int status, int exit_code)> m_render_process_terminated;
    CallbackSlot<bool(std::string url, std::string disposition)> m_new_window_requested;
    CallbackSlot<bool(std::string origin, std::string permission)> m_permission_requested;
    CallbackSlot<std::vector<std::string>(int mode, std::vector<std::string> accepted_types)>
        m_file_dialog_requested;
    CallbackSlot<void(int id, std::string origin, std::string permission)> m_permission_requested_later;
    CallbackSlot<void(int id, int mode, std::vector<std::string> accepted_types)> m_file_dialog_requested_later;
    CallbackSlot<std::string(std::string url, std::string suggested_name, std::string mime_type)>
        m_download_requested;
    CallbackSlot<void(std::string path, bool ok)> m_download_finished;

    // A renderer that ends again this soon after the view reloaded its page is not reloaded.
    std::chrono::milliseconds m_crash_retry_window{30000};
    // Stable names of the web engine's permission types, as the host sees them; empty for a
    // type the library does not know.
    static QString permission_name(QWebEnginePermission::PermissionType type);

    // Answers a request that waits for the host (see m_permission_requested_later); an unknown
    // or already answered id is ignored with a warning.
    void answer_permission_request(int id, bool granted);
    void answer_file_dialog_request(int id, const std::vector<std::string>& files);
    // Answers every waiting request with its safe default (denied, cancelled); `why` says when.
    void answer_waiting_requests(const char* why);

    // Offers a download that this view's page started to the host (downloads.cpp routes them).
    void offer_download(QQuickWebEngineDownloadRequest* download);

    // Engine objects for the page: pending until the scene exists, then on its web channel.
    db::WebChannelBinding m_data_binding;

    // The origins whose pages reach the engine's objects (every page until the host says
    // otherwise). A page of any other origin finds nothing on the channel.
    void set_bridge_origins(const QStringList& origins);
    QStringList bridge_origins() const { return m_bridge_origins.entries(); }
    // The page accepted a navigation of its main frame to `url` (not yet shown).
    Q_INVOKABLE void onMainFrameNavigation(const QString& url);

    // Called by the scene.
    Q_INVOKABLE bool navigation_handler(const QString& url, const QString& navigationType);
    // The page's address changed, whoever moved it.
    Q_INVOKABLE void onPageUrlChanged(const QString& url);
    Q_INVOKABLE void onLoadingChanged(int status, const QString& url, const QString& errorDomain,
                                      const QString& errorString, int errorCode);
    // The scripts the scene injects into every page at document creation, in order.
    Q_INVOKABLE QStringList page_scripts() const;
    // The page's renderer process ended (status: RenderProcessTerminationStatus).
    Q_INVOKABLE void onRenderProcessTerminated(int terminationStatus, int exitCode);
    // Whether the host takes over a new window request (destination: the request's
    // DestinationType); false tells the scene to open the address itself.
    Q_INVOKABLE bool new_window_requested(const QString& url, int destination);
    // Answers a permission request at once from the host's callback, or keeps it for the host's
    // later answer when the host asked so (m_permission_requested_later).
    Q_INVOKABLE void onPermissionRequested(const QWebEnginePermission& permission);
    // The files the host chose for a file chooser (mode: the request's FileMode); empty cancels.
    Q_INVOKABLE QStringList file_dialog_requested(int mode, const QStringList& acceptedMimeTypes);
    // Whether the host answers this file chooser later (`request`: the scene's FileDialogRequest,
    // already accepted); the view then keeps it until the answer.
    Q_INVOKABLE bool file_dialog_requested_later(QObject* request, int mode, const QStringList& acceptedMimeTypes);

signals:
    void urlChanged(QString url);
    void audioMutedChanged(bool status);
    void audioVolumeChanged();
    void zoomFactorChanged(double factor);
    void backgroundColorChanged(QString color);
    SORVANE_WEB_SETTINGS(SORVANE_WEB_SETTING_SIGNAL)

private:
    // Calls a function of the scene's root by name; an invalid result without a scene.
    template <typename... Args>
    QVariant call_scene(const char* function, const Args&... args);

    // Joins the page's web channel to the data-binding bridge.
    void setup_data_binding(QObject* root);

    // Opens or closes the engine's objects to the page at `url`, warning once per refused origin.
    void update_bridge(const QString& url);

    static int s_next_idx;

    BridgeOrigins m_bridge_origins;
    QSet<QString> m_refused_origins;

    // When the view last reloaded its page after its renderer ended.
    QElapsedTimer m_since_crash_reload;
    // Requests waiting for the host's later answer, by id.
    QHash<int, QWebEnginePermission> m_waiting_permissions;
    struct WaitingFileDialog {
        QPointer<QObject> request;  // the scene's FileDialogRequest, owned here
        int mode = 0;
    };
    QHash<int, WaitingFileDialog> m_waiting_file_dialogs;
    static int s_next_request_id;
    // The host's chosen files as the page gets them: absolute paths only, and one for the modes
    // that take one.
    QStringList chosen_files(int mode, const std::vector<std::string>& chosen) const;

    // Downloads accepted for this view and not yet finished; cancelled with the view.
    QList<QPointer<QQuickWebEngineDownloadRequest>> m_downloads;

    int m_idx;
    QQuickWebEngineProfile* m_profile = nullptr;
    QString m_url = QStringLiteral("about:blank");
    QString m_shown_url = m_url;
    bool m_audio_muted = false;
    double m_audio_volume = 1.0;
    bool m_audio_volume_set = false;
    double m_zoom_factor = 2.0;
    QString m_background_color = QStringLiteral("transparent");
    SORVANE_WEB_SETTINGS(SORVANE_WEB_SETTING_FIELD)
};

template <typename... Args>
QVariant WebView::call_scene(const char* function, const Args&... args)
{
    QVariant result;
    if (QObject* root = root_item())
        QMetaObject::invokeMethod(root, function, Qt::DirectConnection, qReturnArg(result), args...);
    return result;
}

}  // namespace sorvane
