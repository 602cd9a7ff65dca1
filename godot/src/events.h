// What the library reports on its Qt thread, kept in order until Godot's main thread takes it.
// The Qt thread only appends under a short lock and never waits for the main thread, so a
// callback cannot deadlock with a main thread that waits inside a call of the library.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace sorvane_godot {

using EventValue = std::variant<bool, std::int64_t, double, std::string, std::vector<std::string>>;

struct Event {
    std::string name;
    std::vector<EventValue> args;
};

class EventQueue {
public:
    void push(Event event)
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }

    std::vector<Event> take()
    {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_events, {});
    }

private:
    std::mutex m_mutex;
    std::vector<Event> m_events;
};

}  // namespace sorvane_godot
