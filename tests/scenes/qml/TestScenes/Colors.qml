import QtQuick

// Red left half, blue right half, a 100 x 100 accent square at (200, 200).
Item {
    id: root
    property color accent: "#00ff00"

    Rectangle { x: 0; y: 0; width: root.width / 2; height: root.height; color: "#ff0000" }
    Rectangle { x: root.width / 2; y: 0; width: root.width / 2; height: root.height; color: "#0000ff" }
    Rectangle { x: 200; y: 200; width: 100; height: 100; color: root.accent }
}
