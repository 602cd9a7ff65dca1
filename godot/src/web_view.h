// WebView: a Control that shows a web page.
#pragma once

#include "view_control.h"

namespace sorvane { class SWebView; }

namespace sorvane_godot {

class WebView : public ViewControl {
public:
    explicit WebView(GDExtensionObjectPtr owner);

    static const ClassTable& table();

    void set_url(const std::string& url);
    const std::string& url() const { return m_url; }
    const std::string& title() const { return m_title; }
    void load_html(const std::string& html, const std::string& base_url);
    void reload();
    void go_back();
    void go_forward();
    bool can_go_back() const;
    bool can_go_forward() const;
    // Runs a script in the page; its result (the value of its last expression, awaited when it is
    // a promise) arrives with javascript_finished and the number returned here.
    std::int64_t run_javascript(const std::string& script);
    void set_zoom_factor(double factor);
    double zoom_factor() const { return m_zoom_factor; }

protected:
    FacadeSlot create_facade() override;
    void configure(sorvane::SView& facade) override;
    std::function<bool(sorvane::SView&)> loader() const override;
    void handle_event(const Event& event) override;

private:
    sorvane::SWebView* web() const;

    std::string m_url = "about:blank";
    std::string m_title;
    double m_zoom_factor = 1.0;
    std::int64_t m_next_script = 1;
    // Console messages that begin with this carry script results and titles, not the page's own
    // messages; it is drawn at random for each node, so a page cannot guess it.
    std::string m_marker;
};

}  // namespace sorvane_godot
