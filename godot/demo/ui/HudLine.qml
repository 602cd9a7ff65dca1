import QtQuick

// One line of the HUD: a label and its value.
Row {
    property string label
    property string value
    spacing: 16
    Text { width: 80; text: label; color: "#a0a0b0"; font.pixelSize: 24 }
    Text { text: value; color: "white"; font.pixelSize: 24 }
}
