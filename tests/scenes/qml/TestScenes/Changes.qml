import QtQuick

// Black and still until something changes it: a 100 x 100 square at (0, 0) turns white while the
// mouse is over it; with `animating` set, a 50 x 50 green square runs along y 500..550.
Rectangle {
    id: root
    color: "#000000"
    property bool animating: false

    Rectangle {
        width: 100; height: 100
        color: hover.containsMouse ? "#ffffff" : "#404040"
        MouseArea { id: hover; anchors.fill: parent; hoverEnabled: true }
    }

    Rectangle {
        id: runner
        y: 500; width: 50; height: 50
        color: "#00ff00"
        NumberAnimation on x {
            running: root.animating
            from: 0; to: 1800; duration: 4000
            loops: Animation.Infinite
        }
    }
}
