#include "standin_host/vulkan_host_base.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace standin {

namespace {

constexpr const char* kValidationLayer = "VK_LAYER_KHRONOS_validation";
constexpr const char* kQueueLockLayer = "VK_LAYER_SORVANE_queue_lock";

// Prepends `value` to the ':'-separated list in environment variable `name` for as long as it
// lives, then puts the old value back.
class EnvironmentPrepend {
public:
    EnvironmentPrepend(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        const std::string joined = m_old && !m_old->empty() ? value + ":" + *m_old : value;
        setenv(name, joined.c_str(), 1);
    }
    ~EnvironmentPrepend()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }
    EnvironmentPrepend(const EnvironmentPrepend&) = delete;
    EnvironmentPrepend& operator=(const EnvironmentPrepend&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

const char* result_name(VkResult result)
{
    switch (result) {
    case VK_SUCCESS: return "VK_SUCCESS";
    case VK_NOT_READY: return "VK_NOT_READY";
    case VK_TIMEOUT: return "VK_TIMEOUT";
    case VK_INCOMPLETE: return "VK_INCOMPLETE";
    case VK_ERROR_OUT_OF_HOST_MEMORY: return "VK_ERROR_OUT_OF_HOST_MEMORY";
    case VK_ERROR_OUT_OF_DEVICE_MEMORY: return "VK_ERROR_OUT_OF_DEVICE_MEMORY";
    case VK_ERROR_INITIALIZATION_FAILED: return "VK_ERROR_INITIALIZATION_FAILED";
    case VK_ERROR_DEVICE_LOST: return "VK_ERROR_DEVICE_LOST";
    case VK_ERROR_MEMORY_MAP_FAILED: return "VK_ERROR_MEMORY_MAP_FAILED";
    case VK_ERROR_LAYER_NOT_PRESENT: return "VK_ERROR_LAYER_NOT_PRESENT";
    case VK_ERROR_EXTENSION_NOT_PRESENT: return "VK_ERROR_EXTENSION_NOT_PRESENT";
    case VK_ERROR_FEATURE_NOT_PRESENT: return "VK_ERROR_FEATURE_NOT_PRESENT";
    case VK_ERROR_INCOMPATIBLE_DRIVER: return "VK_ERROR_INCOMPATIBLE_DRIVER";
    case VK_ERROR_TOO_MANY_OBJECTS: return "VK_ERROR_TOO_MANY_OBJECTS";
    case VK_ERROR_FORMAT_NOT_SUPPORTED: return "VK_ERROR_FORMAT_NOT_SUPPORTED";
    default: return "VkResult";
    }
}

// Throws std::runtime_error naming the call and its result unless `result` is VK_SUCCESS.
void check(VkResult result, const char* call)
{
    if (result != VK_SUCCESS) {
        throw std::runtime_error(std::string("standin host: ") + call + " failed: " +
                                 result_name(result) + " (" + std::to_string(result) + ")");
    }
}

std::string version_string(uint32_t version)
{
    return std::to_string(VK_API_VERSION_MAJOR(version)) + "." +
           std::to_string(VK_API_VERSION_MINOR(version)) + "." +
           std::to_string(VK_API_VERSION_PATCH(version));
}

bool has_layer(const char* name)
{
    uint32_t count = 0;
    vkEnumerateInstanceLayerProperties(&count, nullptr);
    std::vector<VkLayerProperties> layers(count);
    vkEnumerateInstanceLayerProperties(&count, layers.data());
    return std::any_of(layers.begin(), layers.end(),
                       [&](const VkLayerProperties& l) { return std::strcmp(l.layerName, name) == 0; });
}

// Whether `extension` is offered by the loader and its implicit layers (`layer` null) or by
// the explicit layer `layer`.
bool has_instance_extension(const char* layer, const char* extension)
{
    uint32_t count = 0;
    vkEnumerateInstanceExtensionProperties(layer, &count, nullptr);
    std::vector<VkExtensionProperties> extensions(count);
    vkEnumerateInstanceExtensionProperties(layer, &count, extensions.data());
    return std::any_of(extensions.begin(), extensions.end(), [&](const VkExtensionProperties& e) {
        return std::strcmp(e.extensionName, extension) == 0;
    });
}

// VkImage is a pointer on 64-bit platforms and a uint64_t on 32-bit ones; both are 64 bits.
VkImage to_image(uint64_t handle)
{
    VkImage image;
    static_assert(sizeof(image) == sizeof(handle));
    std::memcpy(&image, &handle, sizeof(image));
    return image;
}

// A buffer with its own memory, freed when it goes out of scope.
struct Buffer {
    VkDevice device = VK_NULL_HANDLE;
    VkBuffer buffer = VK_NULL_HANDLE;
    VkDeviceMemory memory = VK_NULL_HANDLE;

    explicit Buffer(VkDevice d) : device(d) {}
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ~Buffer()
    {
        vkDestroyBuffer(device, buffer, nullptr);
        vkFreeMemory(device, memory, nullptr);
    }
};

}  // namespace

// --- Construction and destruction -----------------------------------------------------------

VulkanHostBase::VulkanHostBase(const HostOptions& options)
{
    try {
        create_instance(options);
        pick_physical_device(options.physical_device_index);
        create_device();
    } catch (...) {
        destroy();  // the destructor does not run for a half-built object
        throw;
    }
}

VulkanHostBase::~VulkanHostBase()
{
    destroy();
}

void VulkanHostBase::destroy()
{
    // Everything may be null here when construction failed halfway; vkDestroy* accept null.
    if (m_device) {
        vkDeviceWaitIdle(m_device);
        vkDestroyFence(m_device, m_fence, nullptr);
        // Destroying the pool frees its command buffers.
        vkDestroyCommandPool(m_device, m_command_pool, nullptr);
        vkDestroyDevice(m_device, nullptr);
    }
    if (m_instance) {
        if (m_messenger) {
            auto destroy_messenger = reinterpret_cast<PFN_vkDestroyDebugUtilsMessengerEXT>(
                vkGetInstanceProcAddr(m_instance, "vkDestroyDebugUtilsMessengerEXT"));
            if (destroy_messenger)
                destroy_messenger(m_instance, m_messenger, nullptr);
        }
        vkDestroyInstance(m_instance, nullptr);
    }
    m_fence = VK_NULL_HANDLE;
    m_command_buffer = VK_NULL_HANDLE;
    m_command_pool = VK_NULL_HANDLE;
    m_queue = VK_NULL_HANDLE;
    m_device = VK_NULL_HANDLE;
    m_physical_device = VK_NULL_HANDLE;
    m_messenger = VK_NULL_HANDLE;
    m_instance = VK_NULL_HANDLE;
}

void VulkanHostBase::create_instance(const HostOptions& options)
{
    const bool validation = options.validation || options.synchronization_validation;

    // Ask for the newest API version the loader offers. vkEnumerateInstanceVersion exists
    // from loader 1.1 on; a 1.0 loader is too old for the library.
    uint32_t loader_version = VK_API_VERSION_1_0;
    auto enumerate_version = reinterpret_cast<PFN_vkEnumerateInstanceVersion>(
        vkGetInstanceProcAddr(VK_NULL_HANDLE, "vkEnumerateInstanceVersion"));
    if (enumerate_version)
        enumerate_version(&loader_version);
    if (loader_version < VK_API_VERSION_1_1) {
        throw std::runtime_error("standin host: the Vulkan loader offers only version " +
                                 version_string(loader_version) + "; 1.1 or newer is needed");
    }
    m_api_version = VK_MAKE_API_VERSION(0, VK_API_VERSION_MAJOR(loader_version),
                                        VK_API_VERSION_MINOR(loader_version), 0);

    // The queue-lock layer comes through the environment, as an engine extension sets it up
    // before the engine creates its instance.
    std::optional<EnvironmentPrepend> layer_path, instance_layers;
    if (!options.queue_lock_layer_dir.empty()) {
        layer_path.emplace("VK_ADD_LAYER_PATH", options.queue_lock_layer_dir);
        instance_layers.emplace("VK_INSTANCE_LAYERS", kQueueLockLayer);
        if (!has_layer(kQueueLockLayer)) {
            throw std::runtime_error(std::string("standin host: ") + kQueueLockLayer +
                                     " was requested but the loader finds no manifest of it in " +
                                     options.queue_lock_layer_dir);
        }
        m_queue_lock = true;
    }

    std::vector<const char*> layers;
    std::vector<const char*> extensions;
    for (const std::string& e : options.instance_extensions)
        extensions.push_back(e.c_str());

    if (validation) {
        if (!has_layer(kValidationLayer)) {
            throw std::runtime_error(std::string("standin host: validation was requested but ") +
                                     kValidationLayer +
                                     " is not installed (Debian: vulkan-validationlayers)");
        }
        layers.push_back(kValidationLayer);
        if (!has_instance_extension(nullptr, VK_EXT_DEBUG_UTILS_EXTENSION_NAME) &&
            !has_instance_extension(kValidationLayer, VK_EXT_DEBUG_UTILS_EXTENSION_NAME)) {
            throw std::runtime_error("standin host: validation needs " +
                                     std::string(VK_EXT_DEBUG_UTILS_EXTENSION_NAME) +
                                     ", which neither the loader nor the layer offers");
        }
        extensions.push_back(VK_EXT_DEBUG_UTILS_EXTENSION_NAME);
    }

    VkApplicationInfo app{};
    app.sType = VK_STRUCTURE_TYPE_APPLICATION_INFO;
    app.pApplicationName = "standin host";
    app.applicationVersion = 1;
    app.pEngineName = "standin engine";
    app.engineVersion = 1;
    app.apiVersion = m_api_version;

    // The same messenger description serves twice: chained into VkInstanceCreateInfo it
    // reports problems of vkCreateInstance/vkDestroyInstance themselves, and it creates the
    // messenger that covers everything in between.
    VkDebugUtilsMessengerCreateInfoEXT messenger_info{};
    messenger_info.sType = VK_STRUCTURE_TYPE_DEBUG_UTILS_MESSENGER_CREATE_INFO_EXT;
    messenger_info.messageSeverity = VK_DEBUG_UTILS_MESSAGE_SEVERITY_WARNING_BIT_EXT |
                                     VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT;
    messenger_info.messageType = VK_DEBUG_UTILS_MESSAGE_TYPE_GENERAL_BIT_EXT |
                                 VK_DEBUG_UTILS_MESSAGE_TYPE_VALIDATION_BIT_EXT |
                                 VK_DEBUG_UTILS_MESSAGE_TYPE_PERFORMANCE_BIT_EXT;
    messenger_info.pfnUserCallback = &VulkanHostBase::on_debug_message;
    messenger_info.pUserData = this;

    // Synchronization validation is switched on through VK_EXT_validation_features, an
    // extension the validation layer itself provides.
    const VkValidationFeatureEnableEXT sync_feature =
        VK_VALIDATION_FEATURE_ENABLE_SYNCHRONIZATION_VALIDATION_EXT;
    VkValidationFeaturesEXT features{};
    features.sType = VK_STRUCTURE_TYPE_VALIDATION_FEATURES_EXT;
    features.enabledValidationFeatureCount = 1;
    features.pEnabledValidationFeatures = &sync_feature;
    if (options.synchronization_validation) {
        if (!has_instance_extension(kValidationLayer, VK_EXT_VALIDATION_FEATURES_EXTENSION_NAME)) {
            throw std::runtime_error("standin host: synchronization validation needs " +
                                     std::string(VK_EXT_VALIDATION_FEATURES_EXTENSION_NAME) +
                                     ", which the installed validation layer lacks");
        }
        extensions.push_back(VK_EXT_VALIDATION_FEATURES_EXTENSION_NAME);
        messenger_info.pNext = &features;
    }

    VkInstanceCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_INSTANCE_CREATE_INFO;
    info.pNext = validation ? &messenger_info : nullptr;
    info.pApplicationInfo = &app;
    info.enabledLayerCount = static_cast<uint32_t>(layers.size());
    info.ppEnabledLayerNames = layers.data();
    info.enabledExtensionCount = static_cast<uint32_t>(extensions.size());
    info.ppEnabledExtensionNames = extensions.data();
    check(vkCreateInstance(&info, nullptr, &m_instance), "vkCreateInstance");
    if (m_queue_lock) {
        // The loader reports every layer it adds from the environment: here the host's own
        // choice, not a problem.
        std::lock_guard lock(m_messages_mutex);
        std::erase_if(m_messages, [](const std::string& m) {
            return m.find("VK_INSTANCE_LAYERS") != std::string::npos && m.find(kQueueLockLayer) != std::string::npos;
        });
    }

    if (validation) {
        auto create_messenger = reinterpret_cast<PFN_vkCreateDebugUtilsMessengerEXT>(
            vkGetInstanceProcAddr(m_instance, "vkCreateDebugUtilsMessengerEXT"));
        if (!create_messenger)
            throw std::runtime_error("standin host: vkCreateDebugUtilsMessengerEXT is missing");
        messenger_info.pNext = nullptr;
        check(create_messenger(m_instance, &messenger_info, nullptr, &m_messenger),
              "vkCreateDebugUtilsMessengerEXT");
    }
}

void VulkanHostBase::pick_physical_device(uint32_t index)
{
    uint32_t count = 0;
    check(vkEnumeratePhysicalDevices(m_instance, &count, nullptr), "vkEnumeratePhysicalDevices");
    if (count == 0) {
        throw std::runtime_error(
            "standin host: no Vulkan physical device found (is a driver such as lavapipe, "
            "Debian package mesa-vulkan-drivers, installed?)");
    }
    std::vector<VkPhysicalDevice> devices(count);
    VkResult result = vkEnumeratePhysicalDevices(m_instance, &count, devices.data());
    if (result != VK_INCOMPLETE)
        check(result, "vkEnumeratePhysicalDevices");
    if (index >= count) {
        throw std::runtime_error("standin host: physical device " + std::to_string(index) +
                                 " requested, but only " + std::to_string(count) + " found");
    }
    m_physical_device = devices[index];

    VkPhysicalDeviceProperties properties{};
    vkGetPhysicalDeviceProperties(m_physical_device, &properties);
    m_device_name = properties.deviceName;
    vkGetPhysicalDeviceMemoryProperties(m_physical_device, &m_memory_properties);

    std::fprintf(stderr, "standin host: Vulkan %s instance, device \"%s\" (Vulkan %s)\n",
                 version_string(m_api_version).c_str(), m_device_name.c_str(),
                 version_string(properties.apiVersion).c_str());
}

void VulkanHostBase::create_device()
{
    // The library renders on queue family 0, queue 0, so that family must do graphics.
    uint32_t family_count = 0;
    vkGetPhysicalDeviceQueueFamilyProperties(m_physical_device, &family_count, nullptr);
    std::vector<VkQueueFamilyProperties> families(family_count);
    vkGetPhysicalDeviceQueueFamilyProperties(m_physical_device, &family_count, families.data());
    if (families.empty() || !(families[0].queueFlags & VK_QUEUE_GRAPHICS_BIT)) {
        throw std::runtime_error("standin host: queue family 0 of \"" + m_device_name +
                                 "\" does not support graphics");
    }

    // A bare device: one queue, no extensions, no features. The library must cope with what a
    // host gives it, so the stand-in gives it the least.
    const float priority = 1.0f;
    VkDeviceQueueCreateInfo queue_info{};
    queue_info.sType = VK_STRUCTURE_TYPE_DEVICE_QUEUE_CREATE_INFO;
    queue_info.queueFamilyIndex = 0;
    queue_info.queueCount = 1;
    queue_info.pQueuePriorities = &priority;

    VkDeviceCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_DEVICE_CREATE_INFO;
    info.queueCreateInfoCount = 1;
    info.pQueueCreateInfos = &queue_info;
    check(vkCreateDevice(m_physical_device, &info, nullptr, &m_device), "vkCreateDevice");
    vkGetDeviceQueue(m_device, 0, 0, &m_queue);

    VkCommandPoolCreateInfo pool_info{};
    pool_info.sType = VK_STRUCTURE_TYPE_COMMAND_POOL_CREATE_INFO;
    pool_info.flags = VK_COMMAND_POOL_CREATE_RESET_COMMAND_BUFFER_BIT;
    pool_info.queueFamilyIndex = 0;
    check(vkCreateCommandPool(m_device, &pool_info, nullptr, &m_command_pool), "vkCreateCommandPool");

    VkCommandBufferAllocateInfo alloc_info{};
    alloc_info.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO;
    alloc_info.commandPool = m_command_pool;
    alloc_info.level = VK_COMMAND_BUFFER_LEVEL_PRIMARY;
    alloc_info.commandBufferCount = 1;
    check(vkAllocateCommandBuffers(m_device, &alloc_info, &m_command_buffer),
          "vkAllocateCommandBuffers");

    VkFenceCreateInfo fence_info{};
    fence_info.sType = VK_STRUCTURE_TYPE_FENCE_CREATE_INFO;
    check(vkCreateFence(m_device, &fence_info, nullptr, &m_fence), "vkCreateFence");
}

// --- Validation messages --------------------------------------------------------------------

VKAPI_ATTR VkBool32 VKAPI_CALL VulkanHostBase::on_debug_message(
    VkDebugUtilsMessageSeverityFlagBitsEXT severity, VkDebugUtilsMessageTypeFlagsEXT /*types*/,
    const VkDebugUtilsMessengerCallbackDataEXT* data, void* user_data)
{
    // May run on any thread that calls into Vulkan, including the library's Qt thread.
    auto* host = static_cast<VulkanHostBase*>(user_data);
    std::string text = (severity & VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT) ? "error: " : "warning: ";
    if (data->pMessageIdName) {
        text += data->pMessageIdName;
        text += ": ";
    }
    if (data->pMessage)
        text += data->pMessage;
    std::fprintf(stderr, "standin host: Vulkan %s\n", text.c_str());
    {
        std::lock_guard lock(host->m_messages_mutex);
        host->m_messages.push_back(std::move(text));
    }
    return VK_FALSE;  // never abort the call that triggered the message
}

std::vector<std::string> VulkanHostBase::validation_messages() const
{
    std::lock_guard lock(m_messages_mutex);
    return m_messages;
}

void VulkanHostBase::clear_validation_messages()
{
    std::lock_guard lock(m_messages_mutex);
    m_messages.clear();
}

// --- Commands and memory --------------------------------------------------------------------

uint32_t VulkanHostBase::memory_type_index(uint32_t type_bits, VkMemoryPropertyFlags required) const
{
    for (uint32_t i = 0; i < m_memory_properties.memoryTypeCount; ++i) {
        if ((type_bits & (1u << i)) &&
            (m_memory_properties.memoryTypes[i].propertyFlags & required) == required) {
            return i;
        }
    }
    throw std::runtime_error("standin host: no memory type with property flags " +
                             std::to_string(required) + " among the allowed type bits " +
                             std::to_string(type_bits));
}

uint32_t VulkanHostBase::memory_type_index(uint32_t type_bits, VkMemoryPropertyFlags required,
                                       VkMemoryPropertyFlags preferred) const
{
    try {
        return memory_type_index(type_bits, required | preferred);
    } catch (const std::runtime_error&) {
        return memory_type_index(type_bits, required);
    }
}

void VulkanHostBase::submit_and_wait(const std::function<void(VkCommandBuffer)>& record)
{
    std::lock_guard lock(m_submit_mutex);

    // Resetting also recovers a command buffer left in the recording state by a `record`
    // that threw.
    check(vkResetCommandBuffer(m_command_buffer, 0), "vkResetCommandBuffer");
    VkCommandBufferBeginInfo begin{};
    begin.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO;
    begin.flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT;
    check(vkBeginCommandBuffer(m_command_buffer, &begin), "vkBeginCommandBuffer");
    record(m_command_buffer);
    check(vkEndCommandBuffer(m_command_buffer), "vkEndCommandBuffer");

    VkSubmitInfo submit{};
    submit.sType = VK_STRUCTURE_TYPE_SUBMIT_INFO;
    submit.commandBufferCount = 1;
    submit.pCommandBuffers = &m_command_buffer;
    {
        std::lock_guard queue_lock(m_queue_mutex);
        check(vkQueueSubmit(m_queue, 1, &submit, m_fence), "vkQueueSubmit");
    }
    check(vkWaitForFences(m_device, 1, &m_fence, VK_TRUE, UINT64_MAX), "vkWaitForFences");
    check(vkResetFences(m_device, 1, &m_fence), "vkResetFences");
}

// --- Read-back ------------------------------------------------------------------------------

RgbaImage VulkanHostBase::read_back_rgba(uint64_t vk_image, int width, int height, VkImageLayout layout)
{
    if (vk_image == 0)
        throw std::runtime_error("standin host: read_back of a null image");
    if (width <= 0 || height <= 0) {
        throw std::runtime_error("standin host: read_back of an image of " + std::to_string(width) +
                                 "x" + std::to_string(height) + " pixels");
    }
    const VkImage image = to_image(vk_image);
    const VkDeviceSize row_bytes = VkDeviceSize(width) * 4;
    const VkDeviceSize size = row_bytes * VkDeviceSize(height);

    // A host-visible buffer to copy into. Host-coherent memory needs no explicit invalidation;
    // host-cached memory, where there is one, makes reading it on the CPU much faster.
    Buffer staging(m_device);
    VkBufferCreateInfo buffer_info{};
    buffer_info.sType = VK_STRUCTURE_TYPE_BUFFER_CREATE_INFO;
    buffer_info.size = size;
    buffer_info.usage = VK_BUFFER_USAGE_TRANSFER_DST_BIT;
    buffer_info.sharingMode = VK_SHARING_MODE_EXCLUSIVE;
    check(vkCreateBuffer(m_device, &buffer_info, nullptr, &staging.buffer), "vkCreateBuffer");
    VkMemoryRequirements requirements{};
    vkGetBufferMemoryRequirements(m_device, staging.buffer, &requirements);
    VkMemoryAllocateInfo alloc_info{};
    alloc_info.sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO;
    alloc_info.allocationSize = requirements.size;
    alloc_info.memoryTypeIndex = memory_type_index(
        requirements.memoryTypeBits,
        VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT | VK_MEMORY_PROPERTY_HOST_COHERENT_BIT,
        VK_MEMORY_PROPERTY_HOST_CACHED_BIT);
    check(vkAllocateMemory(m_device, &alloc_info, nullptr, &staging.memory), "vkAllocateMemory");
    check(vkBindBufferMemory(m_device, staging.buffer, staging.memory, 0), "vkBindBufferMemory");

    submit_and_wait([&](VkCommandBuffer cb) {
        // Only mip 0 of layer 0 changes layout; further mips keep theirs.
        VkImageMemoryBarrier to_transfer{};
        to_transfer.sType = VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER;
        // The host does not know what the producer did last (drew into it, or blitted its mip
        // chain), so it waits for every earlier write on the queue. Cost is no concern here.
        to_transfer.srcAccessMask = VK_ACCESS_MEMORY_WRITE_BIT;
        to_transfer.dstAccessMask = VK_ACCESS_TRANSFER_READ_BIT;
        to_transfer.oldLayout = layout;
        to_transfer.newLayout = VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL;
        to_transfer.srcQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
        to_transfer.dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
        to_transfer.image = image;
        to_transfer.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, 1};
        vkCmdPipelineBarrier(cb, VK_PIPELINE_STAGE_ALL_COMMANDS_BIT, VK_PIPELINE_STAGE_TRANSFER_BIT,
                             0, 0, nullptr, 0, nullptr, 1, &to_transfer);

        // Rows tightly packed (bufferRowLength 0 means "as wide as the image").
        VkBufferImageCopy region{};
        region.bufferOffset = 0;
        region.bufferRowLength = 0;
        region.bufferImageHeight = 0;
        region.imageSubresource = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 0, 1};
        region.imageOffset = {0, 0, 0};
        region.imageExtent = {uint32_t(width), uint32_t(height), 1};
        vkCmdCopyImageToBuffer(cb, image, VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL, staging.buffer, 1,
                               &region);

        // Back to where the producer expects it. The copy only read the image, so there is
        // nothing to make available (srcAccessMask 0); the transition just has to wait for the
        // copy. The producer's next use is unknown, so every later command waits for it.
        VkImageMemoryBarrier to_attachment = to_transfer;
        to_attachment.srcAccessMask = 0;
        to_attachment.dstAccessMask = VK_ACCESS_MEMORY_READ_BIT | VK_ACCESS_MEMORY_WRITE_BIT;
        to_attachment.oldLayout = VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL;
        to_attachment.newLayout = layout;

        // Makes the copied bytes visible to the CPU; waiting on the fence alone does not.
        VkBufferMemoryBarrier to_host{};
        to_host.sType = VK_STRUCTURE_TYPE_BUFFER_MEMORY_BARRIER;
        to_host.srcAccessMask = VK_ACCESS_TRANSFER_WRITE_BIT;
        to_host.dstAccessMask = VK_ACCESS_HOST_READ_BIT;
        to_host.srcQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
        to_host.dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
        to_host.buffer = staging.buffer;
        to_host.offset = 0;
        to_host.size = VK_WHOLE_SIZE;

        vkCmdPipelineBarrier(cb, VK_PIPELINE_STAGE_TRANSFER_BIT,
                             VK_PIPELINE_STAGE_ALL_COMMANDS_BIT | VK_PIPELINE_STAGE_HOST_BIT, 0, 0,
                             nullptr, 1, &to_host, 1, &to_attachment);
    });

    RgbaImage result;
    result.width = width;
    result.height = height;
    result.bytes.resize(size);
    void* mapped = nullptr;
    check(vkMapMemory(m_device, staging.memory, 0, VK_WHOLE_SIZE, 0, &mapped), "vkMapMemory");
    std::memcpy(result.bytes.data(), mapped, size);
    vkUnmapMemory(m_device, staging.memory);
    return result;
}

}  // namespace standin
