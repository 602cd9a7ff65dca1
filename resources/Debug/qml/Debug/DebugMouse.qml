// Input diagnostics: shows the mouse position, the held mouse buttons, the wheel and the last key.
//
// Pixel layout, in scene pixels from the top left (x and y ranges include both ends):
//   background          #202020 everywhere not listed below
//   button boxes        y 8..39, 32 x 32 each, solid colour (labels are drawn below the boxes):
//                         L (left)    x   8..39      R (right)    x  48..79
//                         M (middle)  x  88..119     B (back)     x 128..159
//                         F (forward) x 168..199
//                       #00ff00 while the button is held, #404040 otherwise
//   wheel box           x 208..239, y 8..39: #0000ff after a notch up, #ffff00 after a notch
//                       down, #404040 before the first wheel event
//   key boxes           y 72..103, same columns as the button boxes:
//                         K (a key is held)   x   8..39   #00ff00 from key press to release
//                         C (Ctrl)            x  48..79   \
//                         S (Shift)           x  88..119   | #00ff00 if the last key press
//                         A (Alt)             x 128..159   | carried that modifier
//                         M (Meta)            x 168..199  /
//                       #404040 otherwise
//   crosshair           #ff0000, drawn above everything else, once a mouse event has arrived:
//                       the pixel column x = floor(mouse x), full height, and the pixel row
//                       y = floor(mouse y), full width
//   text                light grey lines from y 128 down: position, buttons, wheel, key
//
// Wheel notches count +1 up and -1 down (angle delta 120 per notch). Keys reach the scene
// through the item that has focus; the view's window must have active focus.
import QtQuick

Item {
    id: root

    readonly property color offColour: "#404040"
    readonly property color onColour: "#00ff00"

    property bool mouseSeen: false
    property real mouseX: 0
    property real mouseY: 0
    property int wheelNotches: 0     // up minus down
    property int wheelDirection: 0   // 1 up, -1 down, 0 none yet
    property int lastKey: 0
    property string lastKeyText: ""
    property int lastModifiers: 0
    property bool keyHeld: false
    property int keyPresses: 0

    readonly property var buttonBoxes: [
        { label: "L", button: Qt.LeftButton },
        { label: "R", button: Qt.RightButton },
        { label: "M", button: Qt.MiddleButton },
        { label: "B", button: Qt.BackButton },
        { label: "F", button: Qt.ForwardButton }
    ]
    readonly property var modifierBoxes: [
        { label: "C", modifier: Qt.ControlModifier, name: "Ctrl" },
        { label: "S", modifier: Qt.ShiftModifier, name: "Shift" },
        { label: "A", modifier: Qt.AltModifier, name: "Alt" },
        { label: "M", modifier: Qt.MetaModifier, name: "Meta" }
    ]

    function moveTo(x, y) {
        mouseX = x
        mouseY = y
        mouseSeen = true
    }

    function buttonNames(buttons) {
        const names = buttonBoxes.filter(b => buttons & b.button).map(b => b.label)
        return names.length ? names.join(" ") : "-"
    }

    function modifierNames(modifiers) {
        const names = modifierBoxes.filter(m => modifiers & m.modifier).map(m => m.name)
        return names.length ? names.join("+") : "-"
    }

    function keyName(key) {
        const named = {
            [Qt.Key_Escape]: "Escape", [Qt.Key_Tab]: "Tab", [Qt.Key_Backspace]: "Backspace",
            [Qt.Key_Return]: "Return", [Qt.Key_Enter]: "Enter", [Qt.Key_Insert]: "Insert",
            [Qt.Key_Delete]: "Delete", [Qt.Key_Home]: "Home", [Qt.Key_End]: "End",
            [Qt.Key_Left]: "Left", [Qt.Key_Up]: "Up", [Qt.Key_Right]: "Right",
            [Qt.Key_Down]: "Down", [Qt.Key_PageUp]: "PageUp", [Qt.Key_PageDown]: "PageDown",
            [Qt.Key_Shift]: "Shift", [Qt.Key_Control]: "Ctrl", [Qt.Key_Meta]: "Meta",
            [Qt.Key_Alt]: "Alt", [Qt.Key_Space]: "Space"
        }
        if (named[key] !== undefined)
            return named[key]
        if ((key >= Qt.Key_A && key <= Qt.Key_Z) || (key >= Qt.Key_0 && key <= Qt.Key_9))
            return String.fromCharCode(key)
        if (key >= Qt.Key_F1 && key <= Qt.Key_F35)
            return "F" + (key - Qt.Key_F1 + 1)
        return key ? "0x" + key.toString(16) : "-"
    }

    Rectangle {
        anchors.fill: parent
        color: "#202020"
    }

    component Box: Rectangle {
        property string label
        property bool lit: false
        width: 32
        height: 32
        color: lit ? root.onColour : root.offColour
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.top: parent.bottom
            anchors.topMargin: 2
            text: parent.label
            color: "#d0d0d0"
            font.family: "monospace"
            font.pixelSize: 12
        }
    }

    Repeater {
        model: root.buttonBoxes
        delegate: Box {
            required property var modelData
            required property int index
            x: 8 + index * 40
            y: 8
            label: modelData.label
            lit: (mouseArea.pressedButtons & modelData.button) !== 0
        }
    }

    Box {
        x: 208
        y: 8
        label: "W"
        color: root.wheelDirection > 0 ? "#0000ff" : root.wheelDirection < 0 ? "#ffff00" : root.offColour
    }

    Box {
        x: 8
        y: 72
        label: "K"
        lit: root.keyHeld
    }

    Repeater {
        model: root.modifierBoxes
        delegate: Box {
            required property var modelData
            required property int index
            x: 48 + index * 40
            y: 72
            label: modelData.label
            lit: (root.lastModifiers & modelData.modifier) !== 0
        }
    }

    Column {
        x: 8
        y: 128
        spacing: 4
        Repeater {
            model: 4
            delegate: Text {
                required property int index
                color: "#d0d0d0"
                font.family: "monospace"
                font.pixelSize: 16
                text: [
                    "pos     " + (root.mouseSeen ? Math.floor(root.mouseX) + ", " + Math.floor(root.mouseY) : "-"),
                    "buttons " + root.buttonNames(mouseArea.pressedButtons),
                    "wheel   " + root.wheelNotches,
                    "key     " + root.keyName(root.lastKey)
                        + (root.lastKeyText.length && root.lastKeyText.charCodeAt(0) >= 32
                           ? " '" + root.lastKeyText + "'" : "")
                        + "  " + root.modifierNames(root.lastModifiers)
                        + "  (" + root.keyPresses + " presses)"
                ][index]
            }
        }
    }

    MouseArea {
        id: mouseArea
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        hoverEnabled: true
        onPositionChanged: mouse => root.moveTo(mouse.x, mouse.y)
        onPressed: mouse => root.moveTo(mouse.x, mouse.y)
        onReleased: mouse => root.moveTo(mouse.x, mouse.y)
        onWheel: wheel => {
            root.moveTo(wheel.x, wheel.y)
            const notches = Math.round(wheel.angleDelta.y / 120)
            if (notches !== 0) {
                root.wheelNotches += notches
                root.wheelDirection = notches > 0 ? 1 : -1
            }
        }
    }

    Item {
        id: keyCatcher
        focus: true
        Keys.onPressed: event => {
            root.lastKey = event.key
            root.lastKeyText = event.text
            root.lastModifiers = event.modifiers
            root.keyHeld = true
            root.keyPresses++
            event.accepted = true
        }
        Keys.onReleased: event => {
            if (!event.isAutoRepeat)
                root.keyHeld = false
            event.accepted = true
        }
    }

    // Crosshair, above everything else.
    Rectangle {
        visible: root.mouseSeen
        z: 10
        x: Math.floor(root.mouseX)
        y: 0
        width: 1
        height: root.height
        color: "#ff0000"
    }
    Rectangle {
        visible: root.mouseSeen
        z: 10
        x: 0
        y: Math.floor(root.mouseY)
        width: root.width
        height: 1
        color: "#ff0000"
    }
}
