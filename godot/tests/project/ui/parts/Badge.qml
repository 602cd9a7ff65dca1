import QtQuick

Image { width: 160; height: 160; source: Qt.resolvedUrl("badge.svg") }
