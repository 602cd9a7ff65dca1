// SCameraView: the host's handle of a camera view.

#include "sorvane/camera_view.h"

#include "media/camera_view.h"
#include "runtime/facade_support.h"

namespace sorvane {

SCameraView::SCameraView() : SQuickView(NoView{})
{
    m_view = create_view(&SorvaneCtx::_create_cameraview);
}

}  // namespace sorvane
