// What the queue-lock layer costs: a view's render() of a moving 1280x720 scene and the host's
// own submissions, on a host whose instance has the layer against one without it, in the same
// process, in alternating rounds.
//
//   queue_lock_bench [frames per round] [rounds]

#include <sorvane/sorvane.h>

#include "standin_host/hand_over.h"
#include "standin_host/vulkan_host.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using namespace sorvane;
using Clock = std::chrono::steady_clock;

namespace {

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double us_since(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// One host with its view of the moving scene.
struct Setup {
    std::unique_ptr<standin::VulkanHost> host;
    SQuickView view;
    VkCommandPool pool = VK_NULL_HANDLE;
    VkCommandBuffer cb = VK_NULL_HANDLE;
    VkFence fence = VK_NULL_HANDLE;

    explicit Setup(bool queue_lock)
    {
        standin::HostOptions options;
        options.instance_extensions = {"VK_KHR_surface", "VK_KHR_xcb_surface"};
        if (queue_lock)
            options.queue_lock_layer_dir = SORVANE_LAYER_DIR;
        host = std::make_unique<standin::VulkanHost>(options);
        standin::hand_over(*host, view);
        view.set_resolution({1280, 720});
        view.set_refresh_rate(120);
        view.set_texture_layout(VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL);

        VkCommandPoolCreateInfo pool_info{};
        pool_info.sType = VK_STRUCTURE_TYPE_COMMAND_POOL_CREATE_INFO;
        vkCreateCommandPool(host->device(), &pool_info, nullptr, &pool);
        VkCommandBufferAllocateInfo cb_info{};
        cb_info.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO;
        cb_info.commandPool = pool;
        cb_info.commandBufferCount = 1;
        vkAllocateCommandBuffers(host->device(), &cb_info, &cb);
        VkCommandBufferBeginInfo begin{};
        begin.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO;
        vkBeginCommandBuffer(cb, &begin);
        vkEndCommandBuffer(cb);
        VkFenceCreateInfo fence_info{};
        fence_info.sType = VK_STRUCTURE_TYPE_FENCE_CREATE_INFO;
        vkCreateFence(host->device(), &fence_info, nullptr, &fence);
    }
    ~Setup()
    {
        view.destroy();
        vkDestroyFence(host->device(), fence, nullptr);
        vkDestroyCommandPool(host->device(), pool, nullptr);
    }

    // Median render() of a due frame, in microseconds.
    double render_us(int frames)
    {
        std::vector<double> samples;
        for (int i = 0; i < frames; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(9));
            const auto start = Clock::now();
            view.render();
            samples.push_back(us_since(start));
        }
        return median(samples);
    }

    // Median of one host submission (an empty command buffer) and the wait for its fence.
    double submit_us(int submits)
    {
        VkSubmitInfo submit{};
        submit.sType = VK_STRUCTURE_TYPE_SUBMIT_INFO;
        submit.commandBufferCount = 1;
        submit.pCommandBuffers = &cb;
        std::vector<double> samples;
        for (int i = 0; i < submits; ++i) {
            const auto start = Clock::now();
            vkQueueSubmit(host->queue(), 1, &submit, fence);
            vkWaitForFences(host->device(), 1, &fence, VK_TRUE, UINT64_MAX);
            samples.push_back(us_since(start));
            vkResetFences(host->device(), 1, &fence);
        }
        return median(samples);
    }

    // Mean of the vkQueueSubmit call alone, for an empty submission, in nanoseconds: what the
    // lock adds to each call.
    double empty_submit_ns(int calls)
    {
        const auto start = Clock::now();
        for (int i = 0; i < calls; ++i)
            vkQueueSubmit(host->queue(), 0, nullptr, VK_NULL_HANDLE);
        const double ns = us_since(start) * 1000.0 / calls;
        vkQueueWaitIdle(host->queue());
        return ns;
    }
};

void print_ratios(const char* what, const std::vector<double>& with, const std::vector<double>& without)
{
    std::vector<double> ratios;
    for (size_t i = 0; i < with.size(); ++i)
        ratios.push_back(with[i] / without[i]);
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    std::printf("%-34s with %9.2f  without %9.2f  ratio %.3f [%.3f .. %.3f]\n", what, median(with), median(without),
                median(ratios), *low, *high);
}

}  // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(10, std::atoi(argv[1])) : 60;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (const char* root = std::getenv("SORVANE_PROJECT_ROOT"))
        opts::PATH_PROJECT_ROOT = root;

    S::create_app();
    S::ensure_qt_eventloop_is_running();
    // Two engines in one process: the library adopts each view's own instance.
    Setup without(false), with(true);
    if (!without.view.load("BenchScenes", "Moving") || !with.view.load("BenchScenes", "Moving")) {
        std::fprintf(stderr, "queue_lock_bench: the scene did not load\n");
        return 1;
    }
    std::printf("queue_lock_bench: %d rounds of %d frames, 1280x720, on %s\n\n", rounds, frames,
                with.host->device_name().c_str());

    std::vector<double> render_with, render_without, submit_with, submit_without, empty_with, empty_without;
    for (int round = 0; round < rounds; ++round) {
        render_without.push_back(without.render_us(frames));
        render_with.push_back(with.render_us(frames));
        submit_without.push_back(without.submit_us(frames * 10));
        submit_with.push_back(with.submit_us(frames * 10));
        empty_without.push_back(without.empty_submit_ns(20000));
        empty_with.push_back(with.empty_submit_ns(20000));
    }
    std::printf("medians over rounds; ratio = with the layer / without, median [min .. max] of the rounds\n");
    print_ratios("render() of a due frame (us)", render_with, render_without);
    print_ratios("host submit + fence wait (us)", submit_with, submit_without);
    print_ratios("empty vkQueueSubmit call (ns)", empty_with, empty_without);
    S::destroy();
    return 0;
}
