// The video player view with real media made by ffmpeg: playback into the host's texture,
// position properties and texts, callbacks, fill mode, subtitle choice, tracks and metadata,
// the posted reset, and engine input on the scene's controls.

#include "media/video_view.h"

#include "media_fixtures.h"
#include "media_test_support.h"

#include <QAudioOutput>
#include <QQuickItem>
#include <QTemporaryDir>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace sorvane;
using namespace media_test;
using namespace std::chrono_literals;

namespace {

[[maybe_unused]] const bool g_started = (start_library_in_every_test_process(), true);

// Made once per process, on first use.
const MediaFixtures* fixtures()
{
    static QTemporaryDir directory;
    static MediaFixtures made;
    static const QString error = directory.isValid() ? make_media_fixtures(directory.path(), made)
                                                     : QString("no temporary directory");
    if (!error.isEmpty()) {
        ADD_FAILURE() << "cannot make the media files: " << error.toStdString();
        return nullptr;
    }
    return &made;
}

using Player = Hosted<SVideoPlayerView, VideoView>;

class VideoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(fixtures(), nullptr); }
    void TearDown() override { expect_no_validation_messages(); }

    static std::string path(const QString& file) { return file.toStdString(); }

    // A player at 640x360 with the scene loaded and `file` playing.
    static void start(Player& player, const QString& file)
    {
        player.set_resolution({640, 360});
        player.set_source(path(file));
        ASSERT_TRUE(player.load("Multimedia", "VideoPlayer"));
        ASSERT_TRUE(wait_until([&] { return player.get_playback_state() == QMediaPlayer::PlayingState; }));
    }

    // The centre of a scene item, in scene pixels.
    static QPoint centre_of(const Player& player, const char* object_name)
    {
        return player.inside([object_name](VideoView* v) {
            auto* item = v->root_item()->findChild<QQuickItem*>(object_name);
            if (!item)
                return QPoint(-1, -1);
            return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
        });
    }

    static QVariant scene_property(const Player& player, const char* object_name, const char* property)
    {
        return player.inside([object_name, property](VideoView* v) {
            QObject* root = v->root_item();
            QObject* item = object_name[0] ? root->findChild<QObject*>(object_name) : root;
            return item ? item->property(property) : QVariant();
        });
    }

    static void click(const Player& player, QPoint at)
    {
        player.mouse_click(0, 0, at.x(), at.y());
        player.mouse_click(0, 1, at.x(), at.y());
    }
};

// Records host callbacks, which arrive on the Qt thread.
template <typename T>
class Calls {
public:
    void add(T value)
    {
        std::lock_guard lock(m_mutex);
        m_values.push_back(std::move(value));
    }
    std::vector<T> values() const
    {
        std::lock_guard lock(m_mutex);
        return m_values;
    }
    std::size_t count() const { return values().size(); }

private:
    mutable std::mutex m_mutex;
    std::vector<T> m_values;
};

}  // namespace

TEST_F(VideoTest, ANewViewHasItsDefaultsAndAGoneViewAnswersDefaults)
{
    Player player;
    EXPECT_EQ(player.get_fill_mode(), 1u);
    EXPECT_TRUE(player.get_controls());
    EXPECT_FALSE(player.get_controls_auto_hide());
    EXPECT_EQ(player.get_playback_state(), QMediaPlayer::StoppedState);
    EXPECT_EQ(player.get_active_subtitle_track(), -1);
    EXPECT_TRUE(player.get_metadata().empty());
    EXPECT_EQ(player.inside([](VideoView* v) { return v->property("playing_position_str").toString(); }),
              "00:00:00");
    EXPECT_EQ(player.inside([](VideoView* v) { return v->property("playing_minus_position_str").toString(); }),
              "-00:00:00");

    // The scene's seek refuses media that cannot seek (here: none at all).
    WarningRecorder warnings;
    player.inside([](VideoView* v) {
        v->set_position(1000);
        return 0;
    });
    EXPECT_TRUE(warnings.contains("set_position failed"));
    EXPECT_EQ(player.get_position(), 0);

    player.destroy();
    player.set_func_on_position_changed([](long long) {});  // stores nothing, touches nothing
    player.set_source(path(fixtures()->clip));
    player.play();
    player.reset();
    EXPECT_EQ(player.get_fill_mode(), 0u);
    EXPECT_FALSE(player.get_controls());
    EXPECT_EQ(player.get_volume(), 0.0f);
    EXPECT_EQ(player.get_source(), "");
    EXPECT_TRUE(player.get_audio_tracks().empty());
}

TEST_F(VideoTest, PlayingPutsChangingFramesOfTheVideoIntoTheTexture)
{
    Calls<long long> durations;
    Calls<bool> playing;
    Player player;
    player.set_func_on_duration_changed([&](long long d) { durations.add(d); });
    player.set_func_on_playing_changed([&](bool p) { playing.add(p); });
    ASSERT_NO_FATAL_FAILURE(start(player, fixtures()->clip));

    EXPECT_TRUE(player.get_has_video());
    EXPECT_TRUE(player.get_has_audio());
    EXPECT_NEAR(player.get_duration(), 8000, 100);
    ASSERT_FALSE(durations.values().empty());
    EXPECT_NEAR(durations.values().back(), 8000, 100);
    ASSERT_FALSE(playing.values().empty());
    EXPECT_TRUE(playing.values().front());
    EXPECT_EQ(player.get_source(), path(fixtures()->clip));

    // The right half of the picture is the clip's plain green; the top-left quarter moves.
    const QRect green(400, 120, 100, 100);
    const QRect moving(0, 0, 320, 180);
    ASSERT_TRUE(wait_until([&] { return count_near(player.frame(), green, kClipGreen, 24) == 100 * 100; }))
        << "the clip's green never reached the texture";
    const QImage first = player.frame().copy(moving);
    std::this_thread::sleep_for(400ms);
    const QImage later = player.frame().copy(moving);
    EXPECT_NE(first, later) << "the picture does not move";
    EXPECT_GT(player.get_position(), 0);
}

TEST_F(VideoTest, PausingStopsThePositionPropertiesAndPlayingContinuesThem)
{
    Player player;
    ASSERT_NO_FATAL_FAILURE(start(player, fixtures()->clip));
    auto position_seconds = [&] {
        return player.inside([](VideoView* v) { return v->property("playing_position").toLongLong(); });
    };
    ASSERT_TRUE(wait_until([&] { return position_seconds() >= 1; }));

    player.pause();
    ASSERT_EQ(player.get_playback_state(), QMediaPlayer::PausedState);
    const long long paused_at = position_seconds();
    const long long paused_ms = player.get_position();
    const QString paused_text = player.inside([](VideoView* v) { return v->property("playing_position_str").toString(); });
    std::this_thread::sleep_for(1300ms);
    EXPECT_EQ(position_seconds(), paused_at);
    EXPECT_EQ(player.inside([](VideoView* v) { return v->property("playing_position_str").toString(); }), paused_text);
    EXPECT_NEAR(player.get_position(), paused_ms, 50);

    player.play();
    ASSERT_TRUE(wait_until([&] { return position_seconds() > paused_at; }, 4000ms));
    // It goes on from where the player stood, not from the wall clock of the pause.
    EXPECT_EQ(position_seconds(), paused_at + 1);
    const auto [elapsed, remaining, pct] = player.inside([](VideoView* v) {
        return std::tuple(v->property("playing_position_str").toString(),
                          v->property("playing_minus_position_str").toString(),
                          v->property("playing_position_pct").toDouble());
    });
    EXPECT_EQ(elapsed, VideoView::clock_text(paused_at + 1));
    EXPECT_TRUE(remaining.startsWith("-00:00:0")) << remaining.toStdString();
    EXPECT_GT(pct, (paused_at + 1) * 100.0 / 8000 * 1000 - 1);
}

TEST_F(VideoTest, ThePositionTextsFollowTheWholeSecond)
{
    Player player;
    const auto texts = player.inside([](VideoView* v) {
        v->setProperty("duration", 7200000LL);
        v->update_position(3725000);
        const auto first = std::tuple(v->property("playing_position").toLongLong(),
                                      v->property("playing_position_str").toString(),
                                      v->property("playing_minus_position_str").toString(),
                                      v->property("playing_position_pct").toDouble());
        v->update_position(3725900);  // the same whole second: nothing moves
        const double pct_same_second = v->property("playing_position_pct").toDouble();
        return std::tuple(first, pct_same_second);
    });
    const auto& [first, pct_same_second] = texts;
    EXPECT_EQ(std::get<0>(first), 3725);
    EXPECT_EQ(std::get<1>(first), "01:02:05");
    EXPECT_EQ(std::get<2>(first), "-00:57:55");
    EXPECT_NEAR(std::get<3>(first), 51.7361, 0.001);
    EXPECT_DOUBLE_EQ(pct_same_second, std::get<3>(first));

    EXPECT_EQ(VideoView::clock_text(0), "00:00:00");
    EXPECT_EQ(VideoView::clock_text(59), "00:00:59");
    EXPECT_EQ(VideoView::clock_text(360000), "100:00:00");
    EXPECT_EQ(player.inside([](VideoView* v) { return v->playing_position_to_str(3599); }), "00:59:59");
}

TEST_F(VideoTest, CallbacksReceiveConvertedArgumentsAndAClearedOneIsNotCalled)
{
    Calls<float> rates;
    Calls<float> volumes;
    Calls<bool> muted;
    Calls<int> loops;
    Calls<long long> positions;
    Player player;
    player.set_func_on_playback_rate_changed([&](float rate) { rates.add(rate); });
    player.set_func_on_volume_changed([&](float volume) { volumes.add(volume); });
    player.set_func_on_muted_changed([&](bool m) { muted.add(m); });
    player.set_func_on_loops_changed([&] { loops.add(1); });
    player.set_func_on_position_changed([&](long long p) { positions.add(p); });

    player.set_playback_rate(1.5);
    EXPECT_EQ(player.get_playback_rate(), 1.5);
    ASSERT_EQ(rates.count(), 1u);
    EXPECT_EQ(rates.values()[0], 1.5f);

    player.set_volume(0.25f);
    EXPECT_FLOAT_EQ(player.get_volume(), 0.25f);
    ASSERT_EQ(volumes.count(), 1u);
    EXPECT_FLOAT_EQ(volumes.values()[0], 0.25f);

    player.set_muted(true);  // posted: the next waited call comes after it
    EXPECT_TRUE(player.get_muted());
    ASSERT_EQ(muted.count(), 1u);
    EXPECT_TRUE(muted.values()[0]);

    player.set_loops(4294967295u);  // -1: for ever
    EXPECT_EQ(player.get_loops(), -1);
    EXPECT_EQ(loops.count(), 1u);

    ASSERT_NO_FATAL_FAILURE(start(player, fixtures()->clip));
    ASSERT_TRUE(wait_until([&] { return positions.count() > 0; }));
    player.set_func_on_position_changed({});
    player.get_position();  // a round trip: whatever was on its way has been delivered
    const std::size_t before = positions.count();
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(positions.count(), before);
}

TEST_F(VideoTest, PlayerErrorsReachTheHost)
{
    Calls<std::pair<int, std::string>> occurred;
    Calls<int> changed;
    Player player;
    player.set_func_on_error_occurred([&](int code, std::string text) { occurred.add({code, text}); });
    player.set_source("/nonexistent/missing.mp4");
    ASSERT_TRUE(wait_until([&] { return occurred.count() > 0; }));
    EXPECT_EQ(occurred.values()[0].first, QMediaPlayer::ResourceError);
    EXPECT_FALSE(occurred.values()[0].second.empty());
    EXPECT_EQ(player.get_error(), QMediaPlayer::ResourceError);
    EXPECT_EQ(player.get_error_string(), occurred.values()[0].second);

    // Only the error-changed callback now.
    player.set_func_on_error_occurred({});
    player.set_func_on_error_changed([&] { changed.add(1); });
    const std::size_t occurred_before = occurred.count();
    player.set_source("/nonexistent/other.mp4");
    ASSERT_TRUE(wait_until([&] { return changed.count() > 0; }));
    player.get_error();
    EXPECT_EQ(occurred.count(), occurred_before);
}

TEST_F(VideoTest, TheFillModeRuleAndTheSceneFollowingIt)
{
    Player player;
    player.set_resolution({640, 360});
    ASSERT_TRUE(player.load("Multimedia", "VideoPlayer"));
    const std::pair<unsigned, unsigned> cases[] = {{3, 0}, {2, 2}, {7, 0}, {0, 0}, {1, 1}, {4294967295u, 4294967295u}};
    for (const auto& [given, stored] : cases) {
        player.set_fill_mode(given);
        EXPECT_EQ(player.get_fill_mode(), stored) << given;
    }
    // All bits set is kept, and the picture fits.
    EXPECT_EQ(scene_property(player, "videoOutput", "fillMode").toInt(), 1);
    player.set_fill_mode(2);
    EXPECT_EQ(scene_property(player, "videoOutput", "fillMode").toInt(), 2);
    player.set_fill_mode(0);
    EXPECT_EQ(scene_property(player, "videoOutput", "fillMode").toInt(), 0);

    // The scene's own button cycles it.
    click(player, centre_of(player, "fillModeButton"));
    EXPECT_EQ(player.get_fill_mode(), 1u);
}

TEST_F(VideoTest, SubtitleChoiceAndTheSubtitleName)
{
    Player player;
    player.set_source(path(fixtures()->two_subtitles));
    ASSERT_TRUE(wait_until([&] { return player.get_subtitle_tracks().size() == 2; }));
    const auto tracks = player.get_subtitle_tracks();
    EXPECT_EQ(tracks[0].at("Language"), "English");
    EXPECT_EQ(tracks[1].at("Language"), "German");
    EXPECT_EQ(player.get_current_subtitle_name(), "");

    player.set_active_subtitle_track(1);
    EXPECT_EQ(player.get_active_subtitle_track(), 1);
    EXPECT_EQ(player.get_current_subtitle_name(), "German");
    player.set_active_subtitle_track(0);
    EXPECT_EQ(player.get_current_subtitle_name(), "English");

    player.set_active_subtitle_track(2);  // past the last: off
    EXPECT_EQ(player.get_active_subtitle_track(), -1);
    EXPECT_EQ(player.get_current_subtitle_name(), "");
    player.set_active_subtitle_track(1);
    player.set_active_subtitle_track(2147483647);
    EXPECT_EQ(player.get_active_subtitle_track(), -1);
    player.set_active_subtitle_track(0);
    player.set_active_subtitle_track(-1);
    EXPECT_EQ(player.get_active_subtitle_track(), -1);
}

TEST_F(VideoTest, MetadataAndTrackMaps)
{
    Player player;
    player.set_source(path(fixtures()->clip));
    ASSERT_TRUE(wait_until([&] { return player.get_media_status() == QMediaPlayer::LoadedMedia; }));
    const auto metadata = player.get_metadata();
    ASSERT_TRUE(metadata.count("Title"));
    EXPECT_EQ(metadata.at("Title"), kClipTitle);
    EXPECT_EQ(metadata.at("Comment"), "made by the media tests");
    EXPECT_FALSE(metadata.count(""));
    std::vector<std::string> keys;
    for (const auto& [key, value] : metadata)
        keys.push_back(key);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));

    const auto video = player.get_video_tracks();
    ASSERT_EQ(video.size(), 1u);
    EXPECT_EQ(video[0].at("VideoCodec"), "H264");
    EXPECT_EQ(player.get_subtitle_tracks().size(), 0u);
    EXPECT_EQ(player.get_current_subtitle_name(), "");

    player.set_source(path(fixtures()->two_audio));
    ASSERT_TRUE(wait_until([&] { return player.get_audio_tracks().size() == 2; }));
    const auto audio = player.get_audio_tracks();
    EXPECT_EQ(audio[0].at("Language"), "English");
    EXPECT_EQ(audio[1].at("Language"), "French");
    EXPECT_TRUE(audio[1].count("AudioCodec"));
    EXPECT_FALSE(audio[1].count("VideoCodec"));  // a track holds only its own keys
    player.set_active_audio_track(1);
    EXPECT_EQ(player.get_active_audio_track(), 1);

    player.set_source(path(fixtures()->no_audio));
    ASSERT_TRUE(wait_until([&] { return player.get_media_status() == QMediaPlayer::LoadedMedia; }));
    EXPECT_TRUE(player.get_audio_tracks().empty());
    EXPECT_FALSE(player.get_has_audio());
    EXPECT_TRUE(player.get_has_video());
}

TEST_F(VideoTest, TheTrackCountsFollowPlayback)
{
    Player player;
    ASSERT_NO_FATAL_FAILURE(start(player, fixtures()->two_audio));
    const auto counts = player.inside([](VideoView* v) {
        return std::tuple(v->property("countAudioTracks").toInt(), v->property("countVideoTracks").toInt(),
                          v->property("countSubtitleTracks").toInt());
    });
    EXPECT_EQ(counts, std::tuple(2, 1, 0));
    EXPECT_EQ(scene_property(player, "audioTrackButton", "label").toString(), "1/2");
    click(player, centre_of(player, "audioTrackButton"));
    EXPECT_EQ(player.get_active_audio_track(), 1);
}

TEST_F(VideoTest, ALocalPathIsNamedByItsFileAndAnAddressInFull)
{
    Calls<std::string> sources;
    Player player;
    player.set_func_on_source_changed([&](std::string s) { sources.add(s); });
    auto names = [&] {
        return player.inside([](VideoView* v) {
            return std::pair(v->property("path_or_url_humanized").toString(), v->property("path_or_url").toString());
        });
    };

    player.set_source(path(fixtures()->clip));
    EXPECT_EQ(names().first, "clip.mp4");
    EXPECT_EQ(names().second, fixtures()->clip);

    const std::string address = "http://127.0.0.1:9/films/clip.mp4";
    player.set_source(address);
    EXPECT_EQ(names().first, QString::fromStdString(address));
    EXPECT_EQ(names().second, QString::fromStdString(address));
    ASSERT_EQ(sources.count(), 2u);
    EXPECT_EQ(sources.values()[0], path(fixtures()->clip));
    EXPECT_EQ(sources.values()[1], address);
}

TEST_F(VideoTest, ResetIsPostedStopsThePlayerAndTheViewPlaysAgainAfterALoad)
{
    Player player;
    ASSERT_NO_FATAL_FAILURE(start(player, fixtures()->clip));

    // Keep the Qt thread busy: a waiting reset would wait for it.
    sorvane::carry::posted(player.qt(), [](View*) { std::this_thread::sleep_for(500ms); });
    const auto before = std::chrono::steady_clock::now();
    player.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 250ms);

    EXPECT_EQ(player.get_playback_state(), QMediaPlayer::StoppedState);
    EXPECT_EQ(player.get_texture(), 0ul);
    EXPECT_EQ(player.get_source(), path(fixtures()->clip));  // the player outlives the scene
    player.set_volume(0.5f);
    EXPECT_FLOAT_EQ(player.get_volume(), 0.5f);

    ASSERT_TRUE(player.load("Multimedia", "VideoPlayer"));
    ASSERT_TRUE(wait_until([&] { return player.get_playback_state() == QMediaPlayer::PlayingState; }));
    ASSERT_TRUE(wait_until([&] {
        return count_near(player.frame(), QRect(400, 120, 100, 100), kClipGreen, 24) == 100 * 100;
    }));
}

TEST_F(VideoTest, EngineClicksAndWheelWorkTheControls)
{
    Player player;
    ASSERT_NO_FATAL_FAILURE(start(player, fixtures()->clip));
    EXPECT_EQ(scene_property(player, "", "controlsShown").toBool(), true);

    click(player, centre_of(player, "playPauseButton"));
    EXPECT_EQ(player.get_playback_state(), QMediaPlayer::PausedState);
    click(player, centre_of(player, "playPauseButton"));
    EXPECT_EQ(player.get_playback_state(), QMediaPlayer::PlayingState);

    const QPoint slider = centre_of(player, "volumeSlider");
    player.mouse_wheel_down(slider.x(), slider.y());
    player.mouse_wheel_down(slider.x(), slider.y());
    EXPECT_NEAR(player.get_volume(), 0.9f, 0.001f);

    click(player, centre_of(player, "muteButton"));
    EXPECT_TRUE(player.get_muted());
    click(player, centre_of(player, "muteButton"));
    EXPECT_FALSE(player.get_muted());

    click(player, centre_of(player, "rateButton"));
    EXPECT_EQ(player.get_playback_rate(), 1.5);

    player.set_controls(false);
    EXPECT_FALSE(scene_property(player, "", "controlsShown").toBool());
    player.set_controls(true);
    player.set_controls_auto_hide(true);
    // The clicks above count as pointer activity; the controls go once the pointer rests.
    ASSERT_TRUE(wait_until([&] { return !scene_property(player, "", "controlsShown").toBool(); }));
    player.mouse_move(100, 100);
    EXPECT_TRUE(scene_property(player, "", "controlsShown").toBool());
}

TEST_F(VideoTest, SettingACallbackWhileItFiresIsSafe)
{
    Player player;
    auto calls = std::make_shared<std::atomic<long>>(0);
    std::atomic<bool> firing{true};
    // The Qt thread fires the callback as fast as it can while this thread keeps replacing it.
    sorvane::carry::posted(player.qt(), [&firing](View* v) {
        while (firing)
            static_cast<VideoView*>(v)->onPositionChanged(1);
    });
    for (int i = 0; i < 20000; ++i) {
        auto token = std::make_shared<std::vector<int>>(64, i);
        player.set_func_on_position_changed([calls, token](long long) {
            calls->fetch_add(static_cast<long>(token->size() / 64));
        });
    }
    player.set_func_on_position_changed({});
    firing = false;
    player.get_position();
    EXPECT_GT(calls->load(), 0);
}
