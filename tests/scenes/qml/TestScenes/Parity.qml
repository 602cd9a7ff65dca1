import QtQuick
import QtQuick.Controls

// Still content whose pixels depend on the Qt platform if anything does: text in every renderer
// and in the default font (taken from the platform's theme), antialiased edges, gradients, an
// image, and Qt Quick Controls in the default style (the platform's palette).
Rectangle {
    color: "#f0f0f0"

    Column {
        x: 20; y: 20
        spacing: 6
        Text { text: "Default font, default size: the quick brown fox 0123456789" }
        Text { text: "Qt rendering 18 px"; font.pixelSize: 18; renderType: Text.QtRendering }
        Text { text: "Native rendering 18 px"; font.pixelSize: 18; renderType: Text.NativeRendering }
        Text { text: "Curve rendering 30 px"; font.pixelSize: 30; renderType: Text.CurveRendering }
        Text { text: "Bold 24 pt"; font.pointSize: 24; font.bold: true }
        Text { text: "Italic serif 20 pt"; font.pointSize: 20; font.italic: true; font.family: "serif" }
        Text { text: "Monospace 14 pt: {}[]()<>"; font.pointSize: 14; font.family: "monospace" }
        Text { text: "Large 96 px Ag"; font.pixelSize: 96; color: "#204080" }
    }

    Rectangle {
        x: 900; y: 40; width: 300; height: 200; radius: 40
        rotation: 17; antialiasing: true
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#ff8000" }
            GradientStop { position: 1.0; color: "#0040ff" }
        }
        border.color: "#000000"; border.width: 3
    }

    Image {
        x: 1300; y: 40
        source: "qrc:/Splash/assets/images/footer_roofs_front.png"
        width: 500; height: 250; fillMode: Image.PreserveAspectFit; smooth: true
    }

    Column {
        x: 40; y: 600
        spacing: 12
        Button { text: "A button" }
        CheckBox { text: "A check box"; checked: true }
        Slider { width: 400; value: 0.3 }
        TextField { width: 400; text: "Some text in a field" }
    }
}
