import QtQuick

// Declares its own size, which the view keeps.
Rectangle {
    width: 640
    height: 360
    color: "#ffff00"
}
