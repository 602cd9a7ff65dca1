// The exported interface as an engine extension declares it, written out here on its own (this
// file does not include the library's headers). Linking it against libsorvane.so.0 fails with an
// undefined reference for every exported name whose signature has drifted: const-ness,
// parameter and result types, reference or value. Keep it in step with the contract, not with
// the headers: a failure here means an extension built from the contract would not load.

#include <vulkan/vulkan_core.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

class QApplication;

namespace sorvane {

class View;
class SorvaneCtx;

extern void* SORVANE;
extern QApplication* SORVANE_APP;
extern SorvaneCtx* SORVANE_CTX;

namespace opts {
extern std::string PATH_PROJECT_ROOT;
extern bool LOGGING_DEBUG;
extern bool FFMPEG_DEBUG;
extern bool GPU_DISABLED;
extern bool SANDBOXED;
extern int REMOTE_DEBUGGING_PORT;
extern std::string FFMPEG_PROTOCOL_WHITELIST;
}  // namespace opts

namespace db {
struct AbstractContextObjectStd;
}

using TextMap = std::map<std::string, std::string>;

class S {
public:
    static void create_app();
    static void _create_app();
    static void ensure_qt_eventloop_is_running();
    static void processEvents();
    static void destroy();
    static std::string get_version_full();
    static void set_ffmpeg_debug(bool);
    static void set_ffmpeg_protocol_whitelist(std::string);
};

class SView {
public:
    SView();
    virtual void reset() const;
    void destroy();
    void set_view_monitor(VkInstance_T*& instance);
    void set_statistics_monitor(VkPhysicalDevice_T*& physical_device, VkDevice_T*& device);
    void set_resolution(std::tuple<unsigned, unsigned> size);
    std::tuple<unsigned, unsigned> get_resolution() const;
    void set_refresh_rate(int rate);
    int get_refresh_rate() const;
    void set_mipmaps_enabled(bool enabled);
    int get_mips_count() const;
    void set_texture_layout(int layout);
    int get_texture_layout() const;
    int get_content_mips_count() const;
    unsigned long get_texture() const;
    void render() const;
    void set_render_ahead(bool enabled);
    bool get_render_ahead() const;
    int get_textures_count() const;
    unsigned long get_texture_at(int index) const;
    int get_current_texture_index() const;
    // Written without const in one table and with it in another: both are exported.
    void set_func_javascript_console_log(std::function<void(int, std::string, int, std::string)>);
    void set_func_javascript_console_log(std::function<void(int, std::string, int, std::string)>) const;
    void mouse_move(unsigned x, unsigned y) const;
    void mouse_click(unsigned short button, unsigned short state, unsigned x, unsigned y) const;
    void mouse_wheel_up(unsigned x, unsigned y) const;
    void mouse_wheel_down(unsigned x, unsigned y) const;
    void key_event(unsigned key, unsigned short state, const std::string& text) const;
    void ime_event(std::string preedit, int cursor, std::string commit) const;
    std::tuple<int, int, int, int> get_ime_rect() const;
    void set_func_resource_file(std::function<unsigned char*(std::string, bool&, unsigned long&)>);
    void set_func_resource_file_free(std::function<void()>);
    std::vector<TextMap> get_physical_screens() const;

protected:
    View* m_view;
};

class SQuickView : public SView {
public:
    SQuickView();
    bool load(std::string module, std::string name) const;
    bool load_file(std::string path) const;
};

#define BOOL_SETTING(getter, setter) \
    bool getter() const;             \
    void setter(bool) const;
#define BOOL_SETTING_NONCONST_GETTER(getter, setter) \
    bool getter();                                   \
    void setter(bool) const;

class SWebView : public SView {
public:
    SWebView();
    bool load() const;
    void set_url(std::string) const;
    std::string get_url() const;
    void load_html(std::string, std::string) const;
    void back() const;
    void forward() const;
    void reload() const;
    void reload_and_bypass_cache() const;
    void back_or_forward(int) const;
    bool can_go_back() const;
    bool can_go_forward() const;
    void run_javascript(const std::string&) const;
    void set_background_color(const std::string&) const;
    std::string get_background_color() const;
    void set_zoom_factor(int);
    double get_zoom_factor() const;
    double _translate_zoom_factor(int);
    void set_user_agent(const std::string&);
    std::string get_user_agent() const;
    void set_otr(bool);
    void set_storage_path(const std::string&);
    void set_cookie(std::string domain, std::string path, std::string name, std::string value, bool secure,
                    std::string same_site, long expiry) const;
    void set_disable_gpu(bool);
    bool get_disable_gpu();
    void set_func_loading_changed(std::function<void(int, std::string, std::string, std::string, int)>) const;
    void set_func_navigation_handler(std::function<bool(std::string, std::string)>) const;
    void set_func_render_process_terminated(std::function<void(int, int)>) const;
    void set_func_new_window_requested(std::function<bool(std::string, std::string)>) const;
    void set_func_permission_requested(std::function<bool(std::string, std::string)>) const;
    void set_func_file_dialog_requested(
        std::function<std::vector<std::string>(int, std::vector<std::string>)>) const;
    void set_func_permission_requested_later(std::function<void(int, std::string, std::string)>) const;
    void answer_permission_request(int, bool) const;
    void set_func_file_dialog_requested_later(std::function<void(int, int, std::vector<std::string>)>) const;
    void answer_file_dialog_request(int, std::vector<std::string>) const;
    void set_func_download_requested(std::function<std::string(std::string, std::string, std::string)>) const;
    void set_func_download_finished(std::function<void(std::string, bool)>) const;
    bool webchannel_registerObject(const std::string& name, db::AbstractContextObjectStd* object);
    bool webchannel_deregisterObject(const std::string& name);
    db::AbstractContextObjectStd* webchannel_getObject(const std::string& name);
    void set_bridge_allowed_origins(std::vector<std::string>) const;
    std::vector<std::string> get_bridge_allowed_origins() const;

    BOOL_SETTING(get_accelerated2d_canvas_enabled, set_accelerated2d_canvas_enabled)
    BOOL_SETTING(get_allow_geolocation_on_insecure_origins, set_allow_geolocation_on_insecure_origins)
    BOOL_SETTING(get_allow_running_insecure_content, set_allow_running_insecure_content)
    BOOL_SETTING(get_allow_window_activation_from_javascript, set_allow_window_activation_from_javascript)
    BOOL_SETTING(get_auto_load_icons_for_page, set_auto_load_icons_for_page)
    BOOL_SETTING(get_auto_load_images, set_auto_load_images)
    std::string get_default_text_encoding() const;
    void set_default_text_encoding(const std::string&) const;
    BOOL_SETTING(get_dns_prefetch_enabled, set_dns_prefetch_enabled)
    BOOL_SETTING(get_error_page_enabled, set_error_page_enabled)
    BOOL_SETTING(get_focus_on_navigation_enabled, set_focus_on_navigation_enabled)
    BOOL_SETTING(get_force_dark_mode, set_force_dark_mode)
    BOOL_SETTING(get_fullscreen_support_enabled, set_fullscreen_support_enabled)
    BOOL_SETTING(get_hyperlink_auditing_enabled, set_hyperlink_auditing_enabled)
    BOOL_SETTING(get_javascript_can_access_clipboard, set_javascript_can_access_clipboard)
    BOOL_SETTING(get_javascript_can_open_windows, set_javascript_can_open_windows)
    BOOL_SETTING(get_javascript_can_paste, set_javascript_can_paste)
    BOOL_SETTING(get_javascript_enabled, set_javascript_enabled)
    BOOL_SETTING(get_links_included_in_focus_chain, set_links_included_in_focus_chain)
    BOOL_SETTING(get_local_content_can_access_file_urls, set_local_content_can_access_file_urls)
    BOOL_SETTING(get_local_content_can_access_remote_urls, set_local_content_can_access_remote_urls)
    BOOL_SETTING_NONCONST_GETTER(get_local_storage_enabled, set_local_storage_enabled)
    BOOL_SETTING(get_navigate_on_drop_enabled, set_navigate_on_drop_enabled)
    BOOL_SETTING(get_pdf_viewer_enabled, set_pdf_viewer_enabled)
    BOOL_SETTING(get_playback_requires_user_gesture, set_playback_requires_user_gesture)
    BOOL_SETTING(get_plugins_enabled, set_plugins_enabled)
    BOOL_SETTING(get_print_element_backgrounds, set_print_element_backgrounds)
    BOOL_SETTING(get_reading_from_canvas_enabled, set_reading_from_canvas_enabled)
    BOOL_SETTING(get_screen_capture_enabled, set_screen_capture_enabled)
    BOOL_SETTING_NONCONST_GETTER(get_show_scroll_bars, set_show_scroll_bars)
    BOOL_SETTING(get_spatial_navigation_enabled, set_spatial_navigation_enabled)
    BOOL_SETTING(get_touch_icons_enabled, set_touch_icons_enabled)
    int get_unknown_url_scheme_policy() const;
    void set_unknown_url_scheme_policy(int) const;
    BOOL_SETTING(get_webGLenabled, set_webGLenabled)
    BOOL_SETTING(get_webRTCpublic_interfaces_only, set_webRTCpublic_interfaces_only)
    void set_audio_muted(bool) const;
    bool get_audio_muted() const;
    void set_audio_volume(float) const;
    float get_audio_volume() const;
    bool get_recently_audible() const;
    void set_func_recently_audible_changed(std::function<void(bool)>) const;
};

// The media facades' tables leave const-ness open; the library declares these members const,
// so that is what extensions are built against.
class SVideoPlayerView : public SQuickView {
public:
    SVideoPlayerView();
    void reset() const override;
    void set_source(std::string) const;
    std::string get_source() const;
    void play() const;
    void pause() const;
    void stop() const;
    void set_auto_play(bool) const;
    void set_position(unsigned long) const;
    long long get_position() const;
    long long get_duration() const;
    void set_volume(float) const;
    float get_volume() const;
    void set_muted(bool) const;
    bool get_muted() const;
    void set_playback_rate(double) const;
    double get_playback_rate() const;
    void set_loops(unsigned int) const;
    int get_loops() const;
    void set_fill_mode(unsigned int) const;
    unsigned int get_fill_mode() const;
    void set_controls(bool) const;
    bool get_controls() const;
    void set_controls_auto_hide(bool) const;
    bool get_controls_auto_hide() const;
    int get_playback_state() const;
    int get_media_status() const;
    int get_error() const;
    std::string get_error_string() const;
    bool get_seekable() const;
    bool get_has_audio() const;
    bool get_has_video() const;
    float get_buffer_progress() const;
    void set_active_audio_track(int) const;
    void set_active_video_track(int) const;
    void set_active_subtitle_track(int) const;
    int get_active_audio_track() const;
    int get_active_video_track() const;
    int get_active_subtitle_track() const;
    std::string get_current_subtitle_name() const;
    std::vector<TextMap> get_audio_tracks() const;
    std::vector<TextMap> get_video_tracks() const;
    std::vector<TextMap> get_subtitle_tracks() const;
    TextMap get_metadata() const;
    void set_func_on_active_tracks_changed(std::function<void()>) const;
    void set_func_on_audio_buffer_output_changed(std::function<void()>) const;
    void set_func_on_audio_output_changed(std::function<void()>) const;
    void set_func_on_buffer_progress_changed(std::function<void(float)>) const;
    void set_func_on_duration_changed(std::function<void(long long)>) const;
    void set_func_on_error_changed(std::function<void()>) const;
    void set_func_on_error_occurred(std::function<void(int, std::string)>) const;
    void set_func_on_has_audio_changed(std::function<void(bool)>) const;
    void set_func_on_has_video_changed(std::function<void(bool)>) const;
    void set_func_on_loops_changed(std::function<void()>) const;
    void set_func_on_media_status_changed(std::function<void(int)>) const;
    void set_func_on_metadata_changed(std::function<void()>) const;
    void set_func_on_playback_rate_changed(std::function<void(float)>) const;
    void set_func_on_playback_state_changed(std::function<void(int)>) const;
    void set_func_on_playing_changed(std::function<void(bool)>) const;
    void set_func_on_position_changed(std::function<void(long long)>) const;
    void set_func_on_seekable_changed(std::function<void(bool)>) const;
    void set_func_on_source_changed(std::function<void(std::string)>) const;
    void set_func_on_tracks_changed(std::function<void()>) const;
    void set_func_on_video_output_changed(std::function<void()>) const;
    void set_func_on_muted_changed(std::function<void(bool)>) const;
    void set_func_on_volume_changed(std::function<void(float)>) const;
    void set_audio_to_host(bool) const;
    bool get_audio_to_host() const;
    void set_audio_to_host_format(int, int) const;
    void set_func_audio_received(std::function<void(const float*, int, int, int)>) const;
};

class SCameraView : public SQuickView {
public:
    SCameraView();
    void set_camera_hint(std::string) const;
    void start() const;
    void stop() const;
    void set_active(bool) const;
    void set_auto_play(bool) const;
    void set_fill_mode(unsigned int) const;
    unsigned int get_fill_mode() const;
    bool get_is_active() const;
    bool is_available() const;
    int get_error() const;
    std::string get_error_string() const;
    int get_supported_features() const;
    int get_color_temperature() const;
    void set_color_temperature(int) const;
    float get_exposure_compensation() const;
    void set_exposure_compensation(float) const;
    int get_exposure_mode() const;
    void set_exposure_mode(int) const;
    bool is_exposure_mode_supported(int) const;
    float get_exposure_time() const;
    float get_manual_exposure_time() const;
    void set_manual_exposure_time(float) const;
    void set_auto_exposure_time() const;
    float minimum_exposure_time() const;
    float maximum_exposure_time() const;
    int get_flash_mode() const;
    void set_flash_mode(int) const;
    bool is_flash_mode_supported(int) const;
    bool get_is_flash_ready() const;
    int get_focus_mode() const;
    void set_focus_mode(int) const;
    bool is_focus_mode_supported(int) const;
    float get_focus_distance() const;
    void set_focus_distance(float) const;
    std::vector<float> get_focus_point() const;
    std::vector<float> get_custom_focus_point() const;
    void set_custom_focus_point(std::vector<float>) const;
    int get_iso_sensitivity() const;
    int get_manual_iso_sensitivity() const;
    void set_manual_iso_sensitivity(int) const;
    void set_auto_iso_sensitivity() const;
    int minimum_iso_sensitivity() const;
    int maximum_iso_sensitivity() const;
    int get_torch_mode() const;
    void set_torch_mode(int) const;
    bool is_torch_mode_supported(int) const;
    int get_white_balance_mode() const;
    void set_white_balance_mode(int) const;
    bool is_white_balance_mode_supported(int) const;
    float get_zoom_factor() const;
    void set_zoom_factor(float) const;
    float get_minimum_zoom_factor() const;
    float get_maximum_zoom_factor() const;
    void zoom_to(float factor, float rate) const;
    void set_func_active_changed(std::function<void()>) const;
    void set_func_camera_device_changed(std::function<void()>) const;
    void set_func_camera_format_changed(std::function<void()>) const;
    void set_func_color_temperature_changed(std::function<void()>) const;
    void set_func_custom_focus_point_changed(std::function<void()>) const;
    void set_func_error_changed(std::function<void()>) const;
    void set_func_error_occurred(std::function<void(int, std::string)>) const;
    void set_func_exposure_compensation_changed(std::function<void(float)>) const;
    void set_func_exposure_mode_changed(std::function<void()>) const;
    void set_func_exposure_time_changed(std::function<void(float)>) const;
    void set_func_flash_mode_changed(std::function<void()>) const;
    void set_func_flash_ready(std::function<void(bool)>) const;
    void set_func_focus_distance_changed(std::function<void()>) const;
    void set_func_focus_mode_changed(std::function<void()>) const;
    void set_func_focus_point_changed(std::function<void()>) const;
    void set_func_iso_sensitivity_changed(std::function<void(int)>) const;
    void set_func_manual_exposure_time_changed(std::function<void(float)>) const;
    void set_func_manual_iso_sensitivity_changed(std::function<void()>) const;
    void set_func_maximum_zoom_factor_changed(std::function<void()>) const;
    void set_func_minimum_zoom_factor_changed(std::function<void()>) const;
    void set_func_supported_features_changed(std::function<void()>) const;
    void set_func_torch_mode_changed(std::function<void()>) const;
    void set_func_white_balance_mode_changed(std::function<void()>) const;
    void set_func_zoom_factor_changed(std::function<void()>) const;
};

class SScreenCaptureView : public SQuickView {
public:
    SScreenCaptureView();
    void set_active(bool) const;
    void set_physical_screen(std::string) const;
};

}  // namespace sorvane

namespace {

int g_checked = 0;

// Keeps a reference to the named function or variable in the object file, so the linker must
// find it in the library.
template <typename P>
void keep(P pointer)
{
    static volatile unsigned char sink;
    unsigned char bytes[sizeof(P)];
    std::memcpy(bytes, &pointer, sizeof(P));
    sink = bytes[0];
    ++g_checked;
}

}  // namespace

// Never called: it only makes the constructors referenced.
void construct_every_facade()
{
    sorvane::SView view;
    sorvane::SQuickView quick;
    sorvane::SWebView web;
    sorvane::SVideoPlayerView video;
    sorvane::SCameraView camera;
    sorvane::SScreenCaptureView capture;
}

int main(int argc, char**)
{
    using namespace sorvane;
    if (argc > 1)  // keeps the compiler from dropping the constructor calls
        construct_every_facade();

    keep(&SORVANE);
    keep(&SORVANE_APP);
    keep(&SORVANE_CTX);
    keep(&opts::PATH_PROJECT_ROOT);
    keep(&opts::LOGGING_DEBUG);
    keep(&opts::FFMPEG_DEBUG);
    keep(&opts::GPU_DISABLED);
    keep(&opts::SANDBOXED);
    keep(&opts::REMOTE_DEBUGGING_PORT);
    keep(&opts::FFMPEG_PROTOCOL_WHITELIST);

    keep(&S::create_app);
    keep(&S::_create_app);
    keep(&S::ensure_qt_eventloop_is_running);
    keep(&S::processEvents);
    keep(&S::destroy);
    keep(&S::get_version_full);
    keep(&S::set_ffmpeg_debug);
    keep(&S::set_ffmpeg_protocol_whitelist);

    // The virtual reset is named through a qualified call, which the linker must resolve.
    struct Reset {
        static void of(const SView& v) { v.SView::reset(); }
        static void of_video(const SVideoPlayerView& v) { v.SVideoPlayerView::reset(); }
    };
    keep(&Reset::of);
    keep(&Reset::of_video);

    keep(&SView::destroy);
    keep(&SView::set_view_monitor);
    keep(&SView::set_statistics_monitor);
    keep(static_cast<void (SView::*)(std::tuple<unsigned, unsigned>)>(&SView::set_resolution));
    keep(&SView::get_resolution);
    keep(static_cast<void (SView::*)(int)>(&SView::set_refresh_rate));
    keep(&SView::get_refresh_rate);
    keep(static_cast<void (SView::*)(bool)>(&SView::set_mipmaps_enabled));
    keep(&SView::get_mips_count);
    keep(&SView::set_texture_layout);
    keep(&SView::get_texture_layout);
    keep(&SView::get_content_mips_count);
    keep(&SView::get_texture);
    keep(&SView::render);
    keep(&SView::set_render_ahead);
    keep(&SView::get_render_ahead);
    keep(&SView::get_textures_count);
    keep(&SView::get_texture_at);
    keep(&SView::get_current_texture_index);
    using ConsoleLog = std::function<void(int, std::string, int, std::string)>;
    keep(static_cast<void (SView::*)(ConsoleLog)>(&SView::set_func_javascript_console_log));
    keep(static_cast<void (SView::*)(ConsoleLog) const>(&SView::set_func_javascript_console_log));
    keep(&SView::mouse_move);
    keep(&SView::mouse_click);
    keep(&SView::mouse_wheel_up);
    keep(&SView::mouse_wheel_down);
    keep(&SView::key_event);
    keep(&SView::ime_event);
    keep(&SView::get_ime_rect);
    keep(&SView::set_func_resource_file);
    keep(&SView::set_func_resource_file_free);
    keep(&SView::get_physical_screens);

    keep(&SQuickView::load);
    keep(&SQuickView::load_file);

#define KEEP(cls, name) keep(&cls::name);
#define WEB(name) KEEP(SWebView, name)
    WEB(set_audio_muted) WEB(get_audio_muted) WEB(set_audio_volume) WEB(get_audio_volume)
    WEB(get_recently_audible) WEB(set_func_recently_audible_changed)
    WEB(load) WEB(set_url) WEB(get_url) WEB(load_html) WEB(back) WEB(forward) WEB(reload)
    WEB(reload_and_bypass_cache) WEB(back_or_forward) WEB(can_go_back) WEB(can_go_forward)
    WEB(run_javascript) WEB(set_background_color) WEB(get_background_color) WEB(set_zoom_factor)
    WEB(get_zoom_factor) WEB(_translate_zoom_factor) WEB(set_user_agent) WEB(get_user_agent) WEB(set_otr)
    WEB(set_storage_path) WEB(set_cookie) WEB(set_disable_gpu) WEB(get_disable_gpu)
    WEB(set_func_loading_changed) WEB(set_func_navigation_handler) WEB(webchannel_registerObject)
    WEB(webchannel_deregisterObject) WEB(webchannel_getObject)
    WEB(set_bridge_allowed_origins) WEB(get_bridge_allowed_origins)
    WEB(set_func_render_process_terminated) WEB(set_func_new_window_requested)
    WEB(set_func_permission_requested) WEB(set_func_file_dialog_requested)
    WEB(set_func_download_requested) WEB(set_func_download_finished)
    WEB(set_func_permission_requested_later) WEB(answer_permission_request)
    WEB(set_func_file_dialog_requested_later) WEB(answer_file_dialog_request)
#define WEB_SETTING(getter, setter) WEB(getter) WEB(setter)
    WEB_SETTING(get_accelerated2d_canvas_enabled, set_accelerated2d_canvas_enabled)
    WEB_SETTING(get_allow_geolocation_on_insecure_origins, set_allow_geolocation_on_insecure_origins)
    WEB_SETTING(get_allow_running_insecure_content, set_allow_running_insecure_content)
    WEB_SETTING(get_allow_window_activation_from_javascript, set_allow_window_activation_from_javascript)
    WEB_SETTING(get_auto_load_icons_for_page, set_auto_load_icons_for_page)
    WEB_SETTING(get_auto_load_images, set_auto_load_images)
    WEB_SETTING(get_default_text_encoding, set_default_text_encoding)
    WEB_SETTING(get_dns_prefetch_enabled, set_dns_prefetch_enabled)
    WEB_SETTING(get_error_page_enabled, set_error_page_enabled)
    WEB_SETTING(get_focus_on_navigation_enabled, set_focus_on_navigation_enabled)
    WEB_SETTING(get_force_dark_mode, set_force_dark_mode)
    WEB_SETTING(get_fullscreen_support_enabled, set_fullscreen_support_enabled)
    WEB_SETTING(get_hyperlink_auditing_enabled, set_hyperlink_auditing_enabled)
    WEB_SETTING(get_javascript_can_access_clipboard, set_javascript_can_access_clipboard)
    WEB_SETTING(get_javascript_can_open_windows, set_javascript_can_open_windows)
    WEB_SETTING(get_javascript_can_paste, set_javascript_can_paste)
    WEB_SETTING(get_javascript_enabled, set_javascript_enabled)
    WEB_SETTING(get_links_included_in_focus_chain, set_links_included_in_focus_chain)
    WEB_SETTING(get_local_content_can_access_file_urls, set_local_content_can_access_file_urls)
    WEB_SETTING(get_local_content_can_access_remote_urls, set_local_content_can_access_remote_urls)
    WEB_SETTING(get_local_storage_enabled, set_local_storage_enabled)
    WEB_SETTING(get_navigate_on_drop_enabled, set_navigate_on_drop_enabled)
    WEB_SETTING(get_pdf_viewer_enabled, set_pdf_viewer_enabled)
    WEB_SETTING(get_playback_requires_user_gesture, set_playback_requires_user_gesture)
    WEB_SETTING(get_plugins_enabled, set_plugins_enabled)
    WEB_SETTING(get_print_element_backgrounds, set_print_element_backgrounds)
    WEB_SETTING(get_reading_from_canvas_enabled, set_reading_from_canvas_enabled)
    WEB_SETTING(get_screen_capture_enabled, set_screen_capture_enabled)
    WEB_SETTING(get_show_scroll_bars, set_show_scroll_bars)
    WEB_SETTING(get_spatial_navigation_enabled, set_spatial_navigation_enabled)
    WEB_SETTING(get_touch_icons_enabled, set_touch_icons_enabled)
    WEB_SETTING(get_unknown_url_scheme_policy, set_unknown_url_scheme_policy)
    WEB_SETTING(get_webGLenabled, set_webGLenabled)
    WEB_SETTING(get_webRTCpublic_interfaces_only, set_webRTCpublic_interfaces_only)

#define VIDEO(name) KEEP(SVideoPlayerView, name)
    VIDEO(set_source) VIDEO(get_source) VIDEO(play) VIDEO(pause) VIDEO(stop) VIDEO(set_auto_play)
    VIDEO(set_position) VIDEO(get_position) VIDEO(get_duration) VIDEO(set_volume) VIDEO(get_volume)
    VIDEO(set_muted) VIDEO(get_muted) VIDEO(set_playback_rate) VIDEO(get_playback_rate) VIDEO(set_loops)
    VIDEO(get_loops) VIDEO(set_fill_mode) VIDEO(get_fill_mode) VIDEO(set_controls) VIDEO(get_controls)
    VIDEO(set_controls_auto_hide) VIDEO(get_controls_auto_hide) VIDEO(get_playback_state)
    VIDEO(get_media_status) VIDEO(get_error) VIDEO(get_error_string) VIDEO(get_seekable)
    VIDEO(get_has_audio) VIDEO(get_has_video) VIDEO(get_buffer_progress) VIDEO(set_active_audio_track)
    VIDEO(set_active_video_track) VIDEO(set_active_subtitle_track) VIDEO(get_active_audio_track)
    VIDEO(get_active_video_track) VIDEO(get_active_subtitle_track) VIDEO(get_current_subtitle_name)
    VIDEO(get_audio_tracks) VIDEO(get_video_tracks) VIDEO(get_subtitle_tracks) VIDEO(get_metadata)
    VIDEO(set_func_on_active_tracks_changed) VIDEO(set_func_on_audio_buffer_output_changed)
    VIDEO(set_func_on_audio_output_changed) VIDEO(set_func_on_buffer_progress_changed)
    VIDEO(set_func_on_duration_changed) VIDEO(set_func_on_error_changed) VIDEO(set_func_on_error_occurred)
    VIDEO(set_func_on_has_audio_changed) VIDEO(set_func_on_has_video_changed) VIDEO(set_func_on_loops_changed)
    VIDEO(set_func_on_media_status_changed) VIDEO(set_func_on_metadata_changed)
    VIDEO(set_func_on_playback_rate_changed) VIDEO(set_func_on_playback_state_changed)
    VIDEO(set_func_on_playing_changed) VIDEO(set_func_on_position_changed) VIDEO(set_func_on_seekable_changed)
    VIDEO(set_func_on_source_changed) VIDEO(set_func_on_tracks_changed) VIDEO(set_func_on_video_output_changed)
    VIDEO(set_func_on_muted_changed) VIDEO(set_func_on_volume_changed)
    VIDEO(set_audio_to_host) VIDEO(get_audio_to_host) VIDEO(set_audio_to_host_format)
    VIDEO(set_func_audio_received)

#define CAMERA(name) KEEP(SCameraView, name)
    CAMERA(set_camera_hint) CAMERA(start) CAMERA(stop) CAMERA(set_active) CAMERA(set_auto_play)
    CAMERA(set_fill_mode) CAMERA(get_fill_mode) CAMERA(get_is_active) CAMERA(is_available) CAMERA(get_error)
    CAMERA(get_error_string) CAMERA(get_supported_features) CAMERA(get_color_temperature)
    CAMERA(set_color_temperature) CAMERA(get_exposure_compensation) CAMERA(set_exposure_compensation)
    CAMERA(get_exposure_mode) CAMERA(set_exposure_mode) CAMERA(is_exposure_mode_supported)
    CAMERA(get_exposure_time) CAMERA(get_manual_exposure_time) CAMERA(set_manual_exposure_time)
    CAMERA(set_auto_exposure_time) CAMERA(minimum_exposure_time) CAMERA(maximum_exposure_time)
    CAMERA(get_flash_mode) CAMERA(set_flash_mode) CAMERA(is_flash_mode_supported) CAMERA(get_is_flash_ready)
    CAMERA(get_focus_mode) CAMERA(set_focus_mode) CAMERA(is_focus_mode_supported) CAMERA(get_focus_distance)
    CAMERA(set_focus_distance) CAMERA(get_focus_point) CAMERA(get_custom_focus_point)
    CAMERA(set_custom_focus_point) CAMERA(get_iso_sensitivity) CAMERA(get_manual_iso_sensitivity)
    CAMERA(set_manual_iso_sensitivity) CAMERA(set_auto_iso_sensitivity) CAMERA(minimum_iso_sensitivity)
    CAMERA(maximum_iso_sensitivity) CAMERA(get_torch_mode) CAMERA(set_torch_mode)
    CAMERA(is_torch_mode_supported) CAMERA(get_white_balance_mode) CAMERA(set_white_balance_mode)
    CAMERA(is_white_balance_mode_supported) CAMERA(get_zoom_factor) CAMERA(set_zoom_factor)
    CAMERA(get_minimum_zoom_factor) CAMERA(get_maximum_zoom_factor) CAMERA(zoom_to)
    CAMERA(set_func_active_changed) CAMERA(set_func_camera_device_changed) CAMERA(set_func_camera_format_changed)
    CAMERA(set_func_color_temperature_changed) CAMERA(set_func_custom_focus_point_changed)
    CAMERA(set_func_error_changed) CAMERA(set_func_error_occurred) CAMERA(set_func_exposure_compensation_changed)
    CAMERA(set_func_exposure_mode_changed) CAMERA(set_func_exposure_time_changed)
    CAMERA(set_func_flash_mode_changed) CAMERA(set_func_flash_ready) CAMERA(set_func_focus_distance_changed)
    CAMERA(set_func_focus_mode_changed) CAMERA(set_func_focus_point_changed)
    CAMERA(set_func_iso_sensitivity_changed) CAMERA(set_func_manual_exposure_time_changed)
    CAMERA(set_func_manual_iso_sensitivity_changed) CAMERA(set_func_maximum_zoom_factor_changed)
    CAMERA(set_func_minimum_zoom_factor_changed) CAMERA(set_func_supported_features_changed)
    CAMERA(set_func_torch_mode_changed) CAMERA(set_func_white_balance_mode_changed)
    CAMERA(set_func_zoom_factor_changed)

    KEEP(SScreenCaptureView, set_active)
    KEEP(SScreenCaptureView, set_physical_screen)

    std::printf("%d exported names resolved against the library\n", g_checked);
    return 0;
}
