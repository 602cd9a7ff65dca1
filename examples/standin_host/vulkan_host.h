#pragma once

// The stand-in host with read-back into a QImage, for the tests and benchmarks that look at
// pixels with Qt. Everything else is VulkanHostBase (vulkan_host_base.h), which needs no Qt.

#include "standin_host/vulkan_host_base.h"

#include <QImage>
#include <QString>

namespace standin {

class VulkanHost : public VulkanHostBase {
public:
    using VulkanHostBase::VulkanHostBase;

    // read_back_rgba() as a QImage::Format_RGBA8888_Premultiplied: the bytes exactly as stored,
    // and Qt renders with premultiplied alpha. Throws std::runtime_error on failure.
    QImage read_back(uint64_t vk_image, int width, int height,
                     VkImageLayout layout = VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL);
};

// Saves an image as PNG; returns false (and prints why) on failure.
bool save_png(const QImage& image, const QString& path);

}  // namespace standin
