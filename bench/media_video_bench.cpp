// Video delivery: a 1920x1080, 30 fps clip played by a video player view for 10 s while the host
// calls render() at 60 Hz. Prints the distinct video frames that reach the texture per second
// and the process's CPU seconds per second of playback, against baselines of the same run:
//   - the floor: "ffmpeg -i clip -f null -" decoding the same file (its speed and CPU);
//   - the same view and scene rendering at 60 Hz with nothing playing;
//   - the same clip played into a 960x540 view, a quarter of the pixels to rasterise (with a
//     software Vulkan driver the picture's pixels, not the decoding, set the pace).
//
//   media_video_bench [seconds]     (default 10)
//
// Run under an X server with the xcb platform (tools/with-xvfb.sh). SORVANE_PROJECT_ROOT names a
// project root holding the Qt runtime directory (tools/make-runtime.sh). Needs ffmpeg.

#include <sorvane/sorvane.h>

#include "media/video_view.h"
#include "runtime/carry.h"

#include "media_bench_support.h"
#include "standin_host/hand_over.h"
#include "standin_host/vulkan_host.h"

#include <QDir>
#include <QQuickItem>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace sorvane;
using Clock = std::chrono::steady_clock;

namespace {

constexpr double kClipFps = 30.0;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

// A facade that reaches its view, for the frame counter.
class BenchPlayer : public SVideoPlayerView {
public:
    VideoView* qt() const { return static_cast<VideoView*>(m_view); }
};

struct Playback {
    double distinct_per_second = 0;
    double renders_per_second = 0;
    double cpu_per_second = 0;
    double render_median_ms = 0;  // one render() call, as the host waits for it
};

// Calls render() at 60 Hz for `seconds` and measures.
Playback drive(BenchPlayer& player, media_bench::DistinctFrames& frames, double seconds)
{
    const int distinct_before = frames.distinct;
    const int rendered_before = frames.rendered;
    const double cpu_before = media_bench::cpu_seconds();
    const auto start = Clock::now();
    auto next = start;
    std::vector<double> render_ms;
    while (seconds_since(start) < seconds) {
        next += std::chrono::microseconds(16667);
        const auto render_start = Clock::now();
        player.render();
        render_ms.push_back(seconds_since(render_start) * 1000);
        std::this_thread::sleep_until(next);
    }
    const double wall = seconds_since(start);
    std::sort(render_ms.begin(), render_ms.end());
    return {(frames.distinct - distinct_before) / wall, (frames.rendered - rendered_before) / wall,
            (media_bench::cpu_seconds() - cpu_before) / wall, render_ms[render_ms.size() / 2]};
}

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const char* root = std::getenv("SORVANE_PROJECT_ROOT");
    opts::PATH_PROJECT_ROOT = root ? root : "";
    qputenv("QT_FFMPEG_DECODING_HW_DEVICE_TYPES", "none");

    QTemporaryDir directory;
    const std::string clip = (directory.path() + "/clip-1080p30.mp4").toStdString();
    const int clip_seconds = static_cast<int>(seconds) + 4;  // some to spare after the measurement
    std::printf("making a %d s 1920x1080 30 fps H.264 clip...\n", clip_seconds);
    if (!run("ffmpeg -y -nostdin -loglevel error -f lavfi -i testsrc2=s=1920x1080:r=30:d=" +
             std::to_string(clip_seconds) + " -c:v libx264 -preset veryfast -pix_fmt yuv420p -g 60 '" + clip + "'")) {
        std::fprintf(stderr, "media_video_bench: ffmpeg could not make the clip\n");
        return 1;
    }

    // The floor: ffmpeg alone decoding the same file.
    const double floor_cpu_before = media_bench::cpu_seconds(RUSAGE_CHILDREN);
    const auto floor_start = Clock::now();
    if (!run("ffmpeg -nostdin -loglevel error -i '" + clip + "' -f null -")) {
        std::fprintf(stderr, "media_video_bench: ffmpeg could not decode the clip\n");
        return 1;
    }
    const double floor_wall = seconds_since(floor_start);
    const double floor_cpu = media_bench::cpu_seconds(RUSAGE_CHILDREN) - floor_cpu_before;
    const double floor_fps = clip_seconds * kClipFps / floor_wall;
    const double floor_cpu_per_second = floor_cpu / clip_seconds;

    standin::HostOptions host_options;
    host_options.instance_extensions = {"VK_KHR_surface", "VK_KHR_xcb_surface"};
    standin::VulkanHost host(host_options);
    S::create_app();
    S::ensure_qt_eventloop_is_running();

    BenchPlayer player;
    standin::hand_over(host, player);
    player.set_resolution({1920, 1080});
    player.set_refresh_rate(60);
    player.set_auto_play(false);
    player.set_source(clip);
    if (!player.load("Multimedia", "VideoPlayer")) {
        std::fprintf(stderr, "media_video_bench: the VideoPlayer scene did not load\n");
        return 1;
    }
    media_bench::DistinctFrames frames;
    carry::waited(player.qt(), [&frames](VideoView* v) { frames.watch(v, v->player()->videoSink()); });

    // Baseline: the same scene at 60 Hz with nothing playing.
    const Playback idle = drive(player, frames, 3.0);

    player.play();
    drive(player, frames, 0.5);  // past the start-up of the decoder
    const Playback playing = drive(player, frames, seconds);
    const long long position = player.get_position();
    player.destroy();

    // The same clip into a quarter of the pixels: how much of the limit is the rasteriser's.
    BenchPlayer small;
    standin::hand_over(host, small);
    small.set_resolution({960, 540});
    small.set_refresh_rate(60);
    small.set_source(clip);
    if (!small.load("Multimedia", "VideoPlayer")) {
        std::fprintf(stderr, "media_video_bench: the VideoPlayer scene did not load at 960x540\n");
        return 1;
    }
    media_bench::DistinctFrames small_frames;
    carry::waited(small.qt(), [&small_frames](VideoView* v) { small_frames.watch(v, v->player()->videoSink()); });
    drive(small, small_frames, 0.5);
    const Playback quarter = drive(small, small_frames, std::min(seconds, 5.0));
    small.destroy();

    std::printf("\nvideo delivery, %.0f s of a 1920x1080 30 fps clip, render() at 60 Hz, %u CPU cores\n",
                seconds, std::thread::hardware_concurrency());
    std::printf("  floor, ffmpeg decoding to null:   %7.1f frames/s (%.2fx real time), %.3f CPU s per s of video\n",
                floor_fps, floor_fps / kClipFps, floor_cpu_per_second);
    std::printf("  baseline, scene idle at 60 Hz:    %7.1f renders/s (median render() %.1f ms), %.3f CPU s per s\n",
                idle.renders_per_second, idle.render_median_ms, idle.cpu_per_second);
    std::printf("  playing:                          %7.1f distinct frames/s in the texture (%.1f renders/s, "
                "median render() %.1f ms)\n",
                playing.distinct_per_second, playing.renders_per_second, playing.render_median_ms);
    std::printf("                                    %.3f CPU s per s of playback (%.2fx the floor, %.2fx idle)\n",
                playing.cpu_per_second, playing.cpu_per_second / floor_cpu_per_second,
                playing.cpu_per_second / idle.cpu_per_second);
    std::printf("  delivered / clip rate:            %.3f (target >= %.3f, i.e. 29 frames/s%s)\n",
                playing.distinct_per_second / kClipFps, 29.0 / kClipFps,
                floor_fps < kClipFps ? "; the floor cannot decode in real time here" : "");
    std::printf("  player position at the end:       %lld ms\n", position);
    std::printf("  the same into a 960x540 view:     %7.1f distinct frames/s (median render() %.1f ms), "
                "%.3f CPU s per s\n", quarter.distinct_per_second, quarter.render_median_ms, quarter.cpu_per_second);
    std::fflush(stdout);
    S::destroy();
    std::_Exit(0);
}
