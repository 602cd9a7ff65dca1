#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sorvane/quick_view.h"

namespace sorvane {

// A view that plays video files and streams. Load its scene with load("Multimedia",
// "VideoPlayer"); set_source may come before or after the load.
//
// Integer results hold the values of Qt's QMediaPlayer enumerations (playback state, media
// status, error). Track indexes are positions in the lists of get_*_tracks(); -1 means none.
// Texts are UTF-8. On a facade without a view every operation returns its default at once.
class SORVANE_EXPORT SVideoPlayerView : public SQuickView {
public:
    using TextMap = std::map<std::string, std::string>;

    SVideoPlayerView();

    // Posted: returns at once; the reset (which stops the player first) runs on the Qt thread
    // later.
    void reset() const override;

    // --- Source and playback (the caller waits unless marked posted) ------------------------
    // A local path or a URL.
    void set_source(std::string source) const;
    std::string get_source() const;
    void play() const;
    void pause() const;
    void stop() const;
    // Posted. Whether the scene starts playback when it is loaded (default true).
    void set_auto_play(bool auto_play) const;
    // Posted. Milliseconds; passed to the player whether the media is seekable or not.
    void set_position(unsigned long position_ms) const;
    long long get_position() const;  // milliseconds
    long long get_duration() const;  // milliseconds
    void set_volume(float volume) const;  // 0.0 to 1.0
    float get_volume() const;
    void set_muted(bool muted) const;  // posted
    bool get_muted() const;
    void set_playback_rate(double rate) const;
    double get_playback_rate() const;
    // 1 plays once; 4294967295 (-1 as int) loops for ever.
    void set_loops(unsigned int loops) const;
    int get_loops() const;

    // --- Presentation ------------------------------------------------------------------------
    // 0 stretch, 1 fit (default), 2 crop; 4294967295 is kept as given, any other value gives 0.
    void set_fill_mode(unsigned int fill_mode) const;
    unsigned int get_fill_mode() const;
    // The scene's on-screen controls (default on) and whether they hide while the mouse rests
    // (default off).
    void set_controls(bool enabled) const;
    bool get_controls() const;
    void set_controls_auto_hide(bool auto_hide) const;
    bool get_controls_auto_hide() const;

    // --- Player state --------------------------------------------------------------------------
    int get_playback_state() const;
    int get_media_status() const;
    int get_error() const;
    std::string get_error_string() const;
    bool get_seekable() const;
    bool get_has_audio() const;
    bool get_has_video() const;
    float get_buffer_progress() const;  // 0.0 to 1.0

    // --- Tracks and metadata ---------------------------------------------------------------------
    // Posted; the index goes to the player unchanged.
    void set_active_audio_track(int index) const;
    void set_active_video_track(int index) const;
    // Posted; an index past the last subtitle track switches subtitles off, as -1 does.
    void set_active_subtitle_track(int index) const;
    int get_active_audio_track() const;
    int get_active_video_track() const;
    int get_active_subtitle_track() const;
    // The language of the active subtitle track ("English"), empty when none is active.
    std::string get_current_subtitle_name() const;
    // One map per track, keyed by metadata names ("Language", "AudioCodec", ...); the vector
    // index is the track index.
    std::vector<TextMap> get_audio_tracks() const;
    std::vector<TextMap> get_video_tracks() const;
    std::vector<TextMap> get_subtitle_tracks() const;
    // The media's metadata ("Title", "Duration", ...), in key order.
    TextMap get_metadata() const;

    // --- Audio to the host ---------------------------------------------------------------------
    // Whether the decoded audio goes to the host's callback (set_func_audio_received) instead of
    // the system's audio output (default false: the view plays it itself). While it goes to the
    // host the view plays none of it. Volume and mute still apply: the callback receives the
    // samples scaled by the volume, and silence while muted.
    void set_audio_to_host(bool to_host) const;
    bool get_audio_to_host() const;
    // The sample rate and channel count the host wants (the decoder resamples and remixes; a mono
    // source made stereo is 3 dB lower in each channel). With either at 0 (the default) each
    // buffer keeps the media's own format. Applies at once, to the buffers decoded from then on.
    void set_audio_to_host_format(int sample_rate, int channels) const;
    // Stored at once on the calling thread, replacing the previous one; an empty function clears
    // it. Called on the Qt thread for each decoded buffer while the audio goes to the host:
    // `frames` frames of `channels` interleaved 32-bit float samples (-1.0 to 1.0) at
    // `sample_rate`, valid only during the call. The host must only copy them (into a buffer of
    // its own) and return: it must not wait for its own threads or call a waiting operation.
    void set_func_audio_received(
        std::function<void(const float* samples, int frames, int channels, int sample_rate)> func) const;

    // --- Callbacks ------------------------------------------------------------------------------
    // Stored at once on the calling thread, replacing the previous one; an empty function clears
    // it. Each runs on the Qt thread when its player event occurs: use only posted operations
    // and setters from inside one.
    void set_func_on_active_tracks_changed(std::function<void()> func) const;
    void set_func_on_audio_buffer_output_changed(std::function<void()> func) const;
    void set_func_on_audio_output_changed(std::function<void()> func) const;
    void set_func_on_buffer_progress_changed(std::function<void(float)> func) const;
    void set_func_on_duration_changed(std::function<void(long long)> func) const;
    void set_func_on_error_changed(std::function<void()> func) const;
    void set_func_on_error_occurred(std::function<void(int, std::string)> func) const;
    void set_func_on_has_audio_changed(std::function<void(bool)> func) const;
    void set_func_on_has_video_changed(std::function<void(bool)> func) const;
    void set_func_on_loops_changed(std::function<void()> func) const;
    void set_func_on_media_status_changed(std::function<void(int)> func) const;
    void set_func_on_metadata_changed(std::function<void()> func) const;
    void set_func_on_playback_rate_changed(std::function<void(float)> func) const;
    void set_func_on_playback_state_changed(std::function<void(int)> func) const;
    void set_func_on_playing_changed(std::function<void(bool)> func) const;
    void set_func_on_position_changed(std::function<void(long long)> func) const;
    void set_func_on_seekable_changed(std::function<void(bool)> func) const;
    void set_func_on_source_changed(std::function<void(std::string)> func) const;
    void set_func_on_tracks_changed(std::function<void()> func) const;
    void set_func_on_video_output_changed(std::function<void()> func) const;
    void set_func_on_muted_changed(std::function<void(bool)> func) const;
    void set_func_on_volume_changed(std::function<void(float)> func) const;
};

}  // namespace sorvane
