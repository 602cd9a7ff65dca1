// Construction, destruction and the operations every facade shares.

#include "sorvane/app.h"
#include "sorvane/views.h"

#include "media/camera_view.h"
#include "media/screen_capture_view.h"
#include "media/video_view.h"
#include "quick/quick_view.h"
#include "runtime/carry.h"
#include "runtime/runtime_state.h"
#include "runtime/sorvane_ctx.h"
#include "web/godot_scheme_handler.h"
#include "web/web_view.h"

#include <QPointer>

namespace sorvane {

namespace {

// Runs one of SorvaneCtx's factories on the Qt thread, once the Qt side is running.
template <typename ViewClass>
View* create_view(ViewClass* (SorvaneCtx::*factory)())
{
    S::ensure_qt_eventloop_is_running();
    return carry::blocking(SORVANE_CTX, [factory](SorvaneCtx* ctx) -> View* { return (ctx->*factory)(); },
                           nullptr);
}

}  // namespace

SView::SView() : m_view(nullptr) {}

void SView::reset() const
{
    carry::blocking(m_view, [](View* v) { v->reset(); });
}

void SView::destroy()
{
    if (!m_view)
        return;
    carry::blocking(m_view, [](View* v) {
        QPointer<View> alive(v);
        if (alive)
            delete v;
    });
    m_view = nullptr;
}

void SView::set_func_resource_file(std::function<unsigned char*(std::string, bool&, unsigned long&)> func)
{
    carry::blocking(runtime().scheme_handler,
                    [func = std::move(func)](GodotSchemeHandler* h) { h->m_resource_file.set(func); });
}

void SView::set_func_resource_file_free(std::function<void()>) {}

SQuickView::SQuickView() : SView()
{
    m_view = create_view(&SorvaneCtx::_create_quickview);
}

SQuickView::SQuickView(NoView) : SView() {}

SWebView::SWebView() : SView()
{
    m_view = create_view(&SorvaneCtx::_create_webview);
}

SVideoPlayerView::SVideoPlayerView() : SQuickView(NoView{})
{
    m_view = create_view(&SorvaneCtx::_create_videoplayerview);
}

void SVideoPlayerView::reset() const
{
    carry::posted(m_view, [](View* v) { v->reset(); });
}

SCameraView::SCameraView() : SQuickView(NoView{})
{
    m_view = create_view(&SorvaneCtx::_create_cameraview);
}

SScreenCaptureView::SScreenCaptureView() : SQuickView(NoView{})
{
    m_view = create_view(&SorvaneCtx::_create_screencaptureview);
}

}  // namespace sorvane
