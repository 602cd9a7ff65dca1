// Rendering ahead, as the host sees it: render() hands over finished frames only, in order, from
// two images fixed at load, while the library draws the next frame into the other image. The host
// samples what it is handed in its own fragment shader with no barrier of its own, under
// synchronisation validation.

#include <sorvane/sorvane.h>

#include "runtime/carry.h"
#include "view/view.h"

#include "standin_host/hand_over.h"
#include "message_capture.h"
#include "test_host.h"
#include "texture_sampler.h"

#include <QColor>
#include <QQuickItem>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <set>
#include <thread>
#include <vector>

using namespace sorvane;
using namespace std::chrono_literals;

namespace {

class Environment : public ::testing::Environment {
public:
    void SetUp() override { test_host::start(false, /*synchronization_validation=*/true); }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

constexpr int kSize = 512;
constexpr VkImageLayout kShaderRead = VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL;

class RenderAheadTest : public ::testing::Test {
protected:
    void TearDown() override { test_host::expect_no_validation_messages(); }
};

// A 512 x 512 view handed over in SHADER_READ_ONLY_OPTIMAL, as an engine that imports the images.
class AheadView : public SQuickView {
public:
    explicit AheadView(bool ahead = true)
    {
        standin::hand_over(test_host::host(), *this);
        set_refresh_rate(120);
        set_resolution({kSize, kSize});
        set_texture_layout(kShaderRead);
        set_render_ahead(ahead);
    }
    ~AheadView() { destroy(); }

    template <typename F>
    auto inside(F work) const
    {
        return carry::waited(m_view, std::move(work));
    }
    void set_property(const char* name, QVariant value) const
    {
        inside([name, value](View* v) { v->root_item()->setProperty(name, value); });
    }
    // Keeps the library's thread busy for a while from now, as a long callback does.
    void occupy_library_thread(std::chrono::milliseconds time) const
    {
        carry::posted(m_view, [time](View*) { std::this_thread::sleep_for(time); });
    }
    std::uint64_t frames_rendered() const
    {
        return inside([](View* v) { return v->frames_rendered(); });
    }

    // Loads a scene of the tests and takes both images once, as an engine imports them.
    bool load_scene(const char* name)
    {
        const bool loaded = load("TestScenes", name);
        m_images[0] = get_texture_at(0);
        m_images[1] = get_texture_at(1);
        return loaded;
    }
    // The image to sample now, as such an engine picks it: without waiting for the library's
    // thread.
    unsigned long current() const { return m_images[get_current_texture_index()]; }

private:
    unsigned long m_images[2] = {};
};

bool close_to(QRgb pixel, QRgb expected, int tolerance = 1)
{
    return std::abs(qRed(pixel) - qRed(expected)) <= tolerance &&
           std::abs(qGreen(pixel) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(pixel) - qBlue(expected)) <= tolerance;
}

// The Counter scene's count in a sampled frame, or -1 when its eight bands differ (a frame drawn
// in part, or two frames mixed).
int counted(const QImage& frame)
{
    const QRgb first = frame.pixel(kSize / 2, kSize / 16);
    for (int band = 1; band < 8; ++band) {
        for (int x : {8, kSize / 2, kSize - 8}) {
            if (!close_to(frame.pixel(x, band * kSize / 8 + kSize / 16), first, 0))
                return -1;
        }
    }
    return qRed(first) + 256 * qGreen(first);
}

template <typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// --- What the host is handed -------------------------------------------------------------------

// The default stays one image rendered inside render(); with render ahead the load makes two
// images, both holding the loaded picture in the hand-over layout, and get_texture() follows the
// image that render() hands over.
TEST_F(RenderAheadTest, TheLoadHandsOverTwoFixedImagesBothHoldingThePicture)
{
    {
        AheadView waited(false);
        EXPECT_FALSE(waited.get_render_ahead()) << "the default";
        EXPECT_EQ(waited.get_textures_count(), 0) << "before the load";
        ASSERT_TRUE(waited.load_scene("Colors"));
        EXPECT_EQ(waited.get_textures_count(), 1);
        EXPECT_EQ(waited.get_texture_at(0), waited.get_texture());
        EXPECT_EQ(waited.get_texture_at(1), 0ul);
        EXPECT_EQ(waited.get_current_texture_index(), 0);
    }

    AheadView view;
    EXPECT_TRUE(view.get_render_ahead());
    ASSERT_TRUE(view.load_scene("Colors"));
    ASSERT_EQ(view.get_textures_count(), 2);
    const unsigned long images[] = {view.get_texture_at(0), view.get_texture_at(1)};
    EXPECT_NE(images[0], 0ul);
    EXPECT_NE(images[1], 0ul);
    EXPECT_NE(images[0], images[1]);
    EXPECT_EQ(view.get_texture_at(2), 0ul);
    EXPECT_EQ(view.get_texture_at(-1), 0ul);
    EXPECT_EQ(view.get_current_texture_index(), 0);

    test_host::TextureSampler sampler(test_host::host(), kSize, kSize);
    for (unsigned long image : images) {
        const QImage frame = sampler.sample(image, VK_FORMAT_R8G8B8A8_UNORM, 1, 0, kShaderRead);
        EXPECT_TRUE(close_to(frame.pixel(250, 250), qRgb(0, 255, 0)));
        EXPECT_TRUE(close_to(frame.pixel(64, 450), qRgb(255, 0, 0)));
        EXPECT_TRUE(close_to(frame.pixel(450, 64), qRgb(0, 0, 255)));
    }

    // A changed picture is handed over in the other image, which get_texture() then names.
    view.set_property("accent", QColor(20, 40, 60));
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(30ms);
        view.render();
    }
    EXPECT_EQ(view.get_current_texture_index(), 1);
    EXPECT_EQ(view.get_texture(), images[1]);
    EXPECT_EQ(view.get_texture_at(0), images[0]) << "the images stay the same objects";
    const QImage frame = sampler.sample(view.current(), VK_FORMAT_R8G8B8A8_UNORM, 1, 0, kShaderRead);
    EXPECT_TRUE(close_to(frame.pixel(250, 250), qRgb(20, 40, 60)));
}

// --- Frames ------------------------------------------------------------------------------------

// The host renders and samples at its own pace while the scene changes on every frame: every
// frame it samples is a whole one (all bands the same), the image it was handed keeps its frame
// until the next render() (sampled again at the end of the host's frame, after the library has
// drawn the next one: the library's thread is kept busy across the first sample), the counts
// never go back, and new frames keep coming through both images.
TEST_F(RenderAheadTest, EveryFrameTheHostSamplesIsAWholeFinishedFrameAndFramesKeepTheirOrder)
{
    AheadView view;
    ASSERT_TRUE(view.load_scene("Counter"));
    test_host::TextureSampler sampler(test_host::host(), kSize, kSize);
    const auto sample = [&] {
        return counted(sampler.sample(view.current(), VK_FORMAT_R8G8B8A8_UNORM, 1, 0, kShaderRead));
    };

    int last = -1;
    std::set<int> counts;
    std::set<int> indices;
    const auto rendered_before = view.frames_rendered();
    for (int i = 0; i < 60; ++i) {
        view.occupy_library_thread(60ms);
        view.render();
        indices.insert(view.get_current_texture_index());
        const int count = sample();
        ASSERT_GE(count, 0) << "host frame " << i << " sampled a frame drawn in part";
        EXPECT_GE(count, last) << "host frame " << i << " went back to an older frame";
        last = count;
        counts.insert(count);
        // A host frame of its own, of varying length; then the same image once more.
        std::this_thread::sleep_for(std::chrono::milliseconds(70 + (i * 7) % 17));
        EXPECT_EQ(sample(), count) << "host frame " << i << ": the image handed over changed before the next render()";
    }
    EXPECT_GE(counts.size(), 20u) << "the host is handed new frames";
    EXPECT_EQ(indices.size(), 2u);
    EXPECT_GT(view.frames_rendered() - rendered_before, 20u);
    test_host::expect_no_validation_messages();
}

// A still view does no work on a render(), which costs the host no more than a round trip to
// the library's thread. A change the host makes after a render() shows in the frame the second
// render() after it hands over: the first queues its frame.
TEST_F(RenderAheadTest, AStillViewRendersNothingAndAChangeShowsAtTheSecondRender)
{
    AheadView view;
    ASSERT_TRUE(view.load_scene("Colors"));
    for (int i = 0; i < 5; ++i) {
        std::this_thread::sleep_for(10ms);
        view.render();
    }
    const auto rendered = view.frames_rendered();
    std::vector<double> render_us, round_trip_us;
    for (int i = 0; i < 200; ++i) {
        auto start = std::chrono::steady_clock::now();
        view.render();
        auto middle = std::chrono::steady_clock::now();
        (void)view.get_refresh_rate();  // a plain round trip to the library's thread
        auto end = std::chrono::steady_clock::now();
        render_us.push_back(std::chrono::duration<double, std::micro>(middle - start).count());
        round_trip_us.push_back(std::chrono::duration<double, std::micro>(end - middle).count());
    }
    EXPECT_EQ(view.frames_rendered(), rendered) << "a still view renders nothing";
    EXPECT_LE(median(render_us), 1.2 * median(round_trip_us) + 5)
        << "render() " << median(render_us) << " us, a round trip " << median(round_trip_us) << " us";

    test_host::TextureSampler sampler(test_host::host(), kSize, kSize);
    const auto accent = [&] {
        return sampler.sample(view.current(), VK_FORMAT_R8G8B8A8_UNORM, 1, 0, kShaderRead).pixel(250, 250);
    };
    view.set_property("accent", QColor(200, 100, 0));
    std::this_thread::sleep_for(20ms);
    view.render();
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(close_to(accent(), qRgb(0, 255, 0))) << "the first render() queues the changed frame";
    view.render();
    EXPECT_TRUE(close_to(accent(), qRgb(200, 100, 0))) << "the second hands it over";
    std::this_thread::sleep_for(20ms);
    view.render();
    EXPECT_TRUE(close_to(accent(), qRgb(200, 100, 0)));
    EXPECT_EQ(view.frames_rendered(), rendered + 1);
}

// --- Ending ------------------------------------------------------------------------------------

// reset(), a new load and destroy() come while a frame is queued or being drawn, and while a
// second host thread keeps calling render(): nothing crashes, validation stays silent, and the
// view comes back whole after each load.
TEST_F(RenderAheadTest, ResetLoadAndDestroyWhileAFrameRendersAheadAreClean)
{
    test_host::TextureSampler sampler(test_host::host(), kSize, kSize);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        AheadView owner;
        AheadView* view = &owner;
        ASSERT_TRUE(view->load_scene("Counter"));
        std::atomic<bool> stop{false};
        std::thread other_host_thread([&] {
            while (!stop) {
                view->render();
                (void)view->get_current_texture_index();
                std::this_thread::sleep_for(1ms);
            }
        });
        for (int i = 0; i < 4; ++i) {
            view->render();
            view->reset();
            EXPECT_EQ(view->get_textures_count(), 0);
            EXPECT_EQ(view->get_texture(), 0ul);
            view->render();
            ASSERT_TRUE(view->load_scene("Counter"));
            view->render();
        }
        stop = true;
        other_host_thread.join();
        // The host samples again only from its own thread, as an engine does.
        for (int i = 0; i < 3; ++i) {
            std::this_thread::sleep_for(10ms);
            view->render();
            EXPECT_GE(counted(sampler.sample(view->current(), VK_FORMAT_R8G8B8A8_UNORM, 1, 0, kShaderRead)), 0);
        }
        view->render();
        view->destroy();
        view->render();  // on a facade without a view: nothing
        EXPECT_EQ(view->get_textures_count(), 0);
        test_host::expect_no_validation_messages();
    }
}

// Without the queue-lock layer the library would submit while the host does: the load warns and
// the view renders inside render(), as by default.
TEST_F(RenderAheadTest, WithoutTheQueueLockLayerTheViewWarnsAndRendersWaited)
{
    standin::HostOptions options;
    options.instance_extensions = {"VK_KHR_surface", "VK_KHR_xcb_surface"};
    standin::VulkanHost bare_host(options);
    ASSERT_FALSE(bare_host.queue_lock());
    MessageCapture messages;
    {
        SQuickView view;
        standin::hand_over(bare_host, view);
        view.set_resolution({256, 256});
        view.set_render_ahead(true);
        ASSERT_TRUE(view.load("TestScenes", "Colors"));
        EXPECT_TRUE(messages.contains("render ahead needs the queue-lock layer"));
        EXPECT_TRUE(view.get_render_ahead()) << "kept for a later load";
        EXPECT_EQ(view.get_textures_count(), 1);
        view.render();
        EXPECT_EQ(view.get_current_texture_index(), 0);
        const QImage frame = bare_host.read_back(view.get_texture(), 256, 256);
        EXPECT_TRUE(close_to(frame.pixel(64, 200), qRgb(255, 0, 0)));
        view.destroy();
    }
}

}  // namespace
