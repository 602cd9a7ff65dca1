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

// How an import shows the view's image, whose R8G8B8A8 values are sRGB-encoded:
//   Unorm  hands the values over as they are: right for 2D drawing, which writes them straight
//          to the sRGB-encoded window;
//   Srgb   decodes them to linear when sampled: right for 3D materials. Godot's texture on such
//          an import also makes a UNORM view, which Godot 4.6 creates with an empty usage (it
//          copies the usage from the image's creation info, which an imported image lacks): the
//          validation layer reports VUID-VkImageViewUsageCreateInfo-usage-parameter once per
//          import, and sampling that view would be invalid; 3D materials sample the sRGB view.
// (An Unorm import cannot serve 3D: the sRGB view Godot makes of it gets the UNORM format.)
enum class TextureFormat { Unorm, Srgb };

// A texture of the RenderingDevice that shows one mip level of the view's VkImage; 0 when the
// device refuses it.
std::uint64_t import_texture(unsigned long image, unsigned width, unsigned height, TextureFormat format);
void free_texture(std::uint64_t rid);

// A view's images as Godot imports them: one, or two when the view renders ahead, each imported
// once per load for 2D (UNORM) and, once asked for, for 3D (SRGB).
struct ViewImages {
    int count = 0;
    unsigned long images[2] = {};
    std::uint64_t rd_textures[2] = {};     // UNORM imports
    std::uint64_t rd_textures_3d[2] = {};  // SRGB imports
    // Imports every image in `format`. When one import fails none is kept: Godot must never show
    // one image of a view while the view draws into the other.
    void import(unsigned width, unsigned height, TextureFormat format);
    // Frees every import.
    void free() const;
};

// Waits until the device has finished every submitted frame: before the library releases an
// image that Godot's frames in flight may still sample.
void wait_device_idle();

}  // namespace sorvane_godot
