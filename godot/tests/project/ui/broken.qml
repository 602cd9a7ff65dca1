import QtQuick

Rectangle {
    width: 300
    colr: "red"
}
