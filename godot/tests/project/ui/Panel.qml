import QtQuick

Rectangle { width: 160; height: 160; color: "#00ff00" }
