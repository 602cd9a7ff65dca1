// How a view hands its texture to the host: the layout it is left in, sampled by the host's own
// fragment shader after every frame through UNORM and SRGB views, the mip levels that hold the
// picture, and the handles a view refuses. Synchronisation validation watches every test.

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

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace sorvane;
using namespace std::chrono_literals;

namespace {

class Environment : public ::testing::Environment {
public:
    void SetUp() override { test_host::start(false, /*synchronization_validation=*/true); }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

constexpr int kSize = 512;

class HandOverTest : public ::testing::Test {
protected:
    void TearDown() override { test_host::expect_no_validation_messages(); }
};

// The Colors scene at 512 x 512 with its accent square (200..300) in `accent`.
class ColoursView : public SQuickView {
public:
    explicit ColoursView(int layout)
    {
        standin::hand_over(test_host::host(), *this);
        set_refresh_rate(120);
        set_resolution({kSize, kSize});
        set_texture_layout(layout);
    }
    ~ColoursView() { destroy(); }

    void set_accent(QColor colour) const
    {
        carry::waited(m_view, [colour](View* v) { v->root_item()->setProperty("accent", colour); });
    }
    // Renders the next frame now (past the frame interval).
    void next_frame() const
    {
        std::this_thread::sleep_for(10ms);
        render();
    }
};

bool close_to(QRgb pixel, int r, int g, int b, int tolerance = 3)
{
    return std::abs(qRed(pixel) - r) <= tolerance && std::abs(qGreen(pixel) - g) <= tolerance &&
           std::abs(qBlue(pixel) - b) <= tolerance;
}

::testing::AssertionResult shows(QRgb pixel, int r, int g, int b)
{
    if (close_to(pixel, r, g, b))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << qRed(pixel) << ", " << qGreen(pixel) << ", " << qBlue(pixel)
                                         << "), expected (" << r << ", " << g << ", " << b << ")";
}

// --- Sampling in the host's fragment shader ----------------------------------------------------

class SampledHandOver : public HandOverTest, public ::testing::WithParamInterface<bool> {};

// After every frame the host samples the texture as it finds it, with no barrier of its own: the
// hand-over layout and its barrier are all that make the frame visible to the shader. Through an
// SRGB view the values come out linear; through a UNORM view as the scene wrote them. With
// mipmaps every level holds the picture.
TEST_P(SampledHandOver, TheHostsShaderSeesEachFrameInTheShaderReadLayout)
{
    const bool mipmaps = GetParam();
    ColoursView view(VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
    view.set_mipmaps_enabled(mipmaps);
    ASSERT_TRUE(view.load("TestScenes", "Colors"));
    const int levels = view.get_content_mips_count();
    EXPECT_EQ(levels, mipmaps ? view.get_mips_count() : 1);
    EXPECT_EQ(view.get_mips_count(), 10);
    const auto texture = view.get_texture();

    test_host::TextureSampler sampler(test_host::host(), kSize, kSize);
    const QColor accents[] = {QColor(128, 64, 192), QColor(32, 200, 100), QColor(250, 10, 160), QColor(90, 90, 90)};
    for (const QColor& accent : accents) {
        view.set_accent(accent);
        view.next_frame();
        for (int level : {0, levels - 1 > 2 ? 2 : levels - 1}) {
            SCOPED_TRACE(testing::Message() << "accent " << accent.name().toStdString() << ", level " << level);
            const QImage linear = sampler.sample(texture, VK_FORMAT_R8G8B8A8_SRGB, levels, level,
                                                 VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
            EXPECT_TRUE(shows(linear.pixel(250, 250), test_host::srgb_to_linear(accent.red()),
                              test_host::srgb_to_linear(accent.green()), test_host::srgb_to_linear(accent.blue())));
            EXPECT_TRUE(shows(linear.pixel(64, 450), 255, 0, 0));
            EXPECT_TRUE(shows(linear.pixel(450, 64), 0, 0, 255));
            const QImage encoded = sampler.sample(texture, VK_FORMAT_R8G8B8A8_UNORM, levels, level,
                                                  VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
            EXPECT_TRUE(shows(encoded.pixel(250, 250), accent.red(), accent.green(), accent.blue()));
        }
        test_host::expect_no_validation_messages();
    }
}

INSTANTIATE_TEST_SUITE_P(Mipmaps, SampledHandOver, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "WithMipmaps" : "WithoutMipmaps"; });

// The host reads the texture in the layout it chose; the library takes it back each frame.
TEST_F(HandOverTest, EveryHandOverLayoutHoldsEachFrameAndAChangeTakesEffectAtTheNextFrame)
{
    ColoursView view(VK_IMAGE_LAYOUT_GENERAL);
    EXPECT_EQ(view.get_texture_layout(), VK_IMAGE_LAYOUT_GENERAL);
    ASSERT_TRUE(view.load("TestScenes", "Colors"));
    for (const int layout : {VK_IMAGE_LAYOUT_GENERAL, VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL,
                             VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL, VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL}) {
        SCOPED_TRACE(layout);
        view.set_texture_layout(layout);
        view.set_accent(QColor(10, layout % 200, 40));
        view.next_frame();
        const QImage frame =
            test_host::host().read_back(view.get_texture(), kSize, kSize, VkImageLayout(layout));
        EXPECT_TRUE(shows(frame.pixel(250, 250), 10, layout % 200, 40));
        test_host::expect_no_validation_messages();
    }
}

TEST_F(HandOverTest, ALayoutTheTextureCannotBeHandedOverInWarnsAndKeepsTheOldOne)
{
    MessageCapture messages;
    ColoursView view(VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL);
    EXPECT_EQ(view.get_texture_layout(), VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL) << "the default";
    view.set_texture_layout(VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
    for (int bad : {int(VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL), int(VK_IMAGE_LAYOUT_UNDEFINED), -1, 1000001000}) {
        view.set_texture_layout(bad);
        EXPECT_EQ(view.get_texture_layout(), VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
    }
    EXPECT_TRUE(messages.contains("is not a layout the texture can be handed over in"));
    SQuickView gone;
    EXPECT_EQ(gone.get_texture_layout(), VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL);
    EXPECT_EQ(gone.get_content_mips_count(), 1);
}

// --- Handles -----------------------------------------------------------------------------------

// An engine hands out null handles off its render thread. Qt would then make a device of its
// own and the engine would sample a foreign image; the view refuses instead, naming the handle.
TEST_F(HandOverTest, ANullOrMissingHandleRefusesTheLoadWithAWarningNamingIt)
{
    standin::VulkanHost& host = test_host::host();
    struct Case {
        const char* what;
        bool give_instance, give_devices;
        VkInstance instance;
        VkPhysicalDevice physical_device;
        VkDevice device;
        const char* named;
    };
    const Case cases[] = {
        {"nothing handed over", false, false, nullptr, nullptr, nullptr, "VkInstance"},
        {"a null instance", true, true, nullptr, host.physical_device(), host.device(), "VkInstance"},
        {"no devices", true, false, host.instance(), nullptr, nullptr, "VkPhysicalDevice and VkDevice"},
        {"a null physical device", true, true, host.instance(), nullptr, host.device(), "VkPhysicalDevice"},
        {"a null device", true, true, host.instance(), host.physical_device(), nullptr, "VkDevice ("},
        {"all null", true, true, nullptr, nullptr, nullptr, "VkInstance"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MessageCapture messages;
        SQuickView view;
        view.set_resolution({256, 256});
        VkInstance instance = c.instance;
        VkPhysicalDevice physical_device = c.physical_device;
        VkDevice device = c.device;
        if (c.give_instance)
            view.set_view_monitor(instance);
        if (c.give_devices)
            view.set_statistics_monitor(physical_device, device);
        EXPECT_FALSE(view.load("TestScenes", "Colors"));
        EXPECT_TRUE(messages.contains(QString("load refused: the engine's ") + c.named));
        EXPECT_EQ(view.get_texture(), 0ul);
        view.render();
        // The same view loads once it has the engine's own handles.
        standin::hand_over(host, view);
        EXPECT_TRUE(view.load("TestScenes", "Colors"));
        EXPECT_NE(view.get_texture(), 0ul);
        view.destroy();
    }
}

// The host's instance has the queue-lock layer, so the library has nothing to warn about.
TEST_F(HandOverTest, WithTheQueueLockLayerTheLoadDoesNotWarnAboutTheQueue)
{
    ASSERT_TRUE(test_host::host().queue_lock());
    MessageCapture messages;
    ColoursView view(VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
    ASSERT_TRUE(view.load("TestScenes", "Colors"));
    EXPECT_FALSE(messages.contains("queue-lock layer"));
}

}  // namespace
