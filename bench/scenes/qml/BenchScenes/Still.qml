import QtQuick

// A menu-like page that never changes by itself.
Rectangle {
    id: root
    gradient: Gradient {
        GradientStop { position: 0.0; color: "#20304a" }
        GradientStop { position: 1.0; color: "#0a0f18" }
    }
    property color accent: "#e0a030"
    Column {
        anchors.centerIn: parent
        spacing: 24
        Repeater {
            model: 6
            Rectangle {
                width: root.width / 3; height: 72; radius: 12
                color: index === 0 ? root.accent : "#304060"
                Text { anchors.centerIn: parent; text: "Menu entry " + index; color: "white"; font.pixelSize: 36 }
            }
        }
    }
}
