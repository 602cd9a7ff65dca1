// Screen capture: a ScreenRecorder captures the physical screen the view names and feeds this
// scene's video output. The view's `active` and `physical_screen_hint` are carried into it.
import QtQuick
import QtMultimedia
import Custom 1.0

Item {
    id: root

    Rectangle {
        anchors.fill: parent
        color: "#000000"
    }

    VideoOutput {
        id: output
        objectName: "videoOutput"
        anchors.fill: parent
        fillMode: VideoOutput.PreserveAspectFit
    }

    ScreenRecorder {
        id: recorder
        objectName: "recorder"
        active: ctx.active
        physical_screen_hint: ctx.physical_screen_hint
    }

    // The sink goes in last, once the hint is in place, so that the first set-up already
    // captures the right screen; then the capture starts if the view wants it.
    Component.onCompleted: {
        recorder.videoSink = output.videoSink
        recorder.on_set_active()
    }
}
