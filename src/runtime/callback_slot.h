#pragma once

// A host callback stored on the Qt side. Setting it (from any host thread) and firing it (on
// the Qt thread) may overlap: the function is copied under a lock and called outside it, so a
// callback may even replace itself while it runs.

#include <functional>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>

namespace sorvane {

template <typename Signature>
class CallbackSlot;

template <typename R, typename... Args>
class CallbackSlot<R(Args...)> {
public:
    using Function = std::function<R(Args...)>;

    // An empty function clears the slot.
    void set(Function function)
    {
        std::lock_guard lock(m_mutex);
        std::swap(m_function, function);
        // the old function is destroyed after the lock is released
    }

    bool is_set() const
    {
        std::lock_guard lock(m_mutex);
        return static_cast<bool>(m_function);
    }

    // Calls the stored function, if any. Returns whether it was called (void callbacks) or its
    // result (std::nullopt when the slot is empty).
    template <typename... CallArgs>
    auto operator()(CallArgs&&... args) const
    {
        Function function;
        {
            std::lock_guard lock(m_mutex);
            function = m_function;
        }
        if constexpr (std::is_void_v<R>) {
            if (!function)
                return false;
            function(std::forward<CallArgs>(args)...);
            return true;
        } else {
            if (!function)
                return std::optional<R>{};
            return std::optional<R>{function(std::forward<CallArgs>(args)...)};
        }
    }

private:
    mutable std::mutex m_mutex;
    Function m_function;
};

}  // namespace sorvane
