#pragma once

// Hands the stand-in host's Vulkan objects to a view, exactly as an engine does: first the
// instance, then the physical device and the device. Header-only, so that the standin_host
// library itself does not depend on libsorvane; include it only where the library is linked.

#include <sorvane/views.h>

#include "standin_host/vulkan_host_base.h"

namespace standin {

inline void hand_over(VulkanHostBase& host, const sorvane::SView& view)
{
    // The library's setters take references to the handle types, so pass local copies.
    VkInstance instance = host.instance();
    view.set_view_monitor(instance);

    VkPhysicalDevice physical_device = host.physical_device();
    VkDevice device = host.device();
    view.set_statistics_monitor(physical_device, device);
}

}  // namespace standin
