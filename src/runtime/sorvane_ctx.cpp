#include "runtime/sorvane_ctx.h"

#include "media/camera_view.h"
#include "media/screen_capture_view.h"
#include "media/video_view.h"
#include "quick/quick_view.h"
#include "web/web_view.h"

namespace sorvane {

QuickView* SorvaneCtx::_create_quickview() { return new QuickView(); }
WebView* SorvaneCtx::_create_webview() { return new WebView(); }
VideoView* SorvaneCtx::_create_videoplayerview() { return new VideoView(); }
CameraView* SorvaneCtx::_create_cameraview() { return new CameraView(); }
ScreenCaptureView* SorvaneCtx::_create_screencaptureview() { return new ScreenCaptureView(); }

}  // namespace sorvane
