import QtQuick

// The demo's HUD, a scene of the game's own: a translucent panel with a title, a line from a
// component beside it and a clock, over the room.
Rectangle {
    id: hud
    width: 480
    height: 270
    color: "#c0101018"
    radius: 12

    property int seconds: 0

    Text {
        x: 20; y: 16
        text: "webview demo"
        color: "#ffcc33"
        font.pixelSize: 32
        font.bold: true
    }
    HudLine { x: 20; y: 80; label: "page"; value: "res://pages/screen.html" }
    HudLine { x: 20; y: 120; label: "clip"; value: "media/clip.mp4" }
    HudLine { x: 20; y: 160; label: "time"; value: hud.seconds + " s" }

    Timer {
        interval: 1000
        running: true
        repeat: true
        onTriggered: hud.seconds += 1
    }
}
