// Video player: the view's media player ("ctx.player") drawn over the whole scene, with a title
// along the top and a control bar along the bottom:
//   - a seek bar following ctx.playing_position_pct, with the elapsed and remaining times;
//   - back to the start, 10 s back, play/pause, 10 s on, to the end;
//   - playback rate, subtitle track, audio track and fill mode, each cycling on a click;
//   - mute and a volume slider (the wheel over the slider or over the picture changes it).
// A click on the picture plays or pauses. The controls show while ctx.controls_enabled; with
// ctx.controls_auto_hide they show only for a while after the pointer moves.
//
// The root has no size of its own; the view sizes it to its resolution and everything below
// follows the root's size.
import QtQuick
import QtQuick.Controls.Basic
import QtMultimedia

Item {
    id: root

    readonly property real unit: Math.max(1, Math.min(width, height * 1.6) / 100)
    readonly property string icons: "qrc:/Multimedia/assets/images/Multimedia/"
    readonly property var player: ctx.player
    readonly property var audio: ctx.audioOutput
    readonly property var rates: [1.0, 1.5, 2.0, 0.5]
    readonly property var fillModeNames: ["Stretch", "Fit", "Crop"]

    // True for a while after the pointer moved; only auto-hide looks at it, and it keeps the
    // controls up while the pointer rests on them.
    property bool pointerActive: false
    readonly property bool controlsShown: ctx.controls_enabled
        && (!ctx.controls_auto_hide || pointerActive || barHover.hovered)
    property string subtitleName: ""
    // Where the host's seek bar was dragged to, until the position catches up (-1: none).
    property real seekTarget: -1

    function poke() {
        pointerActive = true
        hideTimer.restart()
    }
    function togglePlay() {
        if (player.playing)
            ctx.pause()
        else
            ctx.play()
    }
    function seekTo(ms) {
        ctx.set_position(Math.max(0, Math.min(ctx.duration, Math.round(ms))))
    }
    function nextRate() {
        const index = rates.indexOf(player.playbackRate)
        player.playbackRate = rates[(index + 1) % rates.length]
    }
    function nextSubtitleTrack() {
        const next = player.activeSubtitleTrack + 1
        ctx.set_active_subtitle_track(next >= ctx.countSubtitleTracks ? -1 : next)
    }
    function nextAudioTrack() {
        if (ctx.countAudioTracks > 1)
            player.activeAudioTrack = (player.activeAudioTrack + 1) % ctx.countAudioTracks
    }
    function nextFillMode() {
        ctx.set_fill_mode(ctx.fill_mode >= 2 ? 0 : ctx.fill_mode + 1)
    }
    function changeVolume(step) {
        audio.volume = Math.max(0, Math.min(1, audio.volume + step))
    }
    function rateText(rate) {
        return (Math.round(rate * 100) / 100) + "x"
    }

    Rectangle {
        anchors.fill: parent
        color: "#000000"
    }

    VideoOutput {
        id: output
        objectName: "videoOutput"
        anchors.fill: parent
        // 0 stretch, 1 fit, 2 crop; any other value fits.
        fillMode: ctx.fill_mode <= 2 ? ctx.fill_mode : VideoOutput.PreserveAspectFit
        Component.onCompleted: ctx.setVideoSink(videoSink)
    }

    Connections {
        target: ctx
        function onActiveTracksChanged() { root.subtitleName = ctx.get_current_subtitle_name() }
        function onTracksChanged() { root.subtitleName = ctx.get_current_subtitle_name() }
        function onPlaying_position_pctChanged() { root.seekTarget = -1 }
    }

    Timer {
        id: hideTimer
        interval: 2500
        onTriggered: root.pointerActive = false
    }

    HoverHandler {
        onPointChanged: root.poke()
    }

    // The picture itself: a click plays or pauses, the wheel sets the volume.
    MouseArea {
        anchors.fill: parent
        onClicked: root.togglePlay()
        onWheel: wheel => root.changeVolume(wheel.angleDelta.y > 0 ? 0.05 : -0.05)
    }

    // What the player is doing when it shows no picture.
    Text {
        anchors.centerIn: parent
        visible: text !== ""
        text: player.error !== MediaPlayer.NoError ? player.errorString
            : player.mediaStatus === MediaPlayer.LoadingMedia ? "Loading…"
            : player.mediaStatus === MediaPlayer.StalledMedia
              || player.mediaStatus === MediaPlayer.BufferingMedia ? "Buffering…"
            : ""
        color: "#ffffff"
        style: Text.Outline
        styleColor: "#000000"
        font.pixelSize: root.unit * 2.4
    }

    component IconButton: Rectangle {
        id: button

        property string icon
        property string label: ""
        signal activated()

        width: Math.max(height, content.implicitWidth + root.unit * 1.2)
        height: root.unit * 3.6
        radius: height / 2
        color: area.pressed ? "#55ffffff" : area.containsMouse ? "#30ffffff" : "transparent"
        opacity: enabled ? 1 : 0.35

        Row {
            id: content
            anchors.centerIn: parent
            spacing: root.unit * 0.4
            Image {
                anchors.verticalCenter: parent.verticalCenter
                width: root.unit * 2.4
                height: width
                sourceSize: Qt.size(width, height)
                source: root.icons + button.icon + ".svg"
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                visible: button.label !== ""
                text: button.label
                color: "#ffffff"
                font.pixelSize: root.unit * 1.4
            }
        }

        MouseArea {
            id: area
            anchors.fill: parent
            hoverEnabled: true
            onClicked: button.activated()
        }
    }

    // Title.
    Rectangle {
        id: titleBar
        objectName: "titleBar"
        width: root.width
        height: root.unit * 7
        opacity: root.controlsShown ? 1 : 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 150 } }
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#c0000000" }
            GradientStop { position: 1.0; color: "#00000000" }
        }
        Text {
            x: root.unit * 2
            y: root.unit * 1.5
            width: parent.width - root.unit * 4
            elide: Text.ElideMiddle
            text: ctx.ui_controls_source_humanized ? ctx.path_or_url_humanized : ctx.path_or_url
            color: "#ffffff"
            font.pixelSize: root.unit * 1.8
        }
    }

    // Controls.
    Rectangle {
        id: controls
        objectName: "controls"
        anchors.bottom: parent.bottom
        width: root.width
        height: bar.implicitHeight + root.unit * 3
        opacity: root.controlsShown ? 1 : 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 150 } }
        gradient: Gradient {
            GradientStop { position: 0.0; color: "#00000000" }
            GradientStop { position: 0.35; color: "#b0000000" }
            GradientStop { position: 1.0; color: "#e0000000" }
        }

        HoverHandler {
            id: barHover
        }
        // Clicks between the buttons stay in the bar.
        MouseArea {
            anchors.fill: parent
        }

        Column {
            id: bar
            x: root.unit * 2
            width: parent.width - root.unit * 4
            anchors.bottom: parent.bottom
            anchors.bottomMargin: root.unit * 1.2
            spacing: root.unit * 0.6

            Slider {
                id: seekBar
                objectName: "seekBar"
                width: parent.width
                height: root.unit * 2.4
                from: 0
                to: 100
                enabled: ctx.duration > 0
                value: root.seekTarget >= 0 ? root.seekTarget
                     : isFinite(ctx.playing_position_pct) ? ctx.playing_position_pct : 0
                onMoved: {
                    root.seekTarget = value
                    root.seekTo(value / 100 * ctx.duration)
                }
            }

            Item {
                width: parent.width
                height: buttons.height

                Row {
                    id: buttons
                    spacing: root.unit * 0.4

                    IconButton {
                        objectName: "startButton"
                        icon: "skip_previous"
                        onActivated: root.seekTo(0)
                    }
                    IconButton {
                        objectName: "backButton"
                        icon: "chevron_backward"
                        onActivated: root.seekTo(root.player.position - 10000)
                    }
                    IconButton {
                        objectName: "playPauseButton"
                        icon: root.player.playing ? "pause" : "play_arrow"
                        onActivated: root.togglePlay()
                    }
                    IconButton {
                        objectName: "forwardButton"
                        icon: "chevron_forward"
                        onActivated: root.seekTo(root.player.position + 10000)
                    }
                    IconButton {
                        objectName: "endButton"
                        icon: "skip_next"
                        onActivated: root.seekTo(ctx.duration - 1000)
                    }
                    Text {
                        objectName: "clock"
                        anchors.verticalCenter: parent.verticalCenter
                        leftPadding: root.unit
                        text: (seekBar.pressed
                               ? ctx.playing_position_to_str(Math.floor(seekBar.value / 100 * ctx.duration / 1000))
                               : ctx.playing_position_str)
                              + "  /  " + ctx.playing_minus_position_str
                        color: "#ffffff"
                        font.family: "monospace"
                        font.pixelSize: root.unit * 1.5
                    }
                }

                Row {
                    anchors.right: parent.right
                    spacing: root.unit * 0.4

                    IconButton {
                        objectName: "rateButton"
                        icon: "fast_forward"
                        label: root.rateText(root.player.playbackRate)
                        onActivated: root.nextRate()
                    }
                    IconButton {
                        objectName: "subtitleButton"
                        icon: "subtitles"
                        enabled: ctx.countSubtitleTracks > 0
                        label: root.subtitleName !== "" ? root.subtitleName
                             : root.player.activeSubtitleTrack >= 0 ? "#" + (root.player.activeSubtitleTrack + 1)
                             : "Off"
                        onActivated: root.nextSubtitleTrack()
                    }
                    IconButton {
                        objectName: "audioTrackButton"
                        icon: "voice_chat"
                        enabled: ctx.countAudioTracks > 1
                        label: ctx.countAudioTracks > 0
                               ? (root.player.activeAudioTrack + 1) + "/" + ctx.countAudioTracks : "-"
                        onActivated: root.nextAudioTrack()
                    }
                    IconButton {
                        objectName: "fillModeButton"
                        icon: "crop"
                        label: ctx.fill_mode <= 2 ? root.fillModeNames[ctx.fill_mode] : "Fit"
                        onActivated: root.nextFillMode()
                    }
                    IconButton {
                        objectName: "muteButton"
                        icon: root.audio.muted || root.audio.volume === 0 ? "volume_off" : "volume_up"
                        onActivated: root.audio.muted ? ctx.unmute() : ctx.mute()
                    }
                    Slider {
                        id: volumeSlider
                        objectName: "volumeSlider"
                        anchors.verticalCenter: parent.verticalCenter
                        width: root.unit * 12
                        height: root.unit * 2.4
                        from: 0
                        to: 1
                        stepSize: 0.05
                        wheelEnabled: true
                        value: root.audio.volume
                        onMoved: root.audio.volume = value
                    }
                }
            }
        }
    }
}
