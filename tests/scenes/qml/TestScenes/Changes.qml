import QtQuick

// Still unless something changes it: a 100 x 100 square at (0, 0) that turns yellow while the
// mouse is over it, a focused text field (white text in the band y 300..400) without a blinking
// cursor, an "accent" square at (200, 0) and a bar at y 450 that moves while "animate" is true.
Rectangle {
    id: root
    color: "#000000"
    property color accent: "#00ff00"
    property bool animate: false

    Rectangle {
        width: 100; height: 100
        color: hover.containsMouse ? "#ffff00" : "#808080"
        MouseArea { id: hover; anchors.fill: parent; hoverEnabled: true }
    }

    Rectangle { x: 200; y: 0; width: 100; height: 100; color: root.accent }

    TextInput {
        x: 0; y: 300; width: 500; height: 100
        focus: true
        color: "#ffffff"
        font.pixelSize: 80
        cursorDelegate: Item {}
    }

    Rectangle {
        id: bar
        y: 450; width: 20; height: 40; color: "#ff00ff"
        NumberAnimation on x { from: 0; to: 480; duration: 1000; loops: Animation.Infinite; running: root.animate }
    }
}
