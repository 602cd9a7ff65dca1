#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sorvane/db.h"
#include "sorvane/view.h"

// The web settings of a web view, one row each, in the order of the view's properties:
//
//   X(kind, property, getter, setter, initial value, getter qualifier)
//
// kind is BOOL (a bool), TEXT (a UTF-8 std::string) or INT (an int). Each setting has a getter
// and a setter on SWebView and a property of the same name, with the change signal
// <property>Changed, on the view's scene side. Every new view starts from the initial values;
// settings are not shared between views.
#define SORVANE_WEB_SETTINGS(X) \
    X(BOOL, accelerated2dCanvasEnabled, get_accelerated2d_canvas_enabled, set_accelerated2d_canvas_enabled, true, const) \
    X(BOOL, allowGeolocationOnInsecureOrigins, get_allow_geolocation_on_insecure_origins, set_allow_geolocation_on_insecure_origins, true, const) \
    X(BOOL, allowRunningInsecureContent, get_allow_running_insecure_content, set_allow_running_insecure_content, true, const) \
    X(BOOL, allowWindowActivationFromJavaScript, get_allow_window_activation_from_javascript, set_allow_window_activation_from_javascript, true, const) \
    X(BOOL, autoLoadIconsForPage, get_auto_load_icons_for_page, set_auto_load_icons_for_page, true, const) \
    X(BOOL, autoLoadImages, get_auto_load_images, set_auto_load_images, true, const) \
    X(TEXT, defaultTextEncoding, get_default_text_encoding, set_default_text_encoding, {}, const) \
    X(BOOL, dnsPrefetchEnabled, get_dns_prefetch_enabled, set_dns_prefetch_enabled, false, const) \
    X(BOOL, errorPageEnabled, get_error_page_enabled, set_error_page_enabled, false, const) \
    X(BOOL, focusOnNavigationEnabled, get_focus_on_navigation_enabled, set_focus_on_navigation_enabled, true, const) \
    X(BOOL, forceDarkMode, get_force_dark_mode, set_force_dark_mode, false, const) \
    X(BOOL, fullscreenSupportEnabled, get_fullscreen_support_enabled, set_fullscreen_support_enabled, false, const) \
    X(BOOL, hyperlinkAuditingEnabled, get_hyperlink_auditing_enabled, set_hyperlink_auditing_enabled, false, const) \
    X(BOOL, javascriptCanAccessClipboard, get_javascript_can_access_clipboard, set_javascript_can_access_clipboard, false, const) \
    X(BOOL, javascriptCanOpenWindows, get_javascript_can_open_windows, set_javascript_can_open_windows, true, const) \
    X(BOOL, javascriptCanPaste, get_javascript_can_paste, set_javascript_can_paste, false, const) \
    X(BOOL, javascriptEnabled, get_javascript_enabled, set_javascript_enabled, true, const) \
    X(BOOL, linksIncludedInFocusChain, get_links_included_in_focus_chain, set_links_included_in_focus_chain, true, const) \
    X(BOOL, localContentCanAccessFileUrls, get_local_content_can_access_file_urls, set_local_content_can_access_file_urls, true, const) \
    X(BOOL, localContentCanAccessRemoteUrls, get_local_content_can_access_remote_urls, set_local_content_can_access_remote_urls, true, const) \
    X(BOOL, localStorageEnabled, get_local_storage_enabled, set_local_storage_enabled, true, ) \
    X(BOOL, navigateOnDropEnabled, get_navigate_on_drop_enabled, set_navigate_on_drop_enabled, true, const) \
    X(BOOL, pdfViewerEnabled, get_pdf_viewer_enabled, set_pdf_viewer_enabled, true, const) \
    X(BOOL, playbackRequiresUserGesture, get_playback_requires_user_gesture, set_playback_requires_user_gesture, false, const) \
    X(BOOL, pluginsEnabled, get_plugins_enabled, set_plugins_enabled, false, const) \
    X(BOOL, printElementBackgrounds, get_print_element_backgrounds, set_print_element_backgrounds, true, const) \
    X(BOOL, readingFromCanvasEnabled, get_reading_from_canvas_enabled, set_reading_from_canvas_enabled, true, const) \
    X(BOOL, screenCaptureEnabled, get_screen_capture_enabled, set_screen_capture_enabled, false, const) \
    X(BOOL, showScrollBars, get_show_scroll_bars, set_show_scroll_bars, false, ) \
    X(BOOL, spatialNavigationEnabled, get_spatial_navigation_enabled, set_spatial_navigation_enabled, false, const) \
    X(BOOL, touchIconsEnabled, get_touch_icons_enabled, set_touch_icons_enabled, false, const) \
    X(INT, unknownUrlSchemePolicy, get_unknown_url_scheme_policy, set_unknown_url_scheme_policy, 0, const) \
    X(BOOL, webGLEnabled, get_webGLenabled, set_webGLenabled, true, const) \
    X(BOOL, webRTCPublicInterfacesOnly, get_webRTCpublic_interfaces_only, set_webRTCpublic_interfaces_only, false, const)

// The host's types of each kind: what a getter returns and what a setter takes.
#define SORVANE_WEB_SETTING_RESULT_BOOL bool
#define SORVANE_WEB_SETTING_RESULT_TEXT std::string
#define SORVANE_WEB_SETTING_RESULT_INT int
#define SORVANE_WEB_SETTING_ARGUMENT_BOOL bool
#define SORVANE_WEB_SETTING_ARGUMENT_TEXT const std::string&
#define SORVANE_WEB_SETTING_ARGUMENT_INT int

namespace sorvane {

// A view that shows web pages.
//
// Every operation waits for the Qt thread unless stated otherwise. A facade without a view
// (after destroy()) answers false, 0, 0.0 or an empty text at once. The operations marked
// "shared profile" act on the one web profile that every web view uses, not on this view; they
// work whatever the state of the view and do nothing before S::create_app() has run.
class SORVANE_EXPORT SWebView : public SView {
public:
    SWebView();

    // Builds the view's pipeline and its page (after set_view_monitor, set_statistics_monitor
    // and set_resolution). Returns false, with a warning, when it cannot.
    bool load() const;

    // The page's address (default "about:blank"). Setting it, even to the same value, loads it.
    // get_url answers the address of the page the view shows: the one set last, until the page
    // goes elsewhere by itself (a link, a new window opened in this view, history, a redirect)
    // or the navigation handler refuses it.
    void set_url(std::string url) const;
    std::string get_url() const;
    // Shows the HTML text `html` as if it came from `base_url`.
    void load_html(std::string html, std::string base_url) const;

    // History. Without a loaded page they do nothing and the queries answer false.
    void back() const;
    void forward() const;
    void reload() const;
    void reload_and_bypass_cache() const;
    void back_or_forward(int offset) const;
    bool can_go_back() const;
    bool can_go_forward() const;

    // Runs a script in the page. Posted: returns at once, without a result.
    void run_javascript(const std::string& script) const;

    // The colour behind the page (a CSS colour text; default "transparent").
    void set_background_color(const std::string& color) const;
    std::string get_background_color() const;

    // Zoom in percent: every multiple of 25 from 25 to 500 gives percent / 100; any other value
    // gives 2.0, the initial zoom.
    void set_zoom_factor(int percent);
    double get_zoom_factor() const;
    // The factor a percentage gives. Runs on the caller's thread.
    static double _translate_zoom_factor(int percent);

    // Shared profile: the HTTP user agent of every page. The view's own user agent text, which
    // get_user_agent answers, does not change.
    void set_user_agent(const std::string& user_agent);
    std::string get_user_agent() const;
    // Shared profile: off-the-record mode (no cookies kept on disk while it is on).
    void set_otr(bool enabled);
    // Shared profile: where pages keep their storage and their cache.
    void set_storage_path(const std::string& path);
    // Shared profile: stores a cookie. `same_site` is "none", "lax" or "strict" (exactly; any
    // other text leaves the policy to the web engine); `expiry` is in seconds since the epoch.
    void set_cookie(std::string domain, std::string path, std::string name, std::string value, bool secure,
                    std::string same_site, long expiry) const;

    // The process-wide option opts::GPU_DISABLED, read and written on the caller's thread. It
    // takes effect only when S::create_app() starts the application.
    void set_disable_gpu(bool disabled);
    bool get_disable_gpu();

    // Callbacks, called on the Qt thread. Never call a waiting operation from inside them.
    //
    // Loading changes: status (0 started, 1 stopped, 2 succeeded, 3 failed), address, error
    // domain (a name such as "ConnectionErrorDomain"; "NoErrorDomain" when there is none;
    // "HttpStatusCodeDomain" with the HTTP status as the code for a page that came with one),
    // error text (only for a failed load) and error code.
    void set_func_loading_changed(std::function<void(int, std::string, std::string, std::string, int)> func) const;
    // Asked before every navigation with the address and the navigation type (for example
    // "LinkClickedNavigation", "TypedNavigation", "RedirectNavigation"); false refuses it.
    // Without a handler every navigation proceeds.
    void set_func_navigation_handler(std::function<bool(std::string, std::string)> func) const;

    // The page's renderer process ended: the web engine's termination status (0 normal, 1
    // abnormal, 2 crashed, 3 killed; a renderer out of memory crashes or is killed) and the
    // process's exit code. Whether or not a callback is set, the view then reloads its page once
    // by itself, with a warning. A renderer that ends again within 30 s of such a reload is
    // reported (callback and warning) and not reloaded, so a page that always crashes does not
    // loop: it stays away until the host calls reload() or set_url().
    void set_func_render_process_terminated(std::function<void(int status, int exit_code)> func) const;

    // The page asks for a new window (window.open(), a link with target="_blank", ...): the
    // address, and the web engine's name of where it wants it: "InNewTab", "InNewBackgroundTab",
    // "InNewWindow" or "InNewDialog" (a pop-up window). True: the host takes it over (for
    // example by opening the address in another view) and this view does nothing more. False,
    // or no callback: the address opens in this view, as a navigation that the navigation
    // handler is asked about like any other.
    void set_func_new_window_requested(std::function<bool(std::string url, std::string disposition)> func) const;

    // The page asks for a permission: its origin ("https://example.com", without a path) and
    // one of the names "clipboard-read-write", "camera", "microphone", "camera-and-microphone",
    // "screen-capture", "screen-capture-with-audio", "notifications", "geolocation",
    // "pointer-lock" and "local-fonts". True grants that one request, false denies it; nothing
    // is remembered, so the callback is asked at every request. Without a callback every
    // request is denied at once. Notes on what the web engine does around it:
    // - Clipboard: with both javascript_can_access_clipboard and javascript_can_paste on, the
    //   page reads and writes the clipboard without asking. Otherwise it asks, and it asks the
    //   one permission "clipboard-read-write" for reading and for writing alike: granting it
    //   lets that request read the clipboard even when it was meant to write.
    // - Screen capture (only with screen_capture_enabled on): granting it gives the page the
    //   whole primary screen.
    // - Camera and microphone: on a machine without such a device the page is told so and no
    //   permission is asked.
    // set_func_permission_requested_later, below, answers later instead.
    void set_func_permission_requested(std::function<bool(std::string origin, std::string permission)> func) const;

    // The page opens a file chooser (an <input type="file"> the player clicked, or the file
    // system access API): the mode (0 open one file, 1 open several, 2 a folder, 3 save) and the
    // types the page accepts, as it wrote them (MIME types such as "image/png" or "image/*",
    // and file name endings such as ".txt"; empty when it accepts anything). Answer absolute
    // paths of the files chosen, empty to cancel; relative paths are left out with a warning.
    // Without a callback every chooser is cancelled at once; set_func_file_dialog_requested_later,
    // below, answers later instead.
    void set_func_file_dialog_requested(
        std::function<std::vector<std::string>(int mode, std::vector<std::string> accepted_types)> func) const;

    // Requests answered later. With one of these callbacks set, the page's request is not
    // answered when the callback returns: it waits, under the number `id` (unique in the
    // process), until the host answers it with answer_permission_request or
    // answer_file_dialog_request, from any thread and at any time (inside the callback too).
    // Meanwhile the page goes on; only the promise or the chooser waits. The arguments are those
    // of the synchronous callbacks above, and a later callback takes precedence over its
    // synchronous one. A request still waiting gets the safe default (denied, cancelled) when
    // the page starts loading another address, when the view is reset and when it is destroyed.
    // An id that is unknown or already answered is ignored with a warning.
    //
    // Downloads and new windows have no later variant: the web engine drops a download that is
    // not accepted while it is being offered, and a new window must be placed before the page's
    // window.open() returns.
    void set_func_permission_requested_later(
        std::function<void(int id, std::string origin, std::string permission)> func) const;
    // Grants or denies the waiting permission request `id`. Posted: returns at once.
    void answer_permission_request(int id, bool granted) const;
    void set_func_file_dialog_requested_later(
        std::function<void(int id, int mode, std::vector<std::string> accepted_types)> func) const;
    // Answers the waiting file chooser `id` with absolute paths as set_func_file_dialog_requested
    // takes them; empty cancels it. Posted: returns at once.
    void answer_file_dialog_request(int id, std::vector<std::string> files) const;

    // The page starts a download (a link with the download attribute, or a response the web
    // engine cannot show): its address, the file name the server or page suggests and its MIME
    // type. Answer the absolute path to save it to (a file there is replaced; missing folders
    // are created), or an empty text to refuse it. While it runs, the data goes to that path
    // followed by ".download", which is renamed to the path when it completes and removed when
    // it fails. Without a callback, or for a relative path, the download is refused (with a
    // warning): nothing is written anywhere the host did not name. Destroying the view cancels
    // its downloads still running.
    void set_func_download_requested(
        std::function<std::string(std::string url, std::string suggested_name, std::string mime_type)> func) const;
    // A download the host accepted has ended: its path, and whether it completed (false when it
    // failed or was cancelled).
    void set_func_download_finished(std::function<void(std::string path, bool ok)> func) const;

    // Engine objects in the page (data binding). The page reaches a registered object as
    // godot.<name>: it reads and writes its properties, calls its methods and listens to its
    // signals (see sorvane/db.h for the descriptions and their ownership).
    //
    // Registers `object` under `name`, which must be the object's own name. Before load() the
    // registration waits (a second one under the same name replaces, and deletes, the first);
    // objects registered when the page connects are the ones it sees. The library takes the
    // object over, unless the name is already taken: then it warns and leaves `object` to the
    // caller (webchannel_getObject tells which object holds the name). True whenever the view
    // exists. Waits for the Qt thread: never call it from inside a callback of this library.
    bool webchannel_registerObject(const std::string& name, sorvane::db::AbstractContextObjectStd* object);
    // Deregisters and deletes the object of that name; the page hears of it. Before load() it
    // only warns. True whenever the view exists. Waits for the Qt thread, like registration.
    bool webchannel_deregisterObject(const std::string& name);
    // The object registered under `name` since load(), or null. Runs on the caller's thread.
    sorvane::db::AbstractContextObjectStd* webchannel_getObject(const std::string& name);

    // Which pages reach the registered objects (the page's `godot` bridge), by origin. An entry
    // is "*" (every page), "scheme://" (every page of that scheme, for example "res://" for the
    // host's own pages) or an origin "scheme://host[:port]" such as "https://example.com".
    // A page of any other origin, before or after a navigation in the same view, finds nothing
    // on the web channel: no bridge, no object, and its calls, writes and listeners reach
    // nothing; a warning names each refused origin once. The decision follows the page's main
    // frame: frames inside an allowed page share its bridge. Without a call every page is
    // allowed ({"*"}); an empty list refuses every page. Waits for the Qt thread.
    void set_bridge_allowed_origins(std::vector<std::string> origins) const;
    std::vector<std::string> get_bridge_allowed_origins() const;

    // --- Sound ---------------------------------------------------------------------------------
    // Mutes all of the page's sound (media elements and Web Audio alike) through the web engine.
    // Default false.
    void set_audio_muted(bool muted) const;
    bool get_audio_muted() const;
    // The volume of the page's <audio> and <video> elements, 0.0 to 1.0 (clamped; 1.0 until set).
    // The web engine has no volume per page: once set, the view holds every media element of
    // each document (and of its frames) at this volume, those created later included, from a
    // script world of its own that the page cannot see. The page's own volume settings give way
    // to it at each load or play; sound made with Web Audio, and media elements never added to
    // a document, keep their own volume (mute covers them).
    void set_audio_volume(float volume) const;
    float get_audio_volume() const;
    // Whether the page played sound in the last moments, as the web engine tells it: it turns
    // off a little while after the sound stops, and it does not tell whether the view is muted.
    bool get_recently_audible() const;
    // Called on the Qt thread when get_recently_audible() changes.
    void set_func_recently_audible_changed(std::function<void(bool audible)> func) const;

    // The web settings of the table above.
#define SORVANE_DECLARE_WEB_SETTING(kind, property, getter, setter, initial, qualifier) \
    SORVANE_WEB_SETTING_RESULT_##kind getter() qualifier;                             \
    void setter(SORVANE_WEB_SETTING_ARGUMENT_##kind value) const;
    SORVANE_WEB_SETTINGS(SORVANE_DECLARE_WEB_SETTING)
#undef SORVANE_DECLARE_WEB_SETTING
};

}  // namespace sorvane
