// SScreenCaptureView: the host's handle of a screen capture view.

#include "sorvane/screen_capture_view.h"

#include "media/screen_capture_view.h"
#include "runtime/facade_support.h"

namespace sorvane {

namespace {

ScreenCaptureView* capture_view(View* view)
{
    return static_cast<ScreenCaptureView*>(view);
}

}  // namespace

SScreenCaptureView::SScreenCaptureView() : SQuickView(NoView{})
{
    m_view = create_view(&SorvaneCtx::_create_screencaptureview);
}

void SScreenCaptureView::set_active(bool active) const
{
    carry::blocking(m_view, [active](View* v) { capture_view(v)->set_active(active); });
}

// Direct: the hint is stored on the calling thread; the scene picks it up on the Qt thread.
void SScreenCaptureView::set_physical_screen(std::string hint) const
{
    carry::direct(m_view, [hint = QString::fromStdString(hint)](View* v) {
        capture_view(v)->set_physical_screen_hint(hint);
    });
}

}  // namespace sorvane
