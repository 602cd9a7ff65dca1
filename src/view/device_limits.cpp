#include "view/device_limits.h"

#include <QVulkanFunctions>
#include <QVulkanInstance>
#include <rhi/qrhi.h>
#include <rhi/qrhi_platform.h>

#include <algorithm>
#include <cstdint>

namespace sorvane {

namespace {

// RGBA8 colour with a full mip chain (a third more than the base level) and a 32-bit
// depth-stencil buffer.
std::uint64_t texture_bytes(QSize size)
{
    const std::uint64_t pixels = std::uint64_t(size.width()) * std::uint64_t(size.height());
    return pixels * 4 * 4 / 3 + pixels * 4;
}

// The largest device-local heap of the device, or 0 when it cannot be read.
std::uint64_t largest_device_heap(QRhi* rhi)
{
    const auto* handles = static_cast<const QRhiVulkanNativeHandles*>(rhi->nativeHandles());
    if (!handles || !handles->inst || !handles->physDev)
        return 0;
    VkPhysicalDeviceMemoryProperties memory{};
    handles->inst->functions()->vkGetPhysicalDeviceMemoryProperties(handles->physDev, &memory);
    std::uint64_t largest = 0;
    for (std::uint32_t i = 0; i < memory.memoryHeapCount; ++i)
        if (memory.memoryHeaps[i].flags & VK_MEMORY_HEAP_DEVICE_LOCAL_BIT)
            largest = std::max<std::uint64_t>(largest, memory.memoryHeaps[i].size);
    return largest;
}

}  // namespace

QString check_texture_fits_device(QRhi* rhi, QSize size)
{
    const int max_side = rhi->resourceLimit(QRhi::TextureSizeMax);
    if (max_side > 0 && (size.width() > max_side || size.height() > max_side))
        return QStringLiteral("the view's size %1x%2 exceeds the device's largest 2D image "
                              "(maxImageDimension2D %3): choose a smaller resolution")
            .arg(size.width())
            .arg(size.height())
            .arg(max_side);
    const std::uint64_t heap = largest_device_heap(rhi);
    const std::uint64_t needed = texture_bytes(size);
    if (heap > 0 && needed > heap)
        return QStringLiteral("the view's size %1x%2 needs %3 MiB of device memory, more than the "
                              "device's largest device-local heap (%4 MiB): choose a smaller "
                              "resolution")
            .arg(size.width())
            .arg(size.height())
            .arg(needed >> 20)
            .arg(heap >> 20);
    return {};
}

}  // namespace sorvane
