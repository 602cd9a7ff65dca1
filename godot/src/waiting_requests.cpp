#include "waiting_requests.h"

#include <algorithm>

#include <sorvane/web_view.h>

namespace sorvane_godot {

void WaitingRequests::attach(sorvane::SWebView* view)
{
    m_view = view;
    m_open.clear();
}

void WaitingRequests::detach()
{
    m_view = nullptr;
    m_open.clear();
}

void WaitingRequests::add(Kind kind, int id, Clock::time_point deadline)
{
    if (m_view)
        m_open.push_back({kind, id, deadline});
}

bool WaitingRequests::is_waiting(int id) const
{
    return std::any_of(m_open.begin(), m_open.end(), [id](const Open& o) { return o.id == id; });
}

bool WaitingRequests::take(Kind kind, int id)
{
    const auto it = std::find_if(m_open.begin(), m_open.end(),
                                 [&](const Open& o) { return o.id == id && o.kind == kind; });
    if (it == m_open.end() || !m_view)
        return false;
    m_open.erase(it);
    return true;
}

bool WaitingRequests::answer_permission(int id, bool granted)
{
    if (!take(Kind::Permission, id))
        return false;
    m_view->answer_permission_request(id, granted);
    return true;
}

bool WaitingRequests::answer_file_chooser(int id, std::vector<std::string> files)
{
    if (!take(Kind::FileChooser, id))
        return false;
    m_view->answer_file_dialog_request(id, std::move(files));
    return true;
}

int WaitingRequests::expire(Clock::time_point now)
{
    std::vector<Open> due;
    for (const Open& o : m_open)
        if (o.deadline <= now)
            due.push_back(o);
    for (const Open& o : due) {
        if (o.kind == Kind::Permission)
            answer_permission(o.id, false);
        else
            answer_file_chooser(o.id, {});
    }
    return static_cast<int>(due.size());
}

}  // namespace sorvane_godot
