#include "render_thread.h"

#include <memory>
#include <utility>

namespace sorvane_godot {

namespace {

// RenderingDevice enumerations (extension_api.json).
constexpr std::int64_t kDriverResourceLogicalDevice = 0;
constexpr std::int64_t kDriverResourcePhysicalDevice = 1;
constexpr std::int64_t kDriverResourceTopmostObject = 2;
constexpr std::int64_t kTextureType2D = 1;
constexpr std::int64_t kDataFormatR8G8B8A8Unorm = 36;
constexpr std::int64_t kDataFormatR8G8B8A8Srgb = 42;
constexpr std::int64_t kTextureSamples1 = 0;
constexpr std::int64_t kUsageSamplingBit = 1;
constexpr std::int64_t kUsageColorAttachmentBit = 2;

void run_work(void* userdata, const GDExtensionConstVariantPtr*, GDExtensionInt, GDExtensionVariantPtr,
              GDExtensionCallError* error)
{
    (*static_cast<std::function<void()>*>(userdata))();
    error->error = GDEXTENSION_CALL_OK;
}

void free_work(void* userdata)
{
    delete static_cast<std::function<void()>*>(userdata);
}

std::uint64_t driver_resource(const Variant& device, std::int64_t which)
{
    return static_cast<std::uint64_t>(device.call("get_driver_resource", {Variant(which), Variant::from_rid(0), Variant(0)}).to_int());
}

}  // namespace

void on_render_thread(std::function<void()> work)
{
    GDExtensionCallableCustomInfo2 info{};
    info.callable_userdata = new std::function<void()>(std::move(work));
    info.token = library;
    info.call_func = run_work;
    info.free_func = free_work;
    alignas(8) std::uint8_t callable[16];
    gd.callable_custom_create2(callable, &info);
    const Variant held = Variant::from_type(GDEXTENSION_VARIANT_TYPE_CALLABLE, callable);
    gd.variant_get_ptr_destructor(GDEXTENSION_VARIANT_TYPE_CALLABLE)(callable);
    singleton("RenderingServer").call("call_on_render_thread", {held});
}

Variant rendering_device()
{
    return singleton("RenderingServer").call("get_rendering_device");
}

VulkanHandles vulkan_handles()
{
    const Variant device = rendering_device();
    VulkanHandles handles;
    if (device.to_object() == nullptr)
        return handles;
    handles.instance = reinterpret_cast<VkInstance>(driver_resource(device, kDriverResourceTopmostObject));
    handles.physical_device = reinterpret_cast<VkPhysicalDevice>(driver_resource(device, kDriverResourcePhysicalDevice));
    handles.device = reinterpret_cast<VkDevice>(driver_resource(device, kDriverResourceLogicalDevice));
    return handles;
}

std::uint64_t import_texture(unsigned long image, unsigned width, unsigned height, TextureFormat format)
{
    const bool srgb = format == TextureFormat::Srgb;
    const Variant rid = rendering_device().call(
        "texture_create_from_extension",
        {Variant(kTextureType2D), Variant(srgb ? kDataFormatR8G8B8A8Srgb : kDataFormatR8G8B8A8Unorm),
         Variant(kTextureSamples1), Variant(srgb ? kUsageSamplingBit : kUsageSamplingBit | kUsageColorAttachmentBit), Variant(static_cast<std::int64_t>(image)),
         Variant(static_cast<std::int64_t>(width)), Variant(static_cast<std::int64_t>(height)), Variant(1), Variant(1),
         Variant(1)});
    return rid.to_rid();
}

void free_texture(std::uint64_t rid)
{
    if (rid)
        rendering_device().call("free_rid", {Variant::from_rid(rid)});
}

void ViewImages::import(unsigned width, unsigned height, TextureFormat format)
{
    std::uint64_t* rids = format == TextureFormat::Srgb ? rd_textures_3d : rd_textures;
    bool complete = count > 0;
    for (int i = 0; i < count; ++i) {
        if (!rids[i])
            rids[i] = import_texture(images[i], width, height, format);
        complete = complete && rids[i];
    }
    if (complete)
        return;
    for (std::uint64_t* rid = rids; rid != rids + 2; ++rid)
        free_texture(std::exchange(*rid, 0));
}

void ViewImages::free() const
{
    for (int i = 0; i < 2; ++i) {
        free_texture(rd_textures[i]);
        free_texture(rd_textures_3d[i]);
    }
}

void wait_device_idle()
{
    const VulkanHandles handles = vulkan_handles();
    if (handles.device)
        vkDeviceWaitIdle(handles.device);
}

}  // namespace sorvane_godot
