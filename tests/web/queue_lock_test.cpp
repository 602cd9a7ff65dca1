// The engine's threads and the library submitting to the one shared queue at the same time.
//
// Host worker threads submit transfer work to queue 0 in a tight loop, as an engine's loader
// threads do (under the host's own queue lock, which the library cannot see), while a QML scene, an animated page and a video render and reload. With the
// queue-lock layer in the host's instance the validation layer (its thread-safety checks sit
// below the queue lock) reports nothing and every frame is right.
//
// QUEUE_LOCK_TEST_WITHOUT_LAYER=1 runs the same on a second host without the layer: the
// validation layer then reports the race and the test fails, which shows what it guards.
// QUEUE_LOCK_TEST_SECONDS sets the length (30 s by default).

#include <sorvane/sorvane.h>

#include "standin_host/hand_over.h"
#include "media/media_fixtures.h"
#include "web_test_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

using namespace sorvane;
using namespace std::chrono_literals;
using webtest::near;
using media_test::MediaFixtures;
using media_test::make_media_fixtures;

namespace {

const auto* const g_started = ::testing::AddGlobalTestEnvironment(new webtest::Started(true));

int seconds()
{
    const char* value = std::getenv("QUEUE_LOCK_TEST_SECONDS");
    return value ? std::max(1, std::atoi(value)) : 30;
}

// A thread of the host's that fills a buffer of its own on queue 0 again and again, with a
// command pool of its own, as an engine's upload thread does.
class Uploader {
public:
    explicit Uploader(standin::VulkanHostBase& host) : m_host(host)
    {
        VkDevice device = host.device();
        VkBufferCreateInfo buffer_info{};
        buffer_info.sType = VK_STRUCTURE_TYPE_BUFFER_CREATE_INFO;
        buffer_info.size = 64 * 1024;
        buffer_info.usage = VK_BUFFER_USAGE_TRANSFER_DST_BIT;
        vkCreateBuffer(device, &buffer_info, nullptr, &m_buffer);
        VkMemoryRequirements needs{};
        vkGetBufferMemoryRequirements(device, m_buffer, &needs);
        VkMemoryAllocateInfo allocation{};
        allocation.sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO;
        allocation.allocationSize = needs.size;
        allocation.memoryTypeIndex = host.memory_type_index(needs.memoryTypeBits, 0);
        vkAllocateMemory(device, &allocation, nullptr, &m_memory);
        vkBindBufferMemory(device, m_buffer, m_memory, 0);

        VkCommandPoolCreateInfo pool_info{};
        pool_info.sType = VK_STRUCTURE_TYPE_COMMAND_POOL_CREATE_INFO;
        pool_info.queueFamilyIndex = 0;
        vkCreateCommandPool(device, &pool_info, nullptr, &m_pool);
        VkCommandBufferAllocateInfo cb_info{};
        cb_info.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO;
        cb_info.commandPool = m_pool;
        cb_info.level = VK_COMMAND_BUFFER_LEVEL_PRIMARY;
        cb_info.commandBufferCount = 1;
        vkAllocateCommandBuffers(device, &cb_info, &m_cb);
        VkCommandBufferBeginInfo begin{};
        begin.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO;
        vkBeginCommandBuffer(m_cb, &begin);
        vkCmdFillBuffer(m_cb, m_buffer, 0, VK_WHOLE_SIZE, 0x5a5a5a5a);
        vkEndCommandBuffer(m_cb);
        VkFenceCreateInfo fence_info{};
        fence_info.sType = VK_STRUCTURE_TYPE_FENCE_CREATE_INFO;
        vkCreateFence(device, &fence_info, nullptr, &m_fence);
        m_thread = std::thread([this] { run(); });
    }
    ~Uploader()
    {
        m_stop = true;
        m_thread.join();
        VkDevice device = m_host.device();
        vkDestroyFence(device, m_fence, nullptr);
        vkDestroyCommandPool(device, m_pool, nullptr);
        vkDestroyBuffer(device, m_buffer, nullptr);
        vkFreeMemory(device, m_memory, nullptr);
    }
    int submits() const { return m_submits; }
    int failures() const { return m_failures; }

private:
    void run()
    {
        VkSubmitInfo submit{};
        submit.sType = VK_STRUCTURE_TYPE_SUBMIT_INFO;
        submit.commandBufferCount = 1;
        submit.pCommandBuffers = &m_cb;
        while (!m_stop) {
            VkResult submitted;
            {
                // The host's threads keep apart from each other; only the library is outside.
                std::lock_guard lock(m_host.queue_mutex());
                submitted = vkQueueSubmit(m_host.queue(), 1, &submit, m_fence);
            }
            if (submitted != VK_SUCCESS ||
                vkWaitForFences(m_host.device(), 1, &m_fence, VK_TRUE, 5'000'000'000ull) != VK_SUCCESS) {
                ++m_failures;
                return;  // a lost device stays lost
            }
            vkResetFences(m_host.device(), 1, &m_fence);
            ++m_submits;
        }
    }

    standin::VulkanHostBase& m_host;
    VkBuffer m_buffer = VK_NULL_HANDLE;
    VkDeviceMemory m_memory = VK_NULL_HANDLE;
    VkCommandPool m_pool = VK_NULL_HANDLE;
    VkCommandBuffer m_cb = VK_NULL_HANDLE;
    VkFence m_fence = VK_NULL_HANDLE;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_submits{0};
    std::atomic<int> m_failures{0};
    std::thread m_thread;
};

constexpr unsigned kWidth = 480, kHeight = 270;

TEST(QueueLock, EngineThreadsSubmittingBesideTheViewsRaiseNoValidationMessageAndFramesStayRight)
{
    // The test host has the layer; without it, a host of the same kind that lacks it.
    const bool without_layer = std::getenv("QUEUE_LOCK_TEST_WITHOUT_LAYER") != nullptr;
    std::optional<standin::VulkanHost> bare;
    if (without_layer) {
        standin::HostOptions options;
        options.validation = true;
        bare.emplace(options);
    }
    standin::VulkanHost& host = without_layer ? *bare : webtest::host();
    ASSERT_EQ(host.queue_lock(), !without_layer);
    host.clear_validation_messages();

    QTemporaryDir media_dir;
    MediaFixtures media;
    ASSERT_EQ(make_media_fixtures(media_dir.path(), media), QString());
    webtest::site().put("/moving.html",
                        "<html><body style='margin:0;background:rgb(0,0,255)'>"
                        "<div style='width:40px;height:40px;background:rgb(255,255,0);"
                        "animation:run 1s linear infinite alternate'></div>"
                        "<style>@keyframes run{from{margin-left:0}to{margin-left:400px}}</style>"
                        "</body></html>");

    SQuickView scene;
    SWebView page;
    SVideoPlayerView video;
    for (const SView* view : {static_cast<const SView*>(&scene), static_cast<const SView*>(&page),
                              static_cast<const SView*>(&video)}) {
        standin::hand_over(host, *view);
        view->set_resolution({kWidth, kHeight});
        view->set_refresh_rate(120);
    }
    scene.set_texture_layout(VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
    page.set_url("res://app/moving.html");
    video.set_source(media.clip.toStdString());
    video.set_loops(4294967295u);
    video.set_controls(false);
    auto load_all = [&] {
        EXPECT_TRUE(scene.load("TestScenes", "Changes"));
        EXPECT_TRUE(page.load());
        EXPECT_TRUE(video.load("Multimedia", "VideoPlayer"));
    };
    load_all();

    int wrong_frames = 0, checked = 0;
    {
        std::vector<std::unique_ptr<Uploader>> uploaders;
        for (int i = 0; i < 2; ++i)
            uploaders.push_back(std::make_unique<Uploader>(host));

        const auto start = std::chrono::steady_clock::now();
        auto last_reload = start, last_check = start;
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(seconds())) {
            scene.render();
            page.render();
            video.render();
            std::this_thread::sleep_for(8ms);
            const auto now = std::chrono::steady_clock::now();
            if (now - last_reload > 5s) {
                load_all();
                last_reload = now;
            }
            if (now - last_check > 1s && now - last_reload > 2s) {
                last_check = now;
                // The still parts of each picture: the scene's black ground, the page's blue
                // ground below the runner, the video's green field right of its test pattern.
                const QImage s = host.read_back(scene.get_texture(), kWidth, kHeight,
                                                VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);
                const QImage p = host.read_back(page.get_texture(), kWidth, kHeight);
                const QImage v = host.read_back(video.get_texture(), kWidth, kHeight);
                ++checked;
                if (!near(s.pixel(300, 200), qRgba(0, 0, 0, 255)) || !near(p.pixel(240, 200), webtest::kBlue) ||
                    !near(v.pixel(kWidth - 60, kHeight / 2), webtest::kGreen, 40))
                    ++wrong_frames;
            }
        }
        for (const auto& uploader : uploaders) {
            EXPECT_GT(uploader->submits(), 100) << "the uploader kept submitting";
            EXPECT_EQ(uploader->failures(), 0) << "a submission failed or its fence never signalled";
        }
    }
    EXPECT_GT(checked, seconds() / 3);
    EXPECT_EQ(wrong_frames, 0) << "of " << checked << " checked frames";
    for (const std::string& message : host.validation_messages())
        ADD_FAILURE() << "Vulkan validation: " << message;
    host.clear_validation_messages();
    scene.destroy();
    page.destroy();
    video.destroy();
}

}  // namespace
