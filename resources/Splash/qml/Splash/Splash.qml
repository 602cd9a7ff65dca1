// Loading screen: a night sky, a title in the module's monospaced font with a blinking cursor,
// a segmented progress bar that fills in a loop, rotating status lines, and two rows of roofs
// scrolling at different speeds along the bottom edge.
//
// The root has no size of its own; the view sizes it to its resolution and everything below
// follows the root's size.
import QtQuick

Item {
    id: root

    // 0 to 1, runs in a loop; drives the bar and the percentage.
    property real progress: 0
    readonly property real unit: Math.max(1, Math.min(width, height * 1.6) / 100)
    readonly property string fontFamily: vcrFont.status === FontLoader.Ready ? vcrFont.font.family : "monospace"
    // 1 to 0.25 and back, for the leading segment of the bar.
    property real pulse: 1.0
    property bool cursorOn: true
    property int spinnerIndex: 0
    readonly property var spinnerFrames: ["|", "/", "-", "\\"]

    FontLoader {
        id: vcrFont
        source: "qrc:/Splash/assets/fonts/VCR_OSD_MONO.ttf"
    }

    SequentialAnimation on progress {
        loops: Animation.Infinite
        NumberAnimation { from: 0; to: 1; duration: 5200; easing.type: Easing.InOutQuad }
        PauseAnimation { duration: 900 }
    }
    SequentialAnimation on pulse {
        loops: Animation.Infinite
        NumberAnimation { to: 0.25; duration: 260 }
        NumberAnimation { to: 1.0; duration: 260 }
    }
    Timer {
        interval: 530
        repeat: true
        running: true
        onTriggered: root.cursorOn = !root.cursorOn
    }
    Timer {
        interval: 120
        repeat: true
        running: true
        onTriggered: root.spinnerIndex = (root.spinnerIndex + 1) % root.spinnerFrames.length
    }

    Rectangle {
        id: sky
        anchors.fill: parent
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#070a1c" }
            GradientStop { position: 0.55; color: "#1d2752" }
            GradientStop { position: 1.0; color: "#4b4a80" }
        }
    }

    // Stars at fixed pseudo-random places, each twinkling at its own pace.
    Repeater {
        model: 56
        delegate: Rectangle {
            required property int index
            x: ((index * 7919) % 997) / 997 * root.width
            y: ((index * 104729) % 631) / 631 * root.height * 0.6
            width: index % 7 === 0 ? 3 : 2
            height: width
            radius: width / 2
            color: index % 5 === 0 ? "#ffe9b0" : "#e8ecff"
            opacity: 0.3

            SequentialAnimation on opacity {
                loops: Animation.Infinite
                PauseAnimation { duration: (index * 137) % 1700 }
                NumberAnimation { to: 1.0; duration: 700 + (index * 53) % 900; easing.type: Easing.InOutSine }
                NumberAnimation { to: 0.25; duration: 700 + (index * 31) % 900; easing.type: Easing.InOutSine }
            }
        }
    }

    // The moon with a soft halo.
    Rectangle {
        id: halo
        width: root.unit * 22
        height: width
        radius: width / 2
        x: root.width * 0.78 - width / 2
        y: root.height * 0.16 - height / 2
        color: "#fff6cf"
        opacity: 0.08
    }
    Rectangle {
        anchors.centerIn: halo
        width: root.unit * 10
        height: width
        radius: width / 2
        color: "#fff3c4"
        Rectangle {
            x: parent.width * 0.55
            y: parent.height * 0.3
            width: parent.width * 0.18
            height: width
            radius: width / 2
            color: "#efe0a8"
        }
        Rectangle {
            x: parent.width * 0.25
            y: parent.height * 0.58
            width: parent.width * 0.12
            height: width
            radius: width / 2
            color: "#efe0a8"
        }
    }

    // One row of roofs: the image repeated side by side at the layer's height, keeping its
    // aspect, shifted left by one tile per period. The images wrap seamlessly.
    component RoofLayer: Item {
        id: roofLayer
        property url source
        property int period: 20000
        property real phase: 0
        readonly property real tileWidth: probe.implicitHeight > 0
            ? probe.implicitWidth * height / probe.implicitHeight : 1

        clip: true

        NumberAnimation on phase {
            from: 0
            to: 1
            duration: roofLayer.period
            loops: Animation.Infinite
        }

        Image {
            id: probe
            source: roofLayer.source
            visible: false
        }

        Row {
            x: -roofLayer.phase * roofLayer.tileWidth
            height: roofLayer.height
            Repeater {
                model: roofLayer.height > 0 ? Math.ceil(roofLayer.width / roofLayer.tileWidth) + 1 : 0
                delegate: Image {
                    source: roofLayer.source
                    width: roofLayer.tileWidth
                    height: roofLayer.height
                    smooth: true
                }
            }
        }
    }

    RoofLayer {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: root.height * 0.3
        source: "qrc:/Splash/assets/images/footer_roofs_middle.png"
        period: 36000
    }

    RoofLayer {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: root.height * 0.2
        source: "qrc:/Splash/assets/images/footer_roofs_front.png"
        period: 14000
    }

    Column {
        id: titleBlock
        anchors.horizontalCenter: parent.horizontalCenter
        y: root.height * 0.26
        spacing: root.unit * 2.2

        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            Text {
                id: title
                text: "LOADING"
                color: "#f2f2ff"
                font.family: root.fontFamily
                font.pixelSize: root.unit * 9
                font.letterSpacing: root.unit * 1.2
                style: Text.Raised
                styleColor: "#6b5cff"
            }
            Text {
                text: "_"
                color: title.color
                font: title.font
                opacity: root.cursorOn ? 1 : 0
            }
        }

        // Segmented bar: segments light up as progress passes them; the leading segment pulses.
        Row {
            id: bar
            readonly property int segments: 24
            readonly property real filled: root.progress * segments
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: root.unit * 0.5

            Repeater {
                model: bar.segments
                delegate: Rectangle {
                    required property int index
                    readonly property bool lit: index < Math.floor(bar.filled)
                    readonly property bool leading: index === Math.floor(bar.filled)
                    width: root.unit * 2.2
                    height: root.unit * 3.4
                    radius: root.unit * 0.3
                    color: lit ? Qt.hsla(0.72 - 0.25 * index / bar.segments, 0.85, 0.62, 1.0)
                               : "#262a4a"
                    border.color: "#8c86ff"
                    border.width: Math.max(1, root.unit * 0.15)
                    opacity: leading ? root.pulse : 1.0
                }
            }
        }

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: root.spinnerFrames[root.spinnerIndex] + " " + ("  " + Math.round(root.progress * 100)).slice(-3) + "%"
            color: "#c9c6ff"
            font.family: root.fontFamily
            font.pixelSize: root.unit * 3.4
        }

        Text {
            id: status
            readonly property var lines: [
                "waking up the city",
                "counting chimneys",
                "polishing the moon",
                "lighting windows",
                "tuning the night"
            ]
            property int line: 0
            anchors.horizontalCenter: parent.horizontalCenter
            text: lines[line]
            color: "#8f8bc8"
            font.family: root.fontFamily
            font.pixelSize: root.unit * 2.4

            Timer {
                interval: 1400
                repeat: true
                running: true
                onTriggered: fade.restart()
            }
            SequentialAnimation {
                id: fade
                NumberAnimation { target: status; property: "opacity"; to: 0; duration: 180 }
                ScriptAction { script: status.line = (status.line + 1) % status.lines.length }
                NumberAnimation { target: status; property: "opacity"; to: 1; duration: 220 }
            }
        }
    }
}
