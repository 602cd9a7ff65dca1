// VideoPlayer: a Control that plays a video file or stream (the library's video player scene).
// Times are in seconds, as in Godot's own players; the player's state, status, position,
// duration, errors, tracks and metadata arrive as signals on the main thread, in order. Its
// sound plays on the system's output, or through an audio player of the scene (audio_player).
#pragma once

#include "audio_relay.h"
#include "view_control.h"

namespace sorvane { class SVideoPlayerView; }

namespace sorvane_godot {

class VideoPlayer : public ViewControl {
public:
    using ViewControl::ViewControl;

    static const ClassTable& table();

    void notification(int what) override;

    void set_source(const std::string& source);
    const std::string& source() const { return m_source; }
    void set_autoplay(bool autoplay);
    bool autoplay() const { return m_autoplay; }
    void play();
    void pause();
    void stop();
    void set_playback_position(double seconds);
    double playback_position() const;
    double duration() const;
    void set_volume(double volume);
    double volume() const { return m_volume; }
    void set_muted(bool muted);
    bool muted() const { return m_muted; }
    // A NodePath (relative to this node) to an AudioStreamPlayer, AudioStreamPlayer2D or
    // AudioStreamPlayer3D that plays the sound instead of the system's output; empty for the
    // system's output.
    void set_audio_player(const Variant& path);
    const Variant& audio_player() const { return m_audio_player; }
    // How often the media plays: 1 once, -1 for ever.
    void set_loops(std::int64_t loops);
    std::int64_t loops() const { return m_loops; }
    void set_playback_rate(double rate);
    double playback_rate() const { return m_playback_rate; }
    void set_fill_mode(std::int64_t mode);
    std::int64_t fill_mode() const { return m_fill_mode; }
    void set_controls(bool shown);
    bool controls() const { return m_controls; }
    std::int64_t playback_state() const;
    std::int64_t media_status() const;
    std::string error_string() const;
    // One Dictionary per track, keyed by metadata names ("Language", "AudioCodec", ...).
    Variant audio_tracks() const;
    Variant video_tracks() const;
    Variant subtitle_tracks() const;
    // The media's metadata ("Title", "Duration", ...).
    Variant metadata() const;

protected:
    FacadeSlot create_facade() override;
    void configure(sorvane::SView& facade) override;
    std::function<bool(sorvane::SView&)> loader() const override;
    void handle_event(const Event& event) override;

private:
    sorvane::SVideoPlayerView* player() const;
    bool plays_through_engine() const;
    void route_audio(sorvane::SVideoPlayerView& view);

    std::string m_source;
    bool m_autoplay = true;
    double m_volume = 1.0;
    bool m_muted = false;
    std::int64_t m_loops = 1;
    double m_playback_rate = 1.0;
    std::int64_t m_fill_mode = 1;
    bool m_controls = false;
    Variant m_audio_player = Variant::new_node_path("");
    AudioRelay m_audio_relay;
};

}  // namespace sorvane_godot
