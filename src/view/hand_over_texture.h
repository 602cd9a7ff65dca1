#pragma once

// The texture a view hands to the host: its VkImage, made by the library so that the host can
// sample it through a UNORM or an SRGB view, and the barriers that leave it in the layout the
// host samples it in.

#include <QSize>

#include <vulkan/vulkan_core.h>

class QRhi;
class QRhiCommandBuffer;
class QRhiTexture;
class QVulkanDeviceFunctions;

namespace sorvane {

// An R8G8B8A8_UNORM image with a full mip chain, created with VK_IMAGE_CREATE_MUTABLE_FORMAT_BIT
// so that R8G8B8A8_SRGB views of it are valid, in device-local memory of the QRhi's device.
// Wrapped by a QRhiTexture (RGBA8, RenderTarget | MipMapped | UsedWithGenerateMips) through
// createFrom(); the QRhiTexture never owns it.
class HandOverImage {
public:
    HandOverImage() = default;
    ~HandOverImage() { destroy(); }
    HandOverImage(const HandOverImage&) = delete;
    HandOverImage& operator=(const HandOverImage&) = delete;

    // Creates the image and a QRhiTexture on it, or returns null (with a warning) when the
    // device refuses it.
    QRhiTexture* create(QRhi* rhi, QSize size);
    // Frees the image and its memory. The QRhiTexture must be gone and the device idle for it.
    void destroy();

private:
    VkDevice m_device = VK_NULL_HANDLE;
    QVulkanDeviceFunctions* m_functions = nullptr;
    VkImage m_image = VK_NULL_HANDLE;
    VkDeviceMemory m_memory = VK_NULL_HANDLE;
};

// The layouts a view may leave its texture in for the host; the first is the default.
bool is_hand_over_layout(int layout);

// Records, on the frame's command buffer outside any pass, the barrier that takes every mip
// level of `texture` from the layout the QRhi tracks to `layout`, and tells the QRhi. The
// barrier's second scope covers the host's later shader reads on the same queue (or, for
// GENERAL, every later command).
void leave_texture_in(QRhi* rhi, QRhiCommandBuffer* cb, QRhiTexture* texture, VkImageLayout layout);

// Records the barrier that takes `texture` from the hand-over layout back to colour attachment
// before the frame renders into it, waiting for the host's shader reads of the last frame.
void take_texture_back(QRhi* rhi, QRhiCommandBuffer* cb, QRhiTexture* texture);

// Whether the queue-lock layer is active on the QRhi's device, so that every submission to its
// queues, the host's and the library's, is serialised.
bool queue_lock_active(QRhi* rhi);

}  // namespace sorvane
