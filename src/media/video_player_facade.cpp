// SVideoPlayerView: the host's handle of a video player view.

#include "sorvane/video_player_view.h"

#include "media/media_maps.h"
#include "media/video_view.h"
#include "runtime/facade_support.h"

#include <QAudioOutput>

namespace sorvane {

namespace {

VideoView* video(View* view)
{
    return static_cast<VideoView*>(view);
}

QMediaPlayer* player(View* view)
{
    return video(view)->player();
}

QAudioOutput* audio(View* view)
{
    return video(view)->audio_output();
}

}  // namespace

SVideoPlayerView::SVideoPlayerView() : SQuickView(NoView{})
{
    m_view = create_view(&SorvaneCtx::_create_videoplayerview);
}

void SVideoPlayerView::reset() const
{
    carry::posted(m_view, [](View* v) { v->reset(); });
}

// --- Source and playback -------------------------------------------------------------------------

void SVideoPlayerView::set_source(std::string source) const
{
    carry::waited(m_view, [source = QString::fromStdString(source)](View* v) { video(v)->set_source(source); });
}

std::string SVideoPlayerView::get_source() const
{
    return carry::waited(m_view, [](View* v) { return player(v)->source().toString().toStdString(); });
}

void SVideoPlayerView::play() const
{
    carry::blocking(m_view, [](View* v) { player(v)->play(); });
}

void SVideoPlayerView::pause() const
{
    carry::blocking(m_view, [](View* v) { player(v)->pause(); });
}

void SVideoPlayerView::stop() const
{
    carry::blocking(m_view, [](View* v) { player(v)->stop(); });
}

void SVideoPlayerView::set_auto_play(bool auto_play) const
{
    carry::posted(m_view, [auto_play](View* v) { video(v)->set_auto_play(auto_play); });
}

void SVideoPlayerView::set_position(unsigned long position_ms) const
{
    carry::posted(m_view, [position_ms](View* v) { player(v)->setPosition(static_cast<qint64>(position_ms)); });
}

long long SVideoPlayerView::get_position() const
{
    return carry::waited(m_view, [](View* v) -> long long { return player(v)->position(); });
}

long long SVideoPlayerView::get_duration() const
{
    return carry::waited(m_view, [](View* v) -> long long { return player(v)->duration(); });
}

void SVideoPlayerView::set_volume(float volume) const
{
    carry::blocking(m_view, [volume](View* v) { audio(v)->setVolume(volume); });
}

float SVideoPlayerView::get_volume() const
{
    return carry::waited(m_view, [](View* v) { return audio(v)->volume(); });
}

void SVideoPlayerView::set_muted(bool muted) const
{
    carry::posted(m_view, [muted](View* v) { audio(v)->setMuted(muted); });
}

bool SVideoPlayerView::get_muted() const
{
    return carry::waited(m_view, [](View* v) { return audio(v)->isMuted(); });
}

void SVideoPlayerView::set_playback_rate(double rate) const
{
    carry::blocking(m_view, [rate](View* v) { player(v)->setPlaybackRate(rate); });
}

double SVideoPlayerView::get_playback_rate() const
{
    return carry::waited(m_view, [](View* v) { return player(v)->playbackRate(); });
}

void SVideoPlayerView::set_loops(unsigned int loops) const
{
    carry::blocking(m_view, [loops](View* v) { player(v)->setLoops(static_cast<int>(loops)); });
}

int SVideoPlayerView::get_loops() const
{
    return carry::waited(m_view, [](View* v) { return player(v)->loops(); });
}

// --- Audio to the host ---------------------------------------------------------------------------

void SVideoPlayerView::set_audio_to_host(bool to_host) const
{
    carry::blocking(m_view, [to_host](View* v) { video(v)->set_audio_to_host(to_host); });
}

bool SVideoPlayerView::get_audio_to_host() const
{
    return carry::waited(m_view, [](View* v) { return video(v)->audio_to_host(); });
}

void SVideoPlayerView::set_audio_to_host_format(int sample_rate, int channels) const
{
    carry::blocking(m_view, [sample_rate, channels](View* v) { video(v)->set_audio_to_host_format(sample_rate, channels); });
}

void SVideoPlayerView::set_func_audio_received(
    std::function<void(const float* samples, int frames, int channels, int sample_rate)> func) const
{
    store_callback(m_view, &VideoView::m_on_audio_received, std::move(func));
}

// --- Presentation --------------------------------------------------------------------------------

void SVideoPlayerView::set_fill_mode(unsigned int fill_mode) const
{
    carry::blocking(m_view, [fill_mode](View* v) { video(v)->set_fill_mode(fill_mode); });
}

unsigned int SVideoPlayerView::get_fill_mode() const
{
    return carry::waited(m_view, [](View* v) { return video(v)->fill_mode(); });
}

void SVideoPlayerView::set_controls(bool enabled) const
{
    carry::blocking(m_view, [enabled](View* v) { video(v)->set_controls(enabled); });
}

bool SVideoPlayerView::get_controls() const
{
    return carry::waited(m_view, [](View* v) { return video(v)->controls(); });
}

void SVideoPlayerView::set_controls_auto_hide(bool auto_hide) const
{
    carry::blocking(m_view, [auto_hide](View* v) { video(v)->set_controls_auto_hide(auto_hide); });
}

bool SVideoPlayerView::get_controls_auto_hide() const
{
    return carry::waited(m_view, [](View* v) { return video(v)->controls_auto_hide(); });
}

// --- Player state --------------------------------------------------------------------------------

int SVideoPlayerView::get_playback_state() const
{
    return carry::waited(m_view, [](View* v) { return static_cast<int>(player(v)->playbackState()); });
}

int SVideoPlayerView::get_media_status() const
{
    return carry::waited(m_view, [](View* v) { return static_cast<int>(player(v)->mediaStatus()); });
}

int SVideoPlayerView::get_error() const
{
    return carry::waited(m_view, [](View* v) { return static_cast<int>(player(v)->error()); });
}

std::string SVideoPlayerView::get_error_string() const
{
    return carry::waited(m_view, [](View* v) { return player(v)->errorString().toStdString(); });
}

bool SVideoPlayerView::get_seekable() const
{
    return carry::waited(m_view, [](View* v) { return player(v)->isSeekable(); });
}

bool SVideoPlayerView::get_has_audio() const
{
    return carry::waited(m_view, [](View* v) { return player(v)->hasAudio(); });
}

bool SVideoPlayerView::get_has_video() const
{
    return carry::waited(m_view, [](View* v) { return player(v)->hasVideo(); });
}

float SVideoPlayerView::get_buffer_progress() const
{
    return carry::waited(m_view, [](View* v) { return player(v)->bufferProgress(); });
}

// --- Tracks and metadata -------------------------------------------------------------------------

void SVideoPlayerView::set_active_audio_track(int index) const
{
    carry::posted(m_view, [index](View* v) { player(v)->setActiveAudioTrack(index); });
}

void SVideoPlayerView::set_active_video_track(int index) const
{
    carry::posted(m_view, [index](View* v) { player(v)->setActiveVideoTrack(index); });
}

void SVideoPlayerView::set_active_subtitle_track(int index) const
{
    carry::posted(m_view, [index](View* v) { video(v)->set_active_subtitle_track(index); });
}

int SVideoPlayerView::get_active_audio_track() const
{
    return carry::waited(m_view, [](View* v) { return player(v)->activeAudioTrack(); });
}

int SVideoPlayerView::get_active_video_track() const
{
    return carry::waited(m_view, [](View* v) { return player(v)->activeVideoTrack(); });
}

int SVideoPlayerView::get_active_subtitle_track() const
{
    return carry::waited(m_view, [](View* v) { return player(v)->activeSubtitleTrack(); });
}

std::string SVideoPlayerView::get_current_subtitle_name() const
{
    return carry::waited(m_view, [](View* v) { return video(v)->get_current_subtitle_name().toStdString(); });
}

std::vector<SVideoPlayerView::TextMap> SVideoPlayerView::get_audio_tracks() const
{
    return carry::waited(m_view, [](View* v) { return media::track_list(player(v)->audioTracks()); });
}

std::vector<SVideoPlayerView::TextMap> SVideoPlayerView::get_video_tracks() const
{
    return carry::waited(m_view, [](View* v) { return media::track_list(player(v)->videoTracks()); });
}

std::vector<SVideoPlayerView::TextMap> SVideoPlayerView::get_subtitle_tracks() const
{
    return carry::waited(m_view, [](View* v) { return media::track_list(player(v)->subtitleTracks()); });
}

SVideoPlayerView::TextMap SVideoPlayerView::get_metadata() const
{
    return carry::waited(m_view, [](View* v) { return media::metadata_map(player(v)->metaData()); });
}

// --- Callbacks -----------------------------------------------------------------------------------

void SVideoPlayerView::set_func_on_active_tracks_changed(std::function<void()> func) const
{
    store_callback(m_view, &VideoView::m_on_active_tracks_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_audio_buffer_output_changed(std::function<void()> func) const
{
    store_callback(m_view, &VideoView::m_on_audio_buffer_output_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_audio_output_changed(std::function<void()> func) const
{
    store_callback(m_view, &VideoView::m_on_audio_output_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_buffer_progress_changed(std::function<void(float)> func) const
{
    store_callback(m_view, &VideoView::m_on_buffer_progress_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_duration_changed(std::function<void(long long)> func) const
{
    store_callback(m_view, &VideoView::m_on_duration_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_error_changed(std::function<void()> func) const
{
    store_callback(m_view, &VideoView::m_on_error_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_error_occurred(std::function<void(int, std::string)> func) const
{
    store_callback(m_view, &VideoView::m_on_error_occurred, std::move(func));
}

void SVideoPlayerView::set_func_on_has_audio_changed(std::function<void(bool)> func) const
{
    store_callback(m_view, &VideoView::m_on_has_audio_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_has_video_changed(std::function<void(bool)> func) const
{
    store_callback(m_view, &VideoView::m_on_has_video_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_loops_changed(std::function<void()> func) const
{
    store_callback(m_view, &VideoView::m_on_loops_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_media_status_changed(std::function<void(int)> func) const
{
    store_callback(m_view, &VideoView::m_on_media_status_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_metadata_changed(std::function<void()> func) const
{
    store_callback(m_view, &VideoView::m_on_metadata_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_playback_rate_changed(std::function<void(float)> func) const
{
    store_callback(m_view, &VideoView::m_on_playback_rate_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_playback_state_changed(std::function<void(int)> func) const
{
    store_callback(m_view, &VideoView::m_on_playback_state_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_playing_changed(std::function<void(bool)> func) const
{
    store_callback(m_view, &VideoView::m_on_playing_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_position_changed(std::function<void(long long)> func) const
{
    store_callback(m_view, &VideoView::m_on_position_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_seekable_changed(std::function<void(bool)> func) const
{
    store_callback(m_view, &VideoView::m_on_seekable_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_source_changed(std::function<void(std::string)> func) const
{
    store_callback(m_view, &VideoView::m_on_source_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_tracks_changed(std::function<void()> func) const
{
    store_callback(m_view, &VideoView::m_on_tracks_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_video_output_changed(std::function<void()> func) const
{
    store_callback(m_view, &VideoView::m_on_video_output_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_muted_changed(std::function<void(bool)> func) const
{
    store_callback(m_view, &VideoView::m_on_muted_changed, std::move(func));
}

void SVideoPlayerView::set_func_on_volume_changed(std::function<void(float)> func) const
{
    store_callback(m_view, &VideoView::m_on_volume_changed, std::move(func));
}

}  // namespace sorvane
