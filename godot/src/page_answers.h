// How a WebView answers what its page asks. The library asks on its Qt thread and takes the
// answer when its callback returns; that thread must never wait for Godot's main thread (whose
// own calls into the library wait for the Qt thread), so the answers cannot come from GDScript at
// the moment of asking. They are kept here instead: written on the main thread (the node's
// properties, the request objects' answers), read by the callbacks under a short lock, and the
// page gets the safe default (deny, cancel, refuse) when nothing here says otherwise.
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
    // Adds or removes the entry "<origin> <permission>"; an entry that grants the permission to
    // any origin is left as it is.
    void grant(const std::string& origin, const std::string& permission);
    void revoke(const std::string& origin, const std::string& permission);

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
