import QtQuick

// Black; a press puts a 40 x 40 white marker centred on the press; typed text appears in white
// in the band y 600..800; reports one console message shortly after it starts.
Rectangle {
    id: root
    color: "#000000"
    property int presses: 0

    signal javaScriptConsoleMessage(int level, string message, int lineNumber, string sourceID)

    Rectangle { id: marker; width: 40; height: 40; color: "#ffffff"; visible: false }

    MouseArea {
        anchors.fill: parent
        onPressed: (mouse) => {
            marker.x = mouse.x - 20
            marker.y = mouse.y - 20
            marker.visible = true
            root.presses++
        }
    }

    TextInput {
        objectName: "input"
        x: 0; y: 600; width: 1000; height: 200
        focus: true
        color: "#ffffff"
        font.pixelSize: 120
    }

    Component.onCompleted: view.singleShot(50, function() {
        root.javaScriptConsoleMessage(2, "scene ready", 42, "qrc:/interactive")
    })
}
