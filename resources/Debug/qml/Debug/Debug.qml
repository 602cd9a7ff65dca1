// Diagnostics overlay: rendered frames, frames per second, the scene's size and the wall-clock
// time, in a translucent panel at the top left over a transparent scene.
//
// A frame is counted on each afterAnimating of the scene's window, which is emitted once per
// rendered frame (QQuickRenderControl::polishItems under the view's offscreen pipeline).
import QtQuick

Item {
    id: root

    property int frames: 0
    property int fps: 0
    property int framesAtLastSecond: 0
    property string clock: ""

    Connections {
        target: root.Window.window
        function onAfterAnimating() {
            root.frames++
            root.clock = Qt.formatTime(new Date(), "hh:mm:ss.zzz")
        }
    }

    Timer {
        interval: 1000
        repeat: true
        running: true
        onTriggered: {
            root.fps = root.frames - root.framesAtLastSecond
            root.framesAtLastSecond = root.frames
        }
    }

    Rectangle {
        x: 8
        y: 8
        width: info.implicitWidth + 16
        height: info.implicitHeight + 12
        radius: 4
        color: "#b0000000"

        Column {
            id: info
            x: 8
            y: 6
            Line { text: "frames  " + root.frames }
            Line { text: "fps     " + root.fps }
            Line { text: "size    " + Math.round(root.width) + " x " + Math.round(root.height) }
            Line { text: "time    " + root.clock }
            Line { text: "addon   " + (typeof PATH_ADDON === "string" ? PATH_ADDON : "-") }
        }
    }

    component Line: Text {
        color: "#e8e8e8"
        font.family: "monospace"
        font.pixelSize: 14
    }
}
