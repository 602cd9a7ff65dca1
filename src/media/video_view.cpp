#include "media/video_view.h"

#include "media/audio_samples.h"
#include "media/fill_mode.h"
#include "media/media_maps.h"

#include <QAudioBuffer>
#include <QAudioBufferOutput>
#include <QAudioFormat>
#include <QAudioOutput>
#include <QFileInfo>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTimer>
#include <QVideoSink>
#include <QtDebug>

namespace sorvane {

namespace {

constexpr int kPositionIntervalMs = 500;

}  // namespace

VideoView::VideoView(QObject* parent) : QuickView(parent)
{
    m_player = new QMediaPlayer(this);
    m_audio_output = new QAudioOutput(this);
    emit audioOutputChanged();
    m_player->setAudioOutput(m_audio_output);

    connect(m_player, &QMediaPlayer::activeTracksChanged, this, &VideoView::onActiveTracksChanged);
    connect(m_player, &QMediaPlayer::audioBufferOutputChanged, this, &VideoView::onAudioBufferOutputChanged);
    connect(m_player, &QMediaPlayer::audioOutputChanged, this, &VideoView::onAudioOutputChanged);
    connect(m_player, &QMediaPlayer::bufferProgressChanged, this, &VideoView::onBufferProgressChanged);
    connect(m_player, &QMediaPlayer::durationChanged, this, &VideoView::onDurationChanged);
    connect(m_player, &QMediaPlayer::errorChanged, this, &VideoView::onErrorChanged);
    connect(m_player, &QMediaPlayer::errorOccurred, this, &VideoView::onErrorOccurred);
    connect(m_player, &QMediaPlayer::hasAudioChanged, this, &VideoView::onHasAudioChanged);
    connect(m_player, &QMediaPlayer::hasVideoChanged, this, &VideoView::onHasVideoChanged);
    connect(m_player, &QMediaPlayer::loopsChanged, this, &VideoView::onLoopsChanged);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &VideoView::onMediaStatusChanged);
    connect(m_player, &QMediaPlayer::metaDataChanged, this, &VideoView::onMetaDataChanged);
    connect(m_player, &QMediaPlayer::playbackRateChanged, this, &VideoView::onPlaybackRateChanged);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &VideoView::onPlaybackStateChanged);
    connect(m_player, &QMediaPlayer::playingChanged, this, &VideoView::onPlayingChanged);
    connect(m_player, &QMediaPlayer::positionChanged, this, &VideoView::onPositionChanged);
    connect(m_player, &QMediaPlayer::seekableChanged, this, &VideoView::onSeekableChanged);
    connect(m_player, &QMediaPlayer::sourceChanged, this, &VideoView::onSourceChanged);
    connect(m_player, &QMediaPlayer::tracksChanged, this, &VideoView::onTracksChanged);
    connect(m_player, &QMediaPlayer::videoOutputChanged, this, &VideoView::onVideoOutputChanged);
    connect(m_audio_output, &QAudioOutput::mutedChanged, this, [this](bool muted) { m_on_muted_changed(muted); });
    connect(m_audio_output, &QAudioOutput::volumeChanged, this, [this](float volume) { m_on_volume_changed(volume); });

    m_position_timer = new QTimer(this);
    m_position_timer->setInterval(kPositionIntervalMs);
    connect(m_position_timer, &QTimer::timeout, this, [this] { update_position(m_player->position()); });

    connect(m_player, &QMediaPlayer::sourceChanged, this, &VideoView::update_source_names);
    connect(m_player, &QMediaPlayer::durationChanged, this, &VideoView::update_duration);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &VideoView::update_timer_and_counts);
    connect(m_player, &QMediaPlayer::activeTracksChanged, this, &VideoView::activeTracksChanged);
    connect(m_player, &QMediaPlayer::tracksChanged, this, &VideoView::recount_tracks);
}

VideoView::~VideoView()
{
    // Nothing reaches the host from here on. The scene goes first, while the player it shows is
    // still there, and the player lets go of the scene's video sink before that.
    m_player->disconnect(this);
    m_audio_output->disconnect(this);
    reset();
    delete m_player;
    delete m_audio_output;
    delete m_buffer_output;
}

void VideoView::prepare_context(QQmlContext* context)
{
    qmlRegisterUncreatableType<VideoView>("Custom", 1, 0, "VideoView",
                                          "Don't try to add to a qml definition");
    context->setContextProperty("ctx", this);
}

// The player and the audio output stay the view's own: a reset deletes the scene, and the view
// keeps playing its part (and answering the host) until it is loaded again.
void VideoView::post_setup(QQmlEngine*, QObject*)
{
    m_player->setSource(QUrl(m_path_or_url, QUrl::TolerantMode));
    if (m_auto_play)
        m_player->play();
}

void VideoView::pre_reset()
{
    detach_player();
}

void VideoView::detach_player()
{
    m_player->stop();
    m_player->setVideoSink(nullptr);
}

void VideoView::set_source(const QString& path_or_url)
{
    m_path_or_url = path_or_url;
    m_player->setSource(QUrl(path_or_url, QUrl::TolerantMode));
}

void VideoView::set_controls(bool enabled)
{
    m_controls_enabled = enabled;
    emit controls_enabledChanged();
}

void VideoView::set_controls_auto_hide(bool auto_hide)
{
    m_controls_auto_hide = auto_hide;
    emit controls_auto_hideChanged();
}

// --- Audio to the host -----------------------------------------------------------------------

void VideoView::set_audio_to_host(bool to_host)
{
    if (to_host == m_audio_to_host)
        return;
    m_audio_to_host = to_host;
    route_audio();
}

void VideoView::set_audio_to_host_format(int sample_rate, int channels)
{
    if (sample_rate == m_host_sample_rate && channels == m_host_channels)
        return;
    m_host_sample_rate = sample_rate;
    m_host_channels = channels;
    if (m_audio_to_host)
        route_audio();
}

// The player plays to its audio output or hands its buffers to a new buffer output, never both;
// the audio output stays the view's own, so volume and mute keep their values either way.
void VideoView::route_audio()
{
    QAudioBufferOutput* old_output = m_buffer_output;
    m_buffer_output = nullptr;
    if (m_audio_to_host) {
        QAudioFormat format;
        if (m_host_sample_rate > 0 && m_host_channels > 0) {
            format.setSampleRate(m_host_sample_rate);
            format.setChannelCount(m_host_channels);
            format.setSampleFormat(QAudioFormat::Float);
        }
        m_buffer_output = format.isValid() ? new QAudioBufferOutput(format, this) : new QAudioBufferOutput(this);
        connect(m_buffer_output, &QAudioBufferOutput::audioBufferReceived, this, &VideoView::deliver_audio);
        m_player->setAudioBufferOutput(m_buffer_output);
        m_player->setAudioOutput(nullptr);
    } else {
        m_player->setAudioBufferOutput(nullptr);
        m_player->setAudioOutput(m_audio_output);
    }
    delete old_output;
}

void VideoView::deliver_audio(const QAudioBuffer& buffer)
{
    if (!m_audio_to_host || !m_on_audio_received.is_set())
        return;
    const float gain = m_audio_output->isMuted() ? 0.0f : m_audio_output->volume();
    if (!media::float_samples(buffer, gain, m_host_samples) || buffer.frameCount() <= 0)
        return;
    m_on_audio_received(m_host_samples.data(), static_cast<int>(buffer.frameCount()),
                        buffer.format().channelCount(), buffer.format().sampleRate());
}

// --- Reactions to the player -------------------------------------------------------------------

void VideoView::update_source_names(const QUrl& source)
{
    const QString path = source.path(QUrl::FullyDecoded);
    const QFileInfo file(path);
    m_path_or_url_humanized = !path.isEmpty() && file.exists() ? file.fileName() : source.toString();
    emit m_path_or_url_humanizedChanged();
    m_path_or_url = source.toString();
    emit m_path_or_urlChanged();
}

void VideoView::update_duration(qint64 duration_ms)
{
    m_duration = duration_ms;
    emit durationChanged();
}

void VideoView::update_timer_and_counts(QMediaPlayer::PlaybackState state)
{
    if (state == QMediaPlayer::PlayingState) {
        m_position_timer->start();
        recount_tracks();
    } else {
        m_position_timer->stop();
    }
}

void VideoView::recount_tracks()
{
    m_count_audio_tracks = static_cast<int>(m_player->audioTracks().size());
    m_count_video_tracks = static_cast<int>(m_player->videoTracks().size());
    m_count_subtitle_tracks = static_cast<int>(m_player->subtitleTracks().size());
    emit countSubtitleTracksChanged();
    emit countAudioTracksChanged();
    emit countVideoTracksChanged();
}

void VideoView::update_position(qint64 position_ms)
{
    const qint64 seconds = position_ms / 1000;
    if (seconds == m_playing_position)
        return;
    m_playing_position_pct = static_cast<double>(position_ms) * 100.0 / static_cast<double>(m_duration);
    emit playing_position_pctChanged();
    m_playing_position = seconds;
    emit playing_positionChanged();
    m_playing_position_str = clock_text(m_playing_position);
    emit playing_position_strChanged();
    m_playing_minus_position_str = QLatin1Char('-') + clock_text((m_duration - position_ms) / 1000);
    emit playing_minus_position_strChanged();
}

QString VideoView::clock_text(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds % 3600) / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// --- Invokable methods -------------------------------------------------------------------------

void VideoView::play() const { m_player->play(); }
void VideoView::pause() const { m_player->pause(); }
void VideoView::stop() const { m_player->stop(); }
void VideoView::mute() { m_audio_output->setMuted(true); }
void VideoView::unmute() { m_audio_output->setMuted(false); }

void VideoView::set_active_subtitle_track(int idx)
{
    const qsizetype count = m_player->subtitleTracks().size();
    m_player->setActiveSubtitleTrack(qsizetype(idx) + 1 > count ? -1 : idx);
    emit activeTracksChanged();
}

QString VideoView::get_current_subtitle_name() const
{
    return media::current_subtitle_name(*m_player);
}

void VideoView::set_position(qint64 position)
{
    if (!m_player->isSeekable()) {
        qWarning() << "set_position failed";
        return;
    }
    m_player->setPosition(position);
}

void VideoView::setVideoSink(QVideoSink* sink)
{
    m_player->setVideoSink(sink);
    emit playerChanged();
}

QString VideoView::playing_position_to_str(qint64 position) const
{
    return clock_text(position);
}

void VideoView::set_fill_mode(unsigned int fill_mode)
{
    m_fill_mode = media::clamp_fill_mode(fill_mode);
    emit fill_modeChanged();
}

// --- Player signals to host callbacks ----------------------------------------------------------

void VideoView::onActiveTracksChanged() { m_on_active_tracks_changed(); }
void VideoView::onAudioBufferOutputChanged() { m_on_audio_buffer_output_changed(); }
void VideoView::onAudioOutputChanged() { m_on_audio_output_changed(); }
void VideoView::onBufferProgressChanged(float filled) { m_on_buffer_progress_changed(filled); }
void VideoView::onDurationChanged(qint64 duration) { m_on_duration_changed(duration); }
void VideoView::onErrorChanged() { m_on_error_changed(); }

void VideoView::onErrorOccurred(QMediaPlayer::Error error, QString errorString)
{
    m_on_error_occurred(static_cast<int>(error), errorString.toStdString());
}

void VideoView::onHasAudioChanged(bool available) { m_on_has_audio_changed(available); }
void VideoView::onHasVideoChanged(bool videoAvailable) { m_on_has_video_changed(videoAvailable); }
void VideoView::onLoopsChanged() { m_on_loops_changed(); }

void VideoView::onMediaStatusChanged(QMediaPlayer::MediaStatus status)
{
    m_on_media_status_changed(static_cast<int>(status));
}

void VideoView::onMetaDataChanged() { m_on_metadata_changed(); }
void VideoView::onPlaybackRateChanged(double rate) { m_on_playback_rate_changed(static_cast<float>(rate)); }

void VideoView::onPlaybackStateChanged(QMediaPlayer::PlaybackState newState)
{
    m_on_playback_state_changed(static_cast<int>(newState));
}

void VideoView::onPlayingChanged(bool playing) { m_on_playing_changed(playing); }
void VideoView::onPositionChanged(qint64 position) { m_on_position_changed(position); }
void VideoView::onSeekableChanged(bool seekable) { m_on_seekable_changed(seekable); }
void VideoView::onSourceChanged(QUrl media) { m_on_source_changed(media.toString().toStdString()); }
void VideoView::onTracksChanged() { m_on_tracks_changed(); }
void VideoView::onVideoOutputChanged() { m_on_video_output_changed(); }

}  // namespace sorvane
