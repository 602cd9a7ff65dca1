// Latency probe: squares that change on every rendered frame and on every input event, so that a
// host can count the frames between sending input and seeing its effect.
//
// Pixel layout, in scene pixels from the top left (ranges include both ends):
//   frame square  x   0..63,  y 0..63  #ff00ff on even frame counts, #00ffff on odd ones; the
//                                      count goes up once per rendered frame, so the square
//                                      changes colour in every frame
//   input square  x  64..127, y 0..63  #000000 on even input counts, #ffffff on odd ones; the
//                                      count goes up on every mouse press, mouse release, wheel
//                                      event, key press and key release
//   move square   x 128..191, y 0..63  #000000 on even move counts, #ffffff on odd ones; the
//                                      count goes up on every mouse move (hover or drag)
//   background    #202020 elsewhere, with the three counts as text from y 72 down
//
// A frame is counted on each afterAnimating of the scene's window, which the offscreen pipeline
// emits once per rendered frame just before synchronising the scene, so the new colour is part
// of that very frame. Keys reach the scene through the focused item; the view's window must
// have active focus.
import QtQuick

Item {
    id: root

    property int frames: 0
    property int inputs: 0
    property int moves: 0

    Connections {
        target: root.Window.window
        function onAfterAnimating() {
            root.frames++
        }
    }

    Rectangle {
        anchors.fill: parent
        color: "#202020"
    }

    Rectangle {
        x: 0
        y: 0
        width: 64
        height: 64
        color: root.frames % 2 === 0 ? "#ff00ff" : "#00ffff"
    }

    Rectangle {
        x: 64
        y: 0
        width: 64
        height: 64
        color: root.inputs % 2 === 0 ? "#000000" : "#ffffff"
    }

    Rectangle {
        x: 128
        y: 0
        width: 64
        height: 64
        color: root.moves % 2 === 0 ? "#000000" : "#ffffff"
    }

    Text {
        x: 8
        y: 72
        color: "#d0d0d0"
        font.family: "monospace"
        font.pixelSize: 16
        text: "frames " + root.frames + "\ninputs " + root.inputs + "\nmoves  " + root.moves
    }

    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        hoverEnabled: true
        onPressed: root.inputs++
        onReleased: root.inputs++
        onWheel: root.inputs++
        onPositionChanged: root.moves++
    }

    Item {
        focus: true
        Keys.onPressed: event => {
            root.inputs++
            event.accepted = true
        }
        Keys.onReleased: event => {
            root.inputs++
            event.accepted = true
        }
    }
}
