// Camera: the view's camera ("ctx.camera") drawn over the whole scene with the view's fill mode.
// The view replaces the camera when the host names another one; the capture session follows.
import QtQuick
import QtMultimedia

Item {
    id: root

    Rectangle {
        anchors.fill: parent
        color: "#000000"
    }

    CaptureSession {
        camera: ctx.camera
        videoOutput: output
    }

    VideoOutput {
        id: output
        objectName: "videoOutput"
        anchors.fill: parent
        // 0 stretch, 1 fit, 2 crop; any other value fits.
        fillMode: ctx.fill_mode <= 2 ? ctx.fill_mode : VideoOutput.PreserveAspectFit
    }
}
