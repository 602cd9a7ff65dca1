// One registration of a GDScript object with a web view's page, as the main thread and the
// object's signals reach the descriptions the library was handed (see page_objects.h).
#pragma once

#include <sorvane/db.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "variant.h"

namespace sorvane_godot {

// One registration's descriptions, as the main thread and the signal relays reach them. `alive`
// turns false as soon as the library deletes any of them.
struct ObjectLink {
    std::mutex mutex;
    std::uint64_t generation = 0;
    bool alive = false;
    // The library built its side of them (their functions are installed): only then are they
    // used. `object` is only compared, never followed.
    bool ready = false;
    const sorvane::db::AbstractContextObjectStd* object = nullptr;
    std::map<std::string, sorvane::db::PropertyInfoStd*> properties;
    std::map<std::string, sorvane::db::MethodInfoStd*> signals;
};

// Held by every description of one registration; its end is the description's end.
struct LinkGuard {
    LinkGuard(std::shared_ptr<ObjectLink> l, std::uint64_t g) : link(std::move(l)), generation(g) {}
    ~LinkGuard()
    {
        std::lock_guard lock(link->mutex);
        if (link->generation != generation)
            return;
        link->alive = false;
        link->ready = false;
        link->object = nullptr;
        link->properties.clear();
        link->signals.clear();
    }
    std::shared_ptr<ObjectLink> link;
    std::uint64_t generation;
};

// A Callable that relays a signal of the object to the page, through the registration current
// when the signal is emitted (from any thread).
Variant relay_callable(std::shared_ptr<ObjectLink> link, const std::string& name);

}  // namespace sorvane_godot
