#pragma once

#include <QObject>

namespace sorvane {

class QuickView;
class WebView;
class VideoView;
class CameraView;
class ScreenCaptureView;

// Lives on the Qt thread for the whole run; the facades create their views in its thread.
// Each factory makes one view without a parent; the facade that asked owns it.
class SorvaneCtx : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    QuickView* _create_quickview();
    WebView* _create_webview();
    VideoView* _create_videoplayerview();
    CameraView* _create_cameraview();
    ScreenCaptureView* _create_screencaptureview();
};

}  // namespace sorvane
