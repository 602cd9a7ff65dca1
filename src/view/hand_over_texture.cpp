#include "view/hand_over_texture.h"

#include <QVulkanDeviceFunctions>
#include <QVulkanFunctions>
#include <QVulkanInstance>
#include <QtDebug>
#include <rhi/qrhi.h>
#include <rhi/qrhi_platform.h>

namespace sorvane {

namespace {

const QRhiVulkanNativeHandles* vulkan_handles(QRhi* rhi)
{
    return static_cast<const QRhiVulkanNativeHandles*>(rhi->nativeHandles());
}

VkCommandBuffer native_command_buffer(QRhiCommandBuffer* cb)
{
    return static_cast<const QRhiVulkanCommandBufferNativeHandles*>(cb->nativeHandles())->commandBuffer;
}

// Records one barrier over every mip level of `texture` into the frame's command buffer, after
// everything the QRhi recorded so far and before what it records later.
void record_barrier(QRhi* rhi, QRhiCommandBuffer* cb, QRhiTexture* texture, VkImageLayout from,
                    VkImageLayout to, VkPipelineStageFlags src_stages, VkAccessFlags src_access,
                    VkPipelineStageFlags dst_stages, VkAccessFlags dst_access)
{
    const QRhiVulkanNativeHandles* handles = vulkan_handles(rhi);
    QVulkanDeviceFunctions* df = handles->inst->deviceFunctions(handles->dev);
    cb->beginExternal();
    VkImageMemoryBarrier barrier{};
    barrier.sType = VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER;
    barrier.srcAccessMask = src_access;
    barrier.dstAccessMask = dst_access;
    barrier.oldLayout = from;
    barrier.newLayout = to;
    barrier.srcQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    barrier.dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    barrier.image = reinterpret_cast<VkImage>(texture->nativeTexture().object);
    barrier.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, VK_REMAINING_MIP_LEVELS, 0, 1};
    df->vkCmdPipelineBarrier(native_command_buffer(cb), src_stages, dst_stages, 0, 0, nullptr, 0,
                             nullptr, 1, &barrier);
    cb->endExternal();
    texture->setNativeLayout(to);
}

// Where the host may read the texture: any shader stage of a draw or a dispatch.
constexpr VkPipelineStageFlags kShaderStages =
    VK_PIPELINE_STAGE_VERTEX_SHADER_BIT | VK_PIPELINE_STAGE_FRAGMENT_SHADER_BIT |
    VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT;

}  // namespace

QRhiTexture* HandOverImage::create(QRhi* rhi, QSize size)
{
    destroy();
    const QRhiVulkanNativeHandles* handles = vulkan_handles(rhi);
    QVulkanFunctions* f = handles->inst->functions();
    m_device = handles->dev;
    m_functions = handles->inst->deviceFunctions(m_device);

    VkImageCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_IMAGE_CREATE_INFO;
    // SRGB views of the image are what a 3D material samples: the scene's values are sRGB-encoded.
    info.flags = VK_IMAGE_CREATE_MUTABLE_FORMAT_BIT;
    info.imageType = VK_IMAGE_TYPE_2D;
    info.format = VK_FORMAT_R8G8B8A8_UNORM;
    info.extent = {uint32_t(size.width()), uint32_t(size.height()), 1};
    info.mipLevels = uint32_t(rhi->mipLevelsForSize(size));
    info.arrayLayers = 1;
    info.samples = VK_SAMPLE_COUNT_1_BIT;
    info.tiling = VK_IMAGE_TILING_OPTIMAL;
    // What the QRhi needs of a mipmapped render target texture, plus copies for the host.
    info.usage = VK_IMAGE_USAGE_COLOR_ATTACHMENT_BIT | VK_IMAGE_USAGE_SAMPLED_BIT |
                 VK_IMAGE_USAGE_TRANSFER_SRC_BIT | VK_IMAGE_USAGE_TRANSFER_DST_BIT;
    info.sharingMode = VK_SHARING_MODE_EXCLUSIVE;
    info.initialLayout = VK_IMAGE_LAYOUT_UNDEFINED;
    VkResult result = m_functions->vkCreateImage(m_device, &info, nullptr, &m_image);
    if (result != VK_SUCCESS) {
        qWarning() << "the texture's image could not be created: vkCreateImage returned" << result;
        m_image = VK_NULL_HANDLE;
        return nullptr;
    }

    VkMemoryRequirements needs{};
    m_functions->vkGetImageMemoryRequirements(m_device, m_image, &needs);
    VkPhysicalDeviceMemoryProperties memory{};
    f->vkGetPhysicalDeviceMemoryProperties(handles->physDev, &memory);
    uint32_t type = UINT32_MAX;
    for (VkMemoryPropertyFlags wanted : {VkMemoryPropertyFlags(VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT), 0u}) {
        for (uint32_t i = 0; i < memory.memoryTypeCount && type == UINT32_MAX; ++i) {
            if ((needs.memoryTypeBits & (1u << i)) && (memory.memoryTypes[i].propertyFlags & wanted) == wanted)
                type = i;
        }
    }
    VkMemoryAllocateInfo allocation{};
    allocation.sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO;
    allocation.allocationSize = needs.size;
    allocation.memoryTypeIndex = type;
    result = type == UINT32_MAX ? VK_ERROR_OUT_OF_DEVICE_MEMORY
                                : m_functions->vkAllocateMemory(m_device, &allocation, nullptr, &m_memory);
    if (result == VK_SUCCESS)
        result = m_functions->vkBindImageMemory(m_device, m_image, m_memory, 0);
    if (result != VK_SUCCESS) {
        qWarning() << "the texture's memory could not be allocated:" << result;
        destroy();
        return nullptr;
    }

    QRhiTexture* texture = rhi->newTexture(QRhiTexture::RGBA8, size, 1,
                                           QRhiTexture::RenderTarget | QRhiTexture::MipMapped |
                                               QRhiTexture::UsedWithGenerateMips);
    if (!texture->createFrom({quint64(m_image), VK_IMAGE_LAYOUT_UNDEFINED})) {
        delete texture;
        destroy();
        return nullptr;
    }
    return texture;
}

void HandOverImage::destroy()
{
    if (m_image)
        m_functions->vkDestroyImage(m_device, m_image, nullptr);
    if (m_memory)
        m_functions->vkFreeMemory(m_device, m_memory, nullptr);
    m_image = VK_NULL_HANDLE;
    m_memory = VK_NULL_HANDLE;
}

bool is_hand_over_layout(int layout)
{
    return layout == VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL ||
           layout == VK_IMAGE_LAYOUT_SHADER_READ_ONLY_OPTIMAL || layout == VK_IMAGE_LAYOUT_GENERAL;
}

void leave_texture_in(QRhi* rhi, QRhiCommandBuffer* cb, QRhiTexture* texture, VkImageLayout layout)
{
    // The frame's colour writes and, with mipmaps, the blits that made the chain.
    const VkPipelineStageFlags src = VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT | VK_PIPELINE_STAGE_TRANSFER_BIT;
    const VkAccessFlags src_access = VK_ACCESS_COLOR_ATTACHMENT_WRITE_BIT | VK_ACCESS_TRANSFER_WRITE_BIT;
    const auto from = VkImageLayout(texture->nativeTexture().layout);
    if (layout == VK_IMAGE_LAYOUT_GENERAL)
        record_barrier(rhi, cb, texture, from, layout, src, src_access, VK_PIPELINE_STAGE_ALL_COMMANDS_BIT,
                       VK_ACCESS_MEMORY_READ_BIT | VK_ACCESS_MEMORY_WRITE_BIT);
    else
        record_barrier(rhi, cb, texture, from, layout, src, src_access, kShaderStages, VK_ACCESS_SHADER_READ_BIT);
}

void take_texture_back(QRhi* rhi, QRhiCommandBuffer* cb, QRhiTexture* texture)
{
    const auto from = VkImageLayout(texture->nativeTexture().layout);
    // A write-after-read on the host's side needs only the execution dependency; GENERAL may
    // have been written by the host as well.
    const bool general = from == VK_IMAGE_LAYOUT_GENERAL;
    record_barrier(rhi, cb, texture, from, VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL,
                   general ? VK_PIPELINE_STAGE_ALL_COMMANDS_BIT : kShaderStages,
                   general ? VK_ACCESS_MEMORY_WRITE_BIT : 0, VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT,
                   VK_ACCESS_COLOR_ATTACHMENT_WRITE_BIT | VK_ACCESS_COLOR_ATTACHMENT_READ_BIT);
}

bool queue_lock_active(QRhi* rhi)
{
    const QRhiVulkanNativeHandles* handles = vulkan_handles(rhi);
    // The layer answers this name for every device of an instance it is part of; the loader
    // passes names it does not know down the chain.
    return handles->inst->functions()->vkGetDeviceProcAddr(handles->dev, "vkGetSorvaneQueueLockVersionSORVANE") !=
           nullptr;
}

}  // namespace sorvane
