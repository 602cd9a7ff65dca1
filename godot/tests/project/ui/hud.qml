import QtQuick
import "parts"

// A game's own HUD: a component beside it, one from a sub-folder and an image of that folder.
Rectangle {
    width: 640
    height: 480
    color: "#0000ff"
    Panel { x: 0; y: 0 }
    Badge { x: 320; y: 0 }
}
