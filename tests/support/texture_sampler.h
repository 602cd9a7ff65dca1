#pragma once

// What an engine does with a view's texture: samples it in a fragment shader, here into an
// image of the host's own that the test then reads back. The texture is sampled in the layout
// the view hands it over in, without any barrier of the host's, as an engine that imported the
// image once does.

#include "standin_host/vulkan_host.h"

#include <QImage>

#include <vulkan/vulkan.h>

namespace test_host {

class TextureSampler {
public:
    // A pipeline that draws into a width x height RGBA8 UNORM image of the host's.
    TextureSampler(standin::VulkanHost& host, int width, int height);
    ~TextureSampler();
    TextureSampler(const TextureSampler&) = delete;
    TextureSampler& operator=(const TextureSampler&) = delete;

    // Samples mip `level` of `vk_image` (an R8G8B8A8 image of `mip_levels` levels, in
    // `layout`) through a view of `view_format`, nearest-filtered, over the whole target; waits
    // and returns the target's pixels. The sampled values land unchanged in the UNORM target:
    // through an SRGB view they are the scene's colours made linear.
    QImage sample(uint64_t vk_image, VkFormat view_format, int mip_levels, int level, VkImageLayout layout);

private:
    standin::VulkanHost& m_host;
    VkDevice m_device;
    int m_width;
    int m_height;
    VkImage m_target = VK_NULL_HANDLE;
    VkDeviceMemory m_target_memory = VK_NULL_HANDLE;
    VkImageView m_target_view = VK_NULL_HANDLE;
    VkRenderPass m_render_pass = VK_NULL_HANDLE;
    VkFramebuffer m_framebuffer = VK_NULL_HANDLE;
    VkSampler m_sampler = VK_NULL_HANDLE;
    VkDescriptorSetLayout m_set_layout = VK_NULL_HANDLE;
    VkPipelineLayout m_pipeline_layout = VK_NULL_HANDLE;
    VkPipeline m_pipeline = VK_NULL_HANDLE;
    VkDescriptorPool m_descriptor_pool = VK_NULL_HANDLE;
    VkDescriptorSet m_descriptor_set = VK_NULL_HANDLE;
};

// The linear value of an sRGB-encoded 8-bit value, as an 8-bit value (what an SRGB view yields).
int srgb_to_linear(int encoded);

}  // namespace test_host
