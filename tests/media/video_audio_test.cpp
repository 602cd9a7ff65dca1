// The video player view handing its decoded audio to the host: a tone made with ffmpeg arrives
// at the callback with its frequency and level, in the format the host asked for, scaled by the
// volume, silent while muted, and never also played to the system's output.

#include "media/video_view.h"

#include "media_fixtures.h"
#include "media_test_support.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

using namespace sorvane;
using namespace media_test;
using namespace std::chrono_literals;

namespace {

[[maybe_unused]] const bool g_started = (start_library_in_every_test_process(), true);

constexpr double kToneHz = 440.0;
// ffmpeg's sine source writes a peak of 1/8.
constexpr double kTonePeak = 0.125;

// 6 s of a 440 Hz tone at 44100 Hz (the same in both channels, PCM) with a small video, made once per process.
const QString& tone_clip()
{
    static QTemporaryDir directory;
    static const QString path = directory.path() + "/tone.mkv";
    static const QString error = run_ffmpeg(
        {"-f", "lavfi", "-i", "testsrc2=s=160x90:r=30:d=6", "-f", "lavfi", "-i",
         "sine=frequency=440:sample_rate=44100:duration=6", "-c:v", "libx264", "-preset", "ultrafast",
         "-pix_fmt", "yuv420p", "-af", "pan=stereo|c0=c0|c1=c0", "-c:a", "pcm_s16le", path});
    if (!error.isEmpty())
        ADD_FAILURE() << "cannot make the tone clip: " << error.toStdString();
    return path;
}

// What reaches the host's callback (on the Qt thread), read by the test's thread.
class Received {
public:
    void add(const float* samples, int frames, int channels, int sample_rate)
    {
        std::lock_guard lock(m_mutex);
        m_channels = channels;
        m_sample_rate = sample_rate;
        for (int i = 0; i < frames; ++i)
            m_first_channel.push_back(samples[i * channels]);
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_first_channel.clear();
    }
    std::vector<float> samples() const
    {
        std::lock_guard lock(m_mutex);
        return m_first_channel;
    }
    std::size_t count() const { return samples().size(); }
    int channels() const
    {
        std::lock_guard lock(m_mutex);
        return m_channels;
    }
    int sample_rate() const
    {
        std::lock_guard lock(m_mutex);
        return m_sample_rate;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<float> m_first_channel;
    int m_channels = 0;
    int m_sample_rate = 0;
};

double peak(const std::vector<float>& samples)
{
    double out = 0.0;
    for (float s : samples)
        out = std::max(out, std::abs(static_cast<double>(s)));
    return out;
}

double rms(const std::vector<float>& samples)
{
    double sum = 0.0;
    for (float s : samples)
        sum += static_cast<double>(s) * s;
    return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

// From the rising zero crossings of the samples.
double frequency(const std::vector<float>& samples, int sample_rate)
{
    int first = -1, last = -1, rising = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) {
            if (first < 0)
                first = static_cast<int>(i);
            last = static_cast<int>(i);
            ++rising;
        }
    }
    if (rising < 2 || sample_rate <= 0)
        return 0.0;
    return (rising - 1) * static_cast<double>(sample_rate) / (last - first);
}

using Player = Hosted<SVideoPlayerView, VideoView>;

class VideoAudioTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(tone_clip().isEmpty()); }
    void TearDown() override { expect_no_validation_messages(); }

    // Starts the tone with its audio going to `received`.
    static void start(Player& player, Received& received)
    {
        player.set_func_audio_received([&received](const float* samples, int frames, int channels, int rate) {
            received.add(samples, frames, channels, rate);
        });
        player.set_audio_to_host(true);
        player.set_resolution({320, 180});
        player.set_source(tone_clip().toStdString());
        ASSERT_TRUE(player.load("Multimedia", "VideoPlayer"));
        ASSERT_TRUE(wait_until([&] { return player.get_playback_state() == QMediaPlayer::PlayingState; }));
    }

    // Forgets what arrived so far and waits for `frames` new frames.
    static std::vector<float> next(Received& received, std::size_t frames)
    {
        received.clear();
        EXPECT_TRUE(wait_until([&] { return received.count() >= frames; }, 5000ms))
            << "only " << received.count() << " frames arrived";
        return received.samples();
    }
};

}  // namespace

TEST_F(VideoAudioTest, TheToneArrivesInTheAskedFormatWithItsFrequencyAndLevel)
{
    Player player;
    Received received;
    player.set_audio_to_host_format(48000, 2);
    start(player, received);
    EXPECT_TRUE(player.get_audio_to_host());

    const std::vector<float> samples = next(received, 24000);
    EXPECT_EQ(received.sample_rate(), 48000);
    EXPECT_EQ(received.channels(), 2);
    EXPECT_NEAR(frequency(samples, received.sample_rate()), kToneHz, 3.0);
    EXPECT_NEAR(peak(samples), kTonePeak, 0.01);
    EXPECT_NEAR(rms(samples), kTonePeak / std::sqrt(2.0), 0.006);

    // The view plays none of it itself.
    EXPECT_EQ(player.inside([](VideoView* v) { return v->player()->audioOutput(); }), nullptr);
}

TEST_F(VideoAudioTest, WithoutAFormatTheMediaKeepsItsOwn)
{
    Player player;
    Received received;
    start(player, received);
    const std::vector<float> samples = next(received, 11025);
    EXPECT_EQ(received.sample_rate(), 44100);
    EXPECT_EQ(received.channels(), 2);
    EXPECT_NEAR(frequency(samples, 44100), kToneHz, 3.0);
    EXPECT_NEAR(peak(samples), kTonePeak, 0.01);
}

TEST_F(VideoAudioTest, VolumeScalesAndMuteSilencesTheHandedAudio)
{
    Player player;
    Received received;
    start(player, received);

    player.set_volume(0.5f);
    EXPECT_NEAR(peak(next(received, 11025)), kTonePeak * 0.5, 0.01);

    player.set_muted(true);
    ASSERT_TRUE(wait_until([&] { return player.get_muted(); }));
    next(received, 4410);  // buffers queued before the change
    EXPECT_EQ(peak(next(received, 11025)), 0.0);

    player.set_muted(false);
    ASSERT_TRUE(wait_until([&] { return !player.get_muted(); }));
    next(received, 4410);
    EXPECT_NEAR(peak(next(received, 11025)), kTonePeak * 0.5, 0.01);
}

TEST_F(VideoAudioTest, TurningItOffGivesTheAudioBackToTheSystemOutput)
{
    Player player;
    Received received;
    start(player, received);
    next(received, 4410);

    player.set_audio_to_host(false);
    EXPECT_FALSE(player.get_audio_to_host());
    EXPECT_TRUE(player.inside([](VideoView* v) { return v->player()->audioOutput() == v->audio_output(); }));
    received.clear();
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(received.count(), 0u);
    EXPECT_EQ(player.get_playback_state(), QMediaPlayer::PlayingState);
}

TEST_F(VideoAudioTest, AViewWithoutTheChoicePlaysAsBeforeAndCallsNothing)
{
    Player player;
    Received received;
    player.set_func_audio_received([&received](const float* samples, int frames, int channels, int rate) {
        received.add(samples, frames, channels, rate);
    });
    player.set_resolution({320, 180});
    player.set_source(tone_clip().toStdString());
    ASSERT_TRUE(player.load("Multimedia", "VideoPlayer"));
    ASSERT_TRUE(wait_until([&] { return player.get_playback_state() == QMediaPlayer::PlayingState; }));
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(player.get_audio_to_host());
    EXPECT_EQ(received.count(), 0u);
    EXPECT_TRUE(player.inside([](VideoView* v) { return v->player()->audioOutput() == v->audio_output(); }));
}
