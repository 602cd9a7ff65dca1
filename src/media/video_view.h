#pragma once

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QString>
#include <QUrl>
#include <QVideoSink>

#include <string>
#include <vector>

#include "quick/quick_view.h"
#include "runtime/callback_slot.h"

class QAudioBuffer;
class QAudioBufferOutput;
class QTimer;

namespace sorvane {

// A view that plays a video file or stream. It owns a media player and its audio output; the
// scene "VideoPlayer" of the module "Multimedia" draws the player's frames and takes its state
// from the properties below through "ctx".
class VideoView : public QuickView {
    Q_OBJECT
    Q_PROPERTY(QString path_or_url MEMBER m_path_or_url NOTIFY m_path_or_urlChanged)
    Q_PROPERTY(QString path_or_url_humanized MEMBER m_path_or_url_humanized NOTIFY
                   m_path_or_url_humanizedChanged)
    Q_PROPERTY(unsigned int fill_mode MEMBER m_fill_mode NOTIFY fill_modeChanged)
    Q_PROPERTY(bool ui_controls_source_humanized MEMBER m_ui_controls_source_humanized NOTIFY
                   m_ui_controls_source_humanizedChanged)
    Q_PROPERTY(long long playing_position MEMBER m_playing_position NOTIFY playing_positionChanged)
    Q_PROPERTY(QString playing_position_str MEMBER m_playing_position_str NOTIFY
                   playing_position_strChanged)
    Q_PROPERTY(QString playing_minus_position_str MEMBER m_playing_minus_position_str NOTIFY
                   playing_minus_position_strChanged)
    Q_PROPERTY(double playing_position_pct MEMBER m_playing_position_pct NOTIFY
                   playing_position_pctChanged)
    Q_PROPERTY(long long duration MEMBER m_duration NOTIFY durationChanged)
    Q_PROPERTY(int countSubtitleTracks MEMBER m_count_subtitle_tracks NOTIFY countSubtitleTracksChanged)
    Q_PROPERTY(int countAudioTracks MEMBER m_count_audio_tracks NOTIFY countAudioTracksChanged)
    Q_PROPERTY(int countVideoTracks MEMBER m_count_video_tracks NOTIFY countVideoTracksChanged)
    Q_PROPERTY(bool controls_enabled MEMBER m_controls_enabled NOTIFY controls_enabledChanged)
    Q_PROPERTY(bool controls_auto_hide MEMBER m_controls_auto_hide NOTIFY controls_auto_hideChanged)
    Q_PROPERTY(QMediaPlayer* player MEMBER m_player NOTIFY playerChanged)
    Q_PROPERTY(QAudioOutput* audioOutput MEMBER m_audio_output NOTIFY audioOutputChanged)

public:
    explicit VideoView(QObject* parent = nullptr);
    ~VideoView() override;

    void prepare_context(QQmlContext* context) override;
    void post_setup(QQmlEngine* engine, QObject* root) override;
    void pre_reset() override;

    QMediaPlayer* player() const { return m_player; }
    QAudioOutput* audio_output() const { return m_audio_output; }

    // The facade's operations that go beyond the player's own.
    void set_source(const QString& path_or_url);
    void set_auto_play(bool auto_play) { m_auto_play = auto_play; }
    unsigned int fill_mode() const { return m_fill_mode; }
    void set_controls(bool enabled);
    bool controls() const { return m_controls_enabled; }
    void set_controls_auto_hide(bool auto_hide);
    bool controls_auto_hide() const { return m_controls_auto_hide; }

    // Where the decoded audio goes: the system's output (the default) or the host's callback
    // m_on_audio_received, never both. The format applies when the buffer output is made anew
    // (at a change of the choice or of the source).
    void set_audio_to_host(bool to_host);
    bool audio_to_host() const { return m_audio_to_host; }
    void set_audio_to_host_format(int sample_rate, int channels);
    // A decoded buffer as interleaved floats, scaled by the volume (silence while muted), handed
    // to the host's callback.
    void deliver_audio(const QAudioBuffer& buffer);

    // One step of the position timer with the player at `position_ms`: updates the position
    // properties and their texts when the whole second has changed.
    void update_position(qint64 position_ms);

    // "HH:MM:SS" for a number of seconds; the hours take as many digits as they need.
    static QString clock_text(qint64 seconds);

    // Host callbacks, set directly from the host's threads and fired on the Qt thread.
    CallbackSlot<void()> m_on_active_tracks_changed;
    CallbackSlot<void()> m_on_audio_buffer_output_changed;
    CallbackSlot<void()> m_on_audio_output_changed;
    CallbackSlot<void(float)> m_on_buffer_progress_changed;
    CallbackSlot<void(long long)> m_on_duration_changed;
    CallbackSlot<void()> m_on_error_changed;
    CallbackSlot<void(int, std::string)> m_on_error_occurred;
    CallbackSlot<void(bool)> m_on_has_audio_changed;
    CallbackSlot<void(bool)> m_on_has_video_changed;
    CallbackSlot<void()> m_on_loops_changed;
    CallbackSlot<void(int)> m_on_media_status_changed;
    CallbackSlot<void()> m_on_metadata_changed;
    CallbackSlot<void(float)> m_on_playback_rate_changed;
    CallbackSlot<void(int)> m_on_playback_state_changed;
    CallbackSlot<void(bool)> m_on_playing_changed;
    CallbackSlot<void(long long)> m_on_position_changed;
    CallbackSlot<void(bool)> m_on_seekable_changed;
    CallbackSlot<void(std::string)> m_on_source_changed;
    CallbackSlot<void()> m_on_tracks_changed;
    CallbackSlot<void()> m_on_video_output_changed;
    CallbackSlot<void(bool)> m_on_muted_changed;
    CallbackSlot<void(float)> m_on_volume_changed;
    CallbackSlot<void(const float*, int, int, int)> m_on_audio_received;

    // For the scene.
    Q_INVOKABLE void play() const;
    Q_INVOKABLE void pause() const;
    Q_INVOKABLE void stop() const;
    Q_INVOKABLE void mute();
    Q_INVOKABLE void unmute();
    Q_INVOKABLE void set_active_subtitle_track(int idx);
    Q_INVOKABLE QString get_current_subtitle_name() const;
    Q_INVOKABLE void set_position(qint64 position);
    Q_INVOKABLE void setVideoSink(QVideoSink* sink);
    Q_INVOKABLE QString playing_position_to_str(qint64 position) const;
    Q_INVOKABLE void set_fill_mode(unsigned int fill_mode);

signals:
    void m_path_or_urlChanged();
    void m_path_or_url_humanizedChanged();
    void fill_modeChanged();
    void m_ui_controls_source_humanizedChanged();
    void playing_positionChanged();
    void playing_position_strChanged();
    void playing_minus_position_strChanged();
    void playing_position_pctChanged();
    void durationChanged();
    void countSubtitleTracksChanged();
    void countAudioTracksChanged();
    void countVideoTracksChanged();
    void controls_enabledChanged();
    void controls_auto_hideChanged();
    void playerChanged();
    void audioOutputChanged();
    void activeTracksChanged();
    void tracksChanged();

public slots:
    // One per player signal; each only calls its host callback.
    void onActiveTracksChanged();
    void onAudioBufferOutputChanged();
    void onAudioOutputChanged();
    void onBufferProgressChanged(float filled);
    void onDurationChanged(qint64 duration);
    void onErrorChanged();
    void onErrorOccurred(QMediaPlayer::Error error, QString errorString);
    void onHasAudioChanged(bool available);
    void onHasVideoChanged(bool videoAvailable);
    void onLoopsChanged();
    void onMediaStatusChanged(QMediaPlayer::MediaStatus status);
    void onMetaDataChanged();
    void onPlaybackRateChanged(double rate);
    void onPlaybackStateChanged(QMediaPlayer::PlaybackState newState);
    void onPlayingChanged(bool playing);
    void onPositionChanged(qint64 position);
    void onSeekableChanged(bool seekable);
    void onSourceChanged(QUrl media);
    void onTracksChanged();
    void onVideoOutputChanged();

private:
    void update_source_names(const QUrl& source);
    void update_duration(qint64 duration_ms);
    void update_timer_and_counts(QMediaPlayer::PlaybackState state);
    void recount_tracks();
    void detach_player();
    void route_audio();

    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_audio_output = nullptr;
    QAudioBufferOutput* m_buffer_output = nullptr;
    bool m_audio_to_host = false;
    int m_host_sample_rate = 0;
    int m_host_channels = 0;
    std::vector<float> m_host_samples;
    QString m_path_or_url_humanized;
    QString m_path_or_url;
    QTimer* m_position_timer = nullptr;
    long long m_playing_position = 0;
    QString m_playing_position_str = QStringLiteral("00:00:00");
    QString m_playing_minus_position_str = QStringLiteral("-00:00:00");
    double m_playing_position_pct = 0.0;
    bool m_ui_controls_source_humanized = true;
    long long m_duration = 0;
    bool m_auto_play = true;
    int m_count_subtitle_tracks = 0;
    int m_count_audio_tracks = 0;
    int m_count_video_tracks = 0;
    bool m_controls_enabled = true;
    bool m_controls_auto_hide = false;
    unsigned int m_fill_mode = 1;
};

}  // namespace sorvane
