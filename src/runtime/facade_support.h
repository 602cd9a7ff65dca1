#pragma once

// Helpers shared by the facade implementations.

#include "sorvane/app.h"

#include "runtime/carry.h"
#include "runtime/sorvane_ctx.h"

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

}  // namespace sorvane
