#pragma once

// Helpers shared by the facade implementations.

#include "sorvane/app.h"

#include "runtime/callback_slot.h"
#include "runtime/carry.h"
#include "runtime/sorvane_ctx.h"

#include <functional>
#include <source_location>
#include <utility>

namespace sorvane {

class View;

// Runs one of SorvaneCtx's factories on the Qt thread, once the Qt side is running, and returns
// the new view (null only when the Qt event loop has already stopped).
template <typename ViewClass>
View* create_view(ViewClass* (SorvaneCtx::*factory)())
{
    S::ensure_qt_eventloop_is_running();
    return carry::blocking(
        SORVANE_CTX, [factory](SorvaneCtx* ctx) -> View* { return (ctx->*factory)(); }, nullptr);
}

// Stores a host callback for a "direct" setter: on the calling thread, at once. The slot itself
// guards against the Qt thread firing the callback at the same moment.
template <typename ViewClass, typename Signature>
void store_callback(View* view, CallbackSlot<Signature> ViewClass::*slot, std::function<Signature> func,
                    const std::source_location& where = std::source_location::current())
{
    carry::direct(
        view, [slot, &func](View* v) { (static_cast<ViewClass*>(v)->*slot).set(std::move(func)); },
        where);
}

}  // namespace sorvane
