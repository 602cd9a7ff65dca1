// SScreenCaptureView: the host's handle of a screen capture view.

#include "sorvane/screen_capture_view.h"

#include "media/screen_capture_view.h"
#include "runtime/facade_support.h"

namespace sorvane {

SScreenCaptureView::SScreenCaptureView() : SQuickView(NoView{})
{
    m_view = create_view(&SorvaneCtx::_create_screencaptureview);
}

}  // namespace sorvane
