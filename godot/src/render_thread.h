// Godot's render thread, where everything that touches Godot's Vulkan device happens: fetching
// its handles, loading and rendering views, importing and releasing their textures. With the
// default thread model the render thread is the main thread and work runs at once; with
// --render-thread separate it is queued in order with Godot's own rendering work.
#pragma once

#include <cstdint>
#include <functional>

#include <vulkan/vulkan_core.h>

#include "variant.h"

namespace sorvane_godot {

void on_render_thread(std::function<void()> work);

// The rest only on the render thread.

// The engine's RenderingDevice.
Variant rendering_device();

struct VulkanHandles {
    VkInstance instance = VK_NULL_HANDLE;
    VkPhysicalDevice physical_device = VK_NULL_HANDLE;
    VkDevice device = VK_NULL_HANDLE;
    bool complete() const { return instance && physical_device && device; }
};
VulkanHandles vulkan_handles();

// A texture of the RenderingDevice that shows one mip level of a VkImage in R8G8B8A8_UNORM;
// 0 when the device refuses it.
std::uint64_t import_texture(unsigned long image, unsigned width, unsigned height);
void free_texture(std::uint64_t rid);

// Waits until the device has finished every submitted frame: before the library releases an
// image that Godot's frames in flight may still sample.
void wait_device_idle();

}  // namespace sorvane_godot
