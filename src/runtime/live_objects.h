#pragma once

// The set of Qt-side objects that facades may still hold after the object is gone.
//
// A facade is a plain value that the host may copy; once one copy has destroyed its view, the
// other copies still hold the view's address. Every carried call first looks the address up
// here, under the set's lock, and touches the object only while it is listed. An object is
// listed from its construction until destroy() withdraws it on the Qt thread, just before it is
// deleted; withdrawing waits for a direct operation that is using the object at that moment.
//
// An address that is reused by a later object reads as that object: a stale copy of a facade
// can then reach the new view. Hosts should still forget copies once they destroy a view.

#include <mutex>
#include <type_traits>
#include <unordered_set>

namespace sorvane::live {

namespace detail {

struct Registry {
    std::mutex mutex;
    std::unordered_set<const void*> objects;
};

inline Registry& registry()
{
    static Registry r;
    return r;
}

}  // namespace detail

// Base of every object whose lifetime the carrying checks.
class Tracked {
public:
    Tracked()
    {
        auto& r = detail::registry();
        std::lock_guard lock(r.mutex);
        r.objects.insert(this);
    }
    ~Tracked() { withdraw(this); }
    Tracked(const Tracked&) = delete;
    Tracked& operator=(const Tracked&) = delete;

    // Takes the object off the list; later lookups find it gone. Idempotent.
    static void withdraw(const Tracked* object)
    {
        auto& r = detail::registry();
        std::lock_guard lock(r.mutex);
        r.objects.erase(object);
    }
};

// Holds the list's lock for as long as it lives, and tells whether `object` was listed.
// Objects of types that are not Tracked are always taken as alive and no lock is taken.
template <typename T>
class Access {
public:
    explicit Access(T* object)
    {
        if constexpr (std::is_base_of_v<Tracked, T>) {
            if (!object)
                return;
            auto& r = detail::registry();
            m_lock = std::unique_lock(r.mutex);
            m_alive = r.objects.contains(static_cast<const Tracked*>(object));
        } else {
            m_alive = object != nullptr;
        }
    }
    explicit operator bool() const { return m_alive; }
    void release()
    {
        if (m_lock.owns_lock())
            m_lock.unlock();
    }

private:
    std::unique_lock<std::mutex> m_lock;
    bool m_alive = false;
};

}  // namespace sorvane::live
