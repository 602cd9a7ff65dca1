#pragma once

// A minimal Vulkan "engine" that stands in for the real host in tests, the demo and benchmarks.
//
// It owns what a game engine would own and hands to the library: a VkInstance, a physical device
// and a bare VkDevice (queue family 0, one queue, no extensions, no features). Besides that it
// can read a rendered RGBA8 texture back into memory, so tests can look at the pixels. Like a
// game engine it needs no Qt: VulkanHost (vulkan_host.h) adds the read-back into a QImage.
//
// Queue sharing: the library renders on the same queue 0. Vulkan requires submissions to one
// queue to be externally synchronised. With HostOptions::queue_lock_layer_dir the queue-lock
// layer does that for every thread; without it, call read_back() and submit_and_wait() only
// between render() calls (for example on the thread that calls render()).
//
// Lifetime: destroy every view and shut the library down before destroying the host; the
// library keeps using the instance and device it adopted until then.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "standin_host/rgba_image.h"

#include <vulkan/vulkan.h>

namespace standin {

struct HostOptions {
    // Enables VK_LAYER_KHRONOS_validation and a VK_EXT_debug_utils messenger that records every
    // warning and error (see VulkanHostBase::validation_messages()). The constructor throws when
    // the layer is not installed, so a test never passes silently without validation.
    bool validation = false;
    // Additionally enables the layer's synchronization validation (missing or wrong barriers,
    // read/write hazards between submissions). Slower; implies `validation`.
    bool synchronization_validation = false;
    // Extra instance extensions to enable, for example "VK_KHR_surface". None by default.
    std::vector<std::string> instance_extensions;
    // The folder that holds the queue-lock layer's manifest (VkLayer_sorvane_queue_lock.json).
    // When set, the host enables VK_LAYER_SORVANE_queue_lock as an engine does: through the
    // loader's environment (VK_ADD_LAYER_PATH, VK_INSTANCE_LAYERS), which places it above the
    // layers the application enables. The environment is restored once the instance exists, so
    // other hosts of the process choose for themselves. Throws when the loader cannot find it.
    std::string queue_lock_layer_dir;
    // Index into vkEnumeratePhysicalDevices; the first device by default.
    uint32_t physical_device_index = 0;
};

class VulkanHostBase {
public:
    // Creates the instance, picks the physical device, creates the device, a command pool, a
    // command buffer and a fence. Throws std::runtime_error with a clear message on failure.
    explicit VulkanHostBase(const HostOptions& options = HostOptions());
    // Waits for the device to go idle, then destroys everything in reverse order.
    ~VulkanHostBase();

    VulkanHostBase(const VulkanHostBase&) = delete;
    VulkanHostBase& operator=(const VulkanHostBase&) = delete;

    VkInstance instance() const { return m_instance; }
    VkPhysicalDevice physical_device() const { return m_physical_device; }
    VkDevice device() const { return m_device; }
    // Queue 0 of queue family 0, the queue the library renders on too.
    VkQueue queue() const { return m_queue; }
    // The host's own lock around its submissions to queue(), as an engine keeps one for its
    // threads; the library cannot see it. submit_and_wait() holds it while it submits.
    std::mutex& queue_mutex() { return m_queue_mutex; }
    // Whether this host's instance has the queue-lock layer (HostOptions::queue_lock_layer_dir).
    bool queue_lock() const { return m_queue_lock; }
    uint32_t queue_family_index() const { return 0; }
    // The apiVersion the instance was created with (VK_MAKE_API_VERSION form, at least 1.1).
    uint32_t api_version() const { return m_api_version; }
    // The physical device's name, for example "llvmpipe (LLVM 19.1.7, 256 bits)".
    const std::string& device_name() const { return m_device_name; }

    // Warnings and errors reported so far by the validation layer and the loader, one string
    // each, as "error: <message id>: <text>" or "warning: ...". Thread-safe; returns a copy.
    std::vector<std::string> validation_messages() const;
    void clear_validation_messages();

    // Reads mip 0, layer 0 of a VK_FORMAT_R8G8B8A8_UNORM 2D image of width x height pixels that
    // is in `layout` (where the library leaves its texture: COLOR_ATTACHMENT_OPTIMAL unless the
    // view was told otherwise). The image goes to TRANSFER_SRC_OPTIMAL for the copy and back to
    // `layout` afterwards, because the producer tracks its layout itself. The image needs
    // VK_IMAGE_USAGE_TRANSFER_SRC_BIT. Waits until the copy has finished.
    //
    // The result holds the bytes exactly as stored: RGBA8 with premultiplied alpha, as Qt
    // renders. Throws std::runtime_error on failure.
    RgbaImage read_back_rgba(uint64_t vk_image, int width, int height,
                             VkImageLayout layout = VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL);

    // Records commands with `record` into the host's command buffer, submits it on queue 0 and
    // waits for it to finish. For tests that need to prepare or inspect images themselves.
    void submit_and_wait(const std::function<void(VkCommandBuffer)>& record);

    // The index of a memory type allowed by `type_bits` (VkMemoryRequirements::memoryTypeBits)
    // that has all of `required`. Throws std::runtime_error when there is none.
    uint32_t memory_type_index(uint32_t type_bits, VkMemoryPropertyFlags required) const;
    // Like memory_type_index(), but tries `required | preferred` first.
    uint32_t memory_type_index(uint32_t type_bits, VkMemoryPropertyFlags required,
                               VkMemoryPropertyFlags preferred) const;

private:
    static VKAPI_ATTR VkBool32 VKAPI_CALL on_debug_message(
        VkDebugUtilsMessageSeverityFlagBitsEXT severity, VkDebugUtilsMessageTypeFlagsEXT types,
        const VkDebugUtilsMessengerCallbackDataEXT* data, void* user_data);

    void create_instance(const HostOptions& options);
    void pick_physical_device(uint32_t index);
    void create_device();
    void destroy();

    VkInstance m_instance = VK_NULL_HANDLE;
    VkDebugUtilsMessengerEXT m_messenger = VK_NULL_HANDLE;
    VkPhysicalDevice m_physical_device = VK_NULL_HANDLE;
    VkDevice m_device = VK_NULL_HANDLE;
    VkQueue m_queue = VK_NULL_HANDLE;
    VkCommandPool m_command_pool = VK_NULL_HANDLE;
    VkCommandBuffer m_command_buffer = VK_NULL_HANDLE;
    VkFence m_fence = VK_NULL_HANDLE;
    uint32_t m_api_version = 0;
    bool m_queue_lock = false;
    std::string m_device_name;
    VkPhysicalDeviceMemoryProperties m_memory_properties{};

    // Guards the command buffer, the fence and the host's own queue submissions.
    std::mutex m_submit_mutex;
    // Held around every submission of the host's own threads (an engine's private queue lock).
    std::mutex m_queue_mutex;

    mutable std::mutex m_messages_mutex;
    std::vector<std::string> m_messages;
};

}  // namespace standin
