// SVideoPlayerView: the host's handle of a video player view.

#include "sorvane/video_player_view.h"

#include "media/video_view.h"
#include "runtime/facade_support.h"

namespace sorvane {

SVideoPlayerView::SVideoPlayerView() : SQuickView(NoView{})
{
    m_view = create_view(&SorvaneCtx::_create_videoplayerview);
}

void SVideoPlayerView::reset() const
{
    carry::posted(m_view, [](View* v) { v->reset(); });
}

}  // namespace sorvane
