// How a WebView answers what its page asks without asking GDScript. The library asks on its Qt
// thread; these answers are written on the main thread (the node's properties) and read by the
// callbacks there under a short lock. Navigation, downloads and new windows are decided from them
// alone (the web engine needs the answer on the spot), with the safe default (refuse) when they
// say nothing; permissions and file choosers they do not cover go to GDScript and wait
// (waiting_requests.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sorvane_godot {

// Whether the text matches the pattern as a whole: '*' stands for any run of characters (none
// included), '?' for any one character.
bool glob_match(const std::string& pattern, const std::string& text);

class PageAnswers {
public:
    // Permissions: entries "<permission>" (any origin) or "<origin> <permission>".
    void set_granted_permissions(std::vector<std::string> entries);
    std::vector<std::string> granted_permissions() const;
    bool is_granted(const std::string& origin, const std::string& permission) const;

    // File choosers: the files the page's next chooser gets, until `lifetime` has passed.
    void prepare_files(std::vector<std::string> paths, std::chrono::milliseconds lifetime);
    void clear_files();
    std::vector<std::string> prepared_files() const;
    // The prepared files, used up (empty when none are prepared or their time has passed).
    std::vector<std::string> take_files();

    // Navigation: patterns of the addresses the page may go to by itself; empty allows all.
    void set_allowed_navigation(std::vector<std::string> patterns);
    std::vector<std::string> allowed_navigation() const;
    bool allows_navigation(const std::string& url) const;

    // New windows: whether the node hands them to the game (true) or opens them in the view.
    void set_hand_over_new_windows(bool enabled);
    bool hands_over_new_windows() const;

    // Downloads: the absolute folder they are saved in; empty refuses them.
    void set_download_folder(std::string folder);
    std::string download_folder() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_granted;
    std::vector<std::string> m_files;
    std::chrono::steady_clock::time_point m_files_until{};
    std::vector<std::string> m_allowed_navigation;
    bool m_hand_over_new_windows = false;
    std::string m_download_folder;
};

}  // namespace sorvane_godot
