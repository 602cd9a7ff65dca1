// A StackView that stacks numbered pages one by one until five are stacked and then takes them
// off again, one step every 1.8 s or on a click. Pushing swings the new page in from the right
// while the old one sinks back; popping throws the top page out and lifts the one below.
//
// The root has no size of its own; the view sizes it to its resolution.
import QtQuick
import QtQuick.Controls

Item {
    id: root

    readonly property int maxDepth: 5
    readonly property var pageColors: ["#e63946", "#f4a261", "#2a9d8f", "#457b9d", "#8e5cc4", "#e9c46a"]
    readonly property real unit: Math.max(1, Math.min(width, height * 1.6) / 100)
    readonly property string fontFamily: vcrFont.status === FontLoader.Ready ? vcrFont.font.family : "monospace"
    property int pagesMade: 0
    property bool growing: true

    FontLoader {
        id: vcrFont
        source: "qrc:/Splash/assets/fonts/VCR_OSD_MONO.ttf"
    }

    function advance() {
        if (stack.busy)
            return
        if (growing && stack.depth >= maxDepth)
            growing = false
        else if (!growing && stack.depth <= 1)
            growing = true
        if (growing)
            stack.push(pageComponent, { number: ++pagesMade })
        else
            stack.pop()
    }

    Rectangle {
        anchors.fill: parent
        color: "#12131c"
    }

    Component {
        id: pageComponent

        Rectangle {
            id: page
            property int number: 0
            color: root.pageColors[number % root.pageColors.length]
            radius: root.unit * 2
            antialiasing: true

            Rectangle {
                anchors.fill: parent
                anchors.margins: root.unit * 1.5
                radius: root.unit * 1.2
                color: "transparent"
                border.color: Qt.rgba(1, 1, 1, 0.35)
                border.width: Math.max(1, root.unit * 0.3)
            }
            Text {
                anchors.centerIn: parent
                text: page.number
                color: "#ffffff"
                font.family: root.fontFamily
                font.pixelSize: root.unit * 24
                style: Text.Raised
                styleColor: Qt.rgba(0, 0, 0, 0.35)
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.bottom
                anchors.bottomMargin: root.unit * 4
                text: "PAGE " + page.number + "  DEPTH " + (page.StackView.index + 1)
                color: Qt.rgba(1, 1, 1, 0.85)
                font.family: root.fontFamily
                font.pixelSize: root.unit * 3
            }
        }
    }

    StackView {
        id: stack
        anchors.fill: parent
        anchors.margins: root.unit * 6
        anchors.topMargin: root.unit * 10

        pushEnter: Transition {
            ParallelAnimation {
                NumberAnimation { property: "x"; from: stack.width; to: 0; duration: 520; easing.type: Easing.OutCubic }
                NumberAnimation { property: "scale"; from: 0.6; to: 1; duration: 520; easing.type: Easing.OutBack }
                NumberAnimation { property: "rotation"; from: 14; to: 0; duration: 520; easing.type: Easing.OutCubic }
                NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 360 }
            }
        }
        pushExit: Transition {
            ParallelAnimation {
                NumberAnimation { property: "x"; from: 0; to: -stack.width * 0.25; duration: 520; easing.type: Easing.OutCubic }
                NumberAnimation { property: "scale"; from: 1; to: 0.82; duration: 520; easing.type: Easing.OutCubic }
                NumberAnimation { property: "opacity"; from: 1; to: 0; duration: 520 }
            }
        }
        popEnter: Transition {
            ParallelAnimation {
                NumberAnimation { property: "x"; from: -stack.width * 0.25; to: 0; duration: 520; easing.type: Easing.OutCubic }
                NumberAnimation { property: "scale"; from: 0.82; to: 1; duration: 520; easing.type: Easing.OutCubic }
                NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 520 }
            }
        }
        popExit: Transition {
            ParallelAnimation {
                NumberAnimation { property: "x"; from: 0; to: stack.width; duration: 520; easing.type: Easing.InCubic }
                NumberAnimation { property: "rotation"; from: 0; to: -14; duration: 520; easing.type: Easing.InCubic }
                NumberAnimation { property: "opacity"; from: 1; to: 0; duration: 520; easing.type: Easing.InCubic }
            }
        }

        Component.onCompleted: stack.push(pageComponent, { number: 0 }, StackView.Immediate)
    }

    // Depth dots along the top: one per possible page, filled up to the current depth.
    Row {
        anchors.horizontalCenter: parent.horizontalCenter
        y: root.unit * 3.5
        spacing: root.unit * 1.5
        Repeater {
            model: root.maxDepth
            delegate: Rectangle {
                required property int index
                width: root.unit * 2.4
                height: width
                radius: width / 2
                color: index < stack.depth ? "#f1f1f1" : "transparent"
                border.color: "#f1f1f1"
                border.width: Math.max(1, root.unit * 0.3)
                Behavior on color { ColorAnimation { duration: 200 } }
            }
        }
    }

    Timer {
        id: stepper
        interval: 1800
        repeat: true
        running: true
        onTriggered: root.advance()
    }

    MouseArea {
        anchors.fill: parent
        onClicked: {
            root.advance()
            stepper.restart()
        }
    }
}
