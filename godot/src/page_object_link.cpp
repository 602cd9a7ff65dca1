#include "page_object_link.h"

#include <utility>
#include <vector>

#include "page_values.h"

namespace sorvane_godot {

using namespace sorvane::db;

namespace {

// A signal of the object, relayed to the page with the registration current when it is emitted.
struct SignalRelay {
    std::shared_ptr<ObjectLink> link;
    std::string name;
};

void relay_signal(void* userdata, const GDExtensionConstVariantPtr* args, GDExtensionInt count, GDExtensionVariantPtr,
                  GDExtensionCallError* error)
{
    const auto* relay = static_cast<SignalRelay*>(userdata);
    std::vector<ContainerStd> values;
    std::vector<VariantTypeStd> types;
    for (GDExtensionInt i = 0; i < count; ++i) {
        const Variant value = Variant::from_copy(args[i]);
        values.push_back(to_page(value));
        types.push_back(carried_type(value.type()));
    }
    error->error = GDEXTENSION_CALL_OK;
    std::lock_guard lock(relay->link->mutex);
    if (!relay->link->alive || !relay->link->ready)
        return;
    const auto it = relay->link->signals.find(relay->name);
    if (it != relay->link->signals.end() && it->second->func_signal_emitted)
        it->second->func_signal_emitted(it->second, std::move(values), std::move(types));
}

void free_relay(void* userdata)
{
    delete static_cast<SignalRelay*>(userdata);
}

}  // namespace

Variant relay_callable(std::shared_ptr<ObjectLink> link, const std::string& name)
{
    GDExtensionCallableCustomInfo2 info{};
    info.callable_userdata = new SignalRelay{std::move(link), name};
    info.token = library;
    info.call_func = relay_signal;
    info.free_func = free_relay;
    alignas(8) std::uint8_t callable[16];
    gd.callable_custom_create2(callable, &info);
    Variant held = Variant::from_type(GDEXTENSION_VARIANT_TYPE_CALLABLE, callable);
    gd.variant_get_ptr_destructor(GDEXTENSION_VARIANT_TYPE_CALLABLE)(callable);
    return held;
}

}  // namespace sorvane_godot
