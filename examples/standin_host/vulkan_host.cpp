#include "standin_host/vulkan_host.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace standin {

QImage VulkanHost::read_back(uint64_t vk_image, int width, int height, VkImageLayout layout)
{
    const RgbaImage pixels = read_back_rgba(vk_image, width, height, layout);
    QImage result(width, height, QImage::Format_RGBA8888_Premultiplied);
    if (result.isNull())
        throw std::runtime_error("standin host: out of memory for a " + std::to_string(width) + "x" +
                                 std::to_string(height) + " QImage");
    const size_t row_bytes = size_t(width) * 4;
    // QImage rows may be padded, so copy row by row.
    for (int y = 0; y < height; ++y)
        std::memcpy(result.scanLine(y), pixels.bytes.data() + size_t(y) * row_bytes, row_bytes);
    return result;
}

bool save_png(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "standin host: could not save %s\n", qPrintable(path));
    return false;
}

}  // namespace standin
