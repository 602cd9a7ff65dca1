// Video diagnostics without a media file: a moving test pattern for checking motion, colour and
// frame pacing of the view's texture.
//   - colour bars at 75 % (grey, yellow, cyan, green, magenta, red, blue) over the top 60 %,
//     reversed castellations below them and a black-to-white ramp at the bottom;
//   - a white sweep line crossing the width every 2 s and a ball bouncing along the ramp;
//   - a clock dial whose hand turns once per second and a flash box that is white for the
//     first 100 ms of every second;
//   - a panel with the timecode (HH:MM:SS:FF at 30 frames per second of elapsed time), the
//     animation frame count and the scene size.
// Time comes from a FrameAnimation, so everything moves with the animation clock.
import QtQuick

Item {
    id: root

    property real elapsed: 0       // seconds since the scene started
    property int frameCount: 0
    readonly property real unit: Math.max(1, Math.min(width, height * 1.6) / 100)

    function pad(n, width) {
        return ("000" + n).slice(-width)
    }

    function timecode(seconds) {
        const frames = Math.floor(seconds * 30)
        const ff = frames % 30
        const s = Math.floor(frames / 30)
        return pad(Math.floor(s / 3600), 2) + ":" + pad(Math.floor(s / 60) % 60, 2) + ":"
            + pad(s % 60, 2) + ":" + pad(ff, 2)
    }

    FrameAnimation {
        running: true
        onTriggered: {
            root.elapsed = elapsedTime
            root.frameCount = currentFrame
        }
    }

    Rectangle {
        anchors.fill: parent
        color: "#000000"
    }

    Row {
        id: bars
        width: root.width
        height: root.height * 0.6
        Repeater {
            model: ["#c0c0c0", "#c0c000", "#00c0c0", "#00c000", "#c000c0", "#c00000", "#0000c0"]
            delegate: Rectangle {
                required property string modelData
                width: bars.width / 7
                height: bars.height
                color: modelData
            }
        }
    }

    Row {
        id: castellations
        y: bars.height
        width: root.width
        height: root.height * 0.1
        Repeater {
            model: ["#0000c0", "#131313", "#c000c0", "#131313", "#00c0c0", "#131313", "#c0c0c0"]
            delegate: Rectangle {
                required property string modelData
                width: castellations.width / 7
                height: castellations.height
                color: modelData
            }
        }
    }

    Rectangle {
        id: ramp
        y: castellations.y + castellations.height
        width: root.width
        height: root.height - y
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0.0; color: "#000000" }
            GradientStop { position: 1.0; color: "#ffffff" }
        }
    }

    // Sweep line: crosses the full width every 2 s.
    Rectangle {
        x: (root.elapsed / 2 % 1) * root.width
        width: Math.max(2, root.unit * 0.4)
        height: bars.height + castellations.height
        color: "#ffffff"
    }

    // Ball bouncing from side to side over the ramp, every 3 s there and back.
    Rectangle {
        readonly property real t: root.elapsed / 3 % 1
        width: ramp.height * 0.6
        height: width
        radius: width / 2
        x: (1 - Math.abs(2 * t - 1)) * (root.width - width)
        y: ramp.y + (ramp.height - height) / 2
        color: "#ff3030"
        border.color: "#ffffff"
        border.width: Math.max(1, root.unit * 0.3)
    }

    // Clock dial, one turn per second, and the once-a-second flash box beside it.
    Rectangle {
        id: dial
        x: root.width - width - root.unit * 3
        y: root.unit * 3
        width: root.unit * 14
        height: width
        radius: width / 2
        color: "#202020"
        border.color: "#ffffff"
        border.width: Math.max(1, root.unit * 0.4)

        Rectangle {
            x: dial.width / 2 - width / 2
            y: dial.height / 2 - height
            width: Math.max(2, root.unit * 0.6)
            height: dial.height * 0.42
            color: "#ffd000"
            antialiasing: true
            transformOrigin: Item.Bottom
            rotation: (root.elapsed % 1) * 360
        }
    }
    Rectangle {
        anchors.right: dial.left
        anchors.rightMargin: root.unit * 2
        anchors.verticalCenter: dial.verticalCenter
        width: root.unit * 8
        height: width
        color: root.elapsed % 1 < 0.1 ? "#ffffff" : "#202020"
        border.color: "#808080"
        border.width: 1
    }

    Rectangle {
        x: root.unit * 3
        y: root.unit * 3
        width: panel.implicitWidth + root.unit * 4
        height: panel.implicitHeight + root.unit * 3
        radius: root.unit
        color: "#c0000000"

        Column {
            id: panel
            x: root.unit * 2
            y: root.unit * 1.5
            Text {
                text: root.timecode(root.elapsed)
                color: "#ffffff"
                font.family: "monospace"
                font.pixelSize: root.unit * 6
            }
            Text {
                text: "frame " + root.frameCount + "   " + Math.round(root.width) + " x " + Math.round(root.height)
                color: "#c8c8c8"
                font.family: "monospace"
                font.pixelSize: root.unit * 2.6
            }
        }
    }
}
