// The page's requests that wait for GDScript's answer: permissions and file choosers that the
// node's properties did not answer. The library keeps each request until the answer it is given
// later by id, so the Qt thread never waits for Godot's main thread; this side keeps the ids
// still open, passes the request objects' answers on, and gives the safe default (deny, cancel)
// to those left unanswered past their time. Main thread only.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace sorvane { class SWebView; }

namespace sorvane_godot {

class WaitingRequests {
public:
    using Clock = std::chrono::steady_clock;
    enum class Kind { Permission, FileChooser };

    // The view the answers go to. Detaching forgets every open request: the library answers
    // them with the default when it destroys the view.
    void attach(sorvane::SWebView* view);
    void detach();

    // Keeps request `id` of the attached view open until `deadline`.
    void add(Kind kind, int id, Clock::time_point deadline);
    bool is_waiting(int id) const;

    // Passes an answer on; false (and nothing sent) when the request is no longer open.
    bool answer_permission(int id, bool granted);
    bool answer_file_chooser(int id, std::vector<std::string> files);

    // Answers the open requests whose deadline has passed with the default; returns how many.
    int expire(Clock::time_point now);

private:
    struct Open {
        Kind kind;
        int id;
        Clock::time_point deadline;
    };

    // Removes request `id` if it is open and of `kind`.
    bool take(Kind kind, int id);

    sorvane::SWebView* m_view = nullptr;
    std::vector<Open> m_open;
};

}  // namespace sorvane_godot
