import QtQuick

// Counts the frames of its animation and shows the count in eight separate bands that cover the
// whole scene, each filled with the same colour: red is the count's low byte, green its high
// byte. A frame drawn only in part shows bands of different colours.
Item {
    id: root
    property int count: 0
    property bool counting: true
    readonly property color shade: Qt.rgba((count % 256) / 255, (Math.floor(count / 256) % 256) / 255, 0.5, 1)

    FrameAnimation {
        running: root.counting
        onTriggered: root.count += 1
    }

    Repeater {
        model: 8
        Rectangle {
            required property int index
            x: 0; y: index * root.height / 8
            width: root.width; height: root.height / 8
            color: root.shade
        }
    }
}
