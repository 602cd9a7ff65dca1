#include "page_answers.h"

#include <algorithm>
#include <utility>

namespace sorvane_godot {

bool glob_match(const std::string& pattern, const std::string& text)
{
    // Iterative matching with one backtracking point: the last '*' seen.
    std::size_t p = 0, t = 0, star = std::string::npos, star_text = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            star_text = t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++star_text;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

void PageAnswers::set_granted_permissions(std::vector<std::string> entries)
{
    std::lock_guard lock(m_mutex);
    m_granted = std::move(entries);
}

std::vector<std::string> PageAnswers::granted_permissions() const
{
    std::lock_guard lock(m_mutex);
    return m_granted;
}

bool PageAnswers::is_granted(const std::string& origin, const std::string& permission) const
{
    std::lock_guard lock(m_mutex);
    const std::string entry = origin + " " + permission;
    return std::any_of(m_granted.begin(), m_granted.end(),
                       [&](const std::string& e) { return e == permission || e == entry; });
}

void PageAnswers::prepare_files(std::vector<std::string> paths, std::chrono::milliseconds lifetime)
{
    std::lock_guard lock(m_mutex);
    m_files = std::move(paths);
    m_files_until = std::chrono::steady_clock::now() + lifetime;
}

void PageAnswers::clear_files()
{
    std::lock_guard lock(m_mutex);
    m_files.clear();
}

std::vector<std::string> PageAnswers::prepared_files() const
{
    std::lock_guard lock(m_mutex);
    return std::chrono::steady_clock::now() < m_files_until ? m_files : std::vector<std::string>{};
}

std::vector<std::string> PageAnswers::take_files()
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> files = std::exchange(m_files, {});
    if (std::chrono::steady_clock::now() >= m_files_until)
        files.clear();
    return files;
}

void PageAnswers::set_allowed_navigation(std::vector<std::string> patterns)
{
    std::lock_guard lock(m_mutex);
    m_allowed_navigation = std::move(patterns);
}

std::vector<std::string> PageAnswers::allowed_navigation() const
{
    std::lock_guard lock(m_mutex);
    return m_allowed_navigation;
}

bool PageAnswers::allows_navigation(const std::string& url) const
{
    std::lock_guard lock(m_mutex);
    return m_allowed_navigation.empty() ||
           std::any_of(m_allowed_navigation.begin(), m_allowed_navigation.end(),
                       [&](const std::string& pattern) { return glob_match(pattern, url); });
}

void PageAnswers::set_hand_over_new_windows(bool enabled)
{
    std::lock_guard lock(m_mutex);
    m_hand_over_new_windows = enabled;
}

bool PageAnswers::hands_over_new_windows() const
{
    std::lock_guard lock(m_mutex);
    return m_hand_over_new_windows;
}

void PageAnswers::set_download_folder(std::string folder)
{
    std::lock_guard lock(m_mutex);
    m_download_folder = std::move(folder);
}

std::string PageAnswers::download_folder() const
{
    std::lock_guard lock(m_mutex);
    return m_download_folder;
}

}  // namespace sorvane_godot
