import QtQuick
import QtQuick.Window

// A window cannot be rendered offscreen into the host's texture; loading it fails.
Window {
    width: 300
    height: 300
    visible: false
}
