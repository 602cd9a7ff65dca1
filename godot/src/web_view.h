// WebView: a Control that shows a web page.
#pragma once

#include <memory>

#include "page_answers.h"
#include "page_objects.h"
#include "waiting_requests.h"
#include "view_control.h"
#include "web_settings.h"

namespace sorvane { class SWebView; }

namespace sorvane_godot {

class WebView : public ViewControl {
public:
    explicit WebView(GDExtensionObjectPtr owner);

    static const ClassTable& table();

    void notification(int what) override;

    // --- Sound (web_sound.cpp) ---
    void set_audio_muted(bool muted);
    bool audio_muted() const { return m_audio_muted; }
    void set_audio_volume(double volume);
    double audio_volume() const { return m_audio_volume; }
    bool audible() const { return m_audible; }
    static void add_sound_members(ClassTable& table);

    void set_url(const std::string& url);
    const std::string& url() const { return m_url; }
    const std::string& title() const { return m_title; }
    void load_html(const std::string& html, const std::string& base_url);
    void reload();
    void reload_bypassing_cache();
    void go_back();
    void go_forward();
    void go_back_or_forward(std::int64_t offset);
    bool can_go_back() const;
    bool can_go_forward() const;
    // Runs a script in the page; its result (the value of its last expression, awaited when it is
    // a promise) arrives with javascript_finished and the number returned here.
    std::int64_t run_javascript(const std::string& script);
    void set_zoom_factor(double factor);
    double zoom_factor() const { return m_zoom_factor; }
    void set_background_color(const std::string& color);
    const std::string& background_color() const { return m_background_color; }

    // The shared profile of every page (all WebView nodes).
    void set_user_agent(const std::string& user_agent);
    const std::string& user_agent() const { return m_user_agent; }
    std::string default_user_agent() const;
    void set_off_the_record(bool enabled);
    bool off_the_record() const { return m_off_the_record; }
    void set_storage_path(const std::string& path);
    const std::string& storage_path() const { return m_storage_path; }
    void set_cookie(const std::vector<Variant>& args);

    // The web settings, by their index in web_settings().
    void set_setting(std::size_t index, const Variant& value);
    Variant setting(std::size_t index) const;

    // Text composed with an input method, for the page's focused field.
    void push_ime_composition(const std::string& preedit, std::int64_t cursor, const std::string& commit);

    const std::shared_ptr<PageAnswers>& answers() const { return m_answers; }
    void set_download_folder(const std::string& folder);
    void set_prepared_files(const std::vector<std::string>& paths);
    void set_request_timeout(double seconds) { m_request_timeout = seconds > 0 ? seconds : 0; }
    double request_timeout() const { return m_request_timeout; }

    // GDScript objects in the page (godot.<name>), and the origins of the pages that reach them.
    bool register_object(const std::string& name, const Variant& object) { return m_objects.add(name, object); }
    void unregister_object(const std::string& name);
    std::vector<std::string> registered_objects() const { return m_objects.names(); }
    void set_bridge_allowed_origins(const std::vector<std::string>& origins);
    const std::vector<std::string>& bridge_allowed_origins() const { return m_bridge_origins; }

protected:
    FacadeSlot create_facade() override;
    void configure(sorvane::SView& facade) override;
    std::function<bool(sorvane::SView&)> loader() const override;
    void handle_event(const Event& event) override;
    // A page follows the window's content scale: rendered at the scaled size with the page's zoom
    // times the scale, its layout (CSS pixels) stays as at scale 1 and its text stays sharp.
    bool follows_screen_scale() const override { return true; }
    void screen_scale_changed(double scale) override;

private:
    sorvane::SWebView* web() const;
    // Hands the sound's values to a new view and has it report whether the page is audible.
    void configure_sound(sorvane::SWebView& view);
    // The web engine's report, on the main thread: the property, then the signal, on a change.
    void audible_reported(bool audible);
    void update_ime();
    // When a request handed to GDScript now gets the default if still unanswered.
    WaitingRequests::Clock::time_point request_deadline() const;
    // Gives the default to the requests whose request_timeout has passed.
    void expire_requests();
    void focus_changed(bool focused);

    std::string m_url = "about:blank";
    std::string m_title;
    double m_zoom_factor = 1.0;
    std::string m_background_color = "transparent";
    std::string m_user_agent;
    bool m_off_the_record = false;
    std::string m_storage_path;
    std::vector<SettingValue> m_settings;
    std::shared_ptr<PageAnswers> m_answers = std::make_shared<PageAnswers>();
    std::shared_ptr<WaitingRequests> m_waiting = std::make_shared<WaitingRequests>();
    double m_request_timeout = 60;
    bool m_audio_muted = false;
    double m_audio_volume = 1.0;
    bool m_audible = false;
    bool m_composing = false;
    bool m_warned_download = false;
    std::int64_t m_next_script = 1;
    PageObjects m_objects;
    // By default only the game's own pages (res://) reach the registered objects.
    std::vector<std::string> m_bridge_origins{"res://"};
    // Console messages that begin with this carry script results and titles, not the page's own
    // messages; it is drawn at random for each node, so a page cannot guess it.
    std::string m_marker;
};

}  // namespace sorvane_godot
