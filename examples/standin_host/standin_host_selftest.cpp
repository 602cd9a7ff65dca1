// Self-tests of the stand-in host: it must create a working bare device, read back exactly the
// bytes of an RGBA8 image, and leave the image in the layout the producer expects, all without
// a single validation message.

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include <QDir>
#include <QImage>
#include <QRect>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "standin_host/hand_over.h"  // compiled here so that a change in views.h that breaks it shows up
#include "standin_host/vulkan_host.h"

namespace {

using Rgba = std::array<uint8_t, 4>;

// An odd width makes row-pitch mistakes visible.
constexpr int kWidth = 301;
constexpr int kHeight = 203;

// An RGBA8 image with device-local memory, usable as a render target like the library's
// texture. Starts in VK_IMAGE_LAYOUT_UNDEFINED.
class TestImage {
public:
    TestImage(standin::VulkanHost& host, int width, int height, uint32_t mip_levels = 1)
        : m_device(host.device()), m_mip_levels(mip_levels)
    {
        VkImageCreateInfo info{};
        info.sType = VK_STRUCTURE_TYPE_IMAGE_CREATE_INFO;
        info.imageType = VK_IMAGE_TYPE_2D;
        info.format = VK_FORMAT_R8G8B8A8_UNORM;
        info.extent = {uint32_t(width), uint32_t(height), 1};
        info.mipLevels = mip_levels;
        info.arrayLayers = 1;
        info.samples = VK_SAMPLE_COUNT_1_BIT;
        info.tiling = VK_IMAGE_TILING_OPTIMAL;
        info.usage = VK_IMAGE_USAGE_COLOR_ATTACHMENT_BIT | VK_IMAGE_USAGE_TRANSFER_SRC_BIT |
                     VK_IMAGE_USAGE_TRANSFER_DST_BIT;
        info.sharingMode = VK_SHARING_MODE_EXCLUSIVE;
        info.initialLayout = VK_IMAGE_LAYOUT_UNDEFINED;
        if (vkCreateImage(m_device, &info, nullptr, &m_image) != VK_SUCCESS)
            throw std::runtime_error("vkCreateImage failed");
        VkMemoryRequirements req{};
        vkGetImageMemoryRequirements(m_device, m_image, &req);
        VkMemoryAllocateInfo alloc{};
        alloc.sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO;
        alloc.allocationSize = req.size;
        alloc.memoryTypeIndex =
            host.memory_type_index(req.memoryTypeBits, VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT);
        if (vkAllocateMemory(m_device, &alloc, nullptr, &m_memory) != VK_SUCCESS ||
            vkBindImageMemory(m_device, m_image, m_memory, 0) != VK_SUCCESS)
            throw std::runtime_error("image memory failed");
    }
    ~TestImage()
    {
        vkDestroyImage(m_device, m_image, nullptr);
        vkFreeMemory(m_device, m_memory, nullptr);
    }
    TestImage(const TestImage&) = delete;
    TestImage& operator=(const TestImage&) = delete;

    VkImage image() const { return m_image; }
    uint32_t mip_levels() const { return m_mip_levels; }
    // The handle as the library's get_texture() hands it out.
    uint64_t handle() const
    {
        uint64_t h = 0;
        std::memcpy(&h, &m_image, sizeof(h));
        return h;
    }

private:
    VkDevice m_device;
    VkImage m_image = VK_NULL_HANDLE;
    VkDeviceMemory m_memory = VK_NULL_HANDLE;
    uint32_t m_mip_levels;
};

VkImageMemoryBarrier layout_barrier(const TestImage& image, VkImageLayout from, VkImageLayout to,
                                    VkAccessFlags src_access, VkAccessFlags dst_access)
{
    VkImageMemoryBarrier b{};
    b.sType = VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER;
    b.srcAccessMask = src_access;
    b.dstAccessMask = dst_access;
    b.oldLayout = from;
    b.newLayout = to;
    b.srcQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    b.dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    b.image = image.image();
    b.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, image.mip_levels(), 0, 1};
    return b;
}

// Records: every mip `from` -> TRANSFER_DST_OPTIMAL, `transfer`, -> COLOR_ATTACHMENT_OPTIMAL.
// That is how the library leaves its texture after a frame.
template <typename Transfer>
void in_transfer_dst(VkCommandBuffer cb, const TestImage& image, VkImageLayout from, Transfer transfer)
{
    VkImageMemoryBarrier to_dst = layout_barrier(image, from, VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL,
                                                 VK_ACCESS_MEMORY_WRITE_BIT, VK_ACCESS_TRANSFER_WRITE_BIT);
    vkCmdPipelineBarrier(cb, VK_PIPELINE_STAGE_ALL_COMMANDS_BIT, VK_PIPELINE_STAGE_TRANSFER_BIT, 0, 0,
                         nullptr, 0, nullptr, 1, &to_dst);
    transfer();
    VkImageMemoryBarrier to_attachment = layout_barrier(
        image, VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL,
        VK_ACCESS_TRANSFER_WRITE_BIT, VK_ACCESS_MEMORY_READ_BIT | VK_ACCESS_MEMORY_WRITE_BIT);
    vkCmdPipelineBarrier(cb, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_PIPELINE_STAGE_ALL_COMMANDS_BIT, 0, 0,
                         nullptr, 0, nullptr, 1, &to_attachment);
}

// Clears mips [first_mip, last mip] to `colour` with vkCmdClearColorImage.
void fill(standin::VulkanHost& host, const TestImage& image, VkImageLayout from, Rgba colour,
          uint32_t first_mip = 0)
{
    VkClearColorValue value{};
    for (int i = 0; i < 4; ++i)
        value.float32[i] = colour[i] / 255.0f;
    const VkImageSubresourceRange range{VK_IMAGE_ASPECT_COLOR_BIT, first_mip,
                                        image.mip_levels() - first_mip, 0, 1};
    host.submit_and_wait([&](VkCommandBuffer cb) {
        in_transfer_dst(cb, image, from, [&] {
            vkCmdClearColorImage(cb, image.image(), VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, &value, 1, &range);
        });
    });
}

// Writes `colour` into the rectangle (x, y, w, h) of mip 0 by copying from a host buffer. The
// image must be in COLOR_ATTACHMENT_OPTIMAL.
void paint_rect(standin::VulkanHost& host, const TestImage& image, int x, int y, int w, int h,
                Rgba colour)
{
    VkDevice device = host.device();
    const VkDeviceSize size = VkDeviceSize(w) * h * 4;
    VkBufferCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_BUFFER_CREATE_INFO;
    info.size = size;
    info.usage = VK_BUFFER_USAGE_TRANSFER_SRC_BIT;
    VkBuffer buffer = VK_NULL_HANDLE;
    ASSERT_EQ(vkCreateBuffer(device, &info, nullptr, &buffer), VK_SUCCESS);
    VkMemoryRequirements req{};
    vkGetBufferMemoryRequirements(device, buffer, &req);
    VkMemoryAllocateInfo alloc{};
    alloc.sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO;
    alloc.allocationSize = req.size;
    alloc.memoryTypeIndex = host.memory_type_index(
        req.memoryTypeBits, VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT | VK_MEMORY_PROPERTY_HOST_COHERENT_BIT);
    VkDeviceMemory memory = VK_NULL_HANDLE;
    ASSERT_EQ(vkAllocateMemory(device, &alloc, nullptr, &memory), VK_SUCCESS);
    ASSERT_EQ(vkBindBufferMemory(device, buffer, memory, 0), VK_SUCCESS);
    void* mapped = nullptr;
    ASSERT_EQ(vkMapMemory(device, memory, 0, VK_WHOLE_SIZE, 0, &mapped), VK_SUCCESS);
    for (VkDeviceSize i = 0; i < size; i += 4)
        std::memcpy(static_cast<uint8_t*>(mapped) + i, colour.data(), 4);
    vkUnmapMemory(device, memory);  // host writes before vkQueueSubmit are visible to it

    host.submit_and_wait([&](VkCommandBuffer cb) {
        in_transfer_dst(cb, image, VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL, [&] {
            VkBufferImageCopy region{};
            region.imageSubresource = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 0, 1};
            region.imageOffset = {x, y, 0};
            region.imageExtent = {uint32_t(w), uint32_t(h), 1};
            vkCmdCopyBufferToImage(cb, buffer, image.image(), VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, 1,
                                   &region);
        });
    });
    vkDestroyBuffer(device, buffer, nullptr);
    vkFreeMemory(device, memory, nullptr);
}

Rgba at(const QImage& image, int x, int y)
{
    Rgba p;
    std::memcpy(p.data(), image.constScanLine(y) + x * 4, 4);
    return p;
}

std::string to_string(Rgba p)
{
    return "(" + std::to_string(p[0]) + ", " + std::to_string(p[1]) + ", " + std::to_string(p[2]) +
           ", " + std::to_string(p[3]) + ")";
}

// Compares every pixel with `inside` within the rectangle and `outside` elsewhere; reports the
// first mismatch and the number of mismatches.
::testing::AssertionResult pixels_are(const QImage& image, Rgba outside, QRect rect = QRect(),
                                      Rgba inside = {})
{
    int wrong = 0;
    std::string first;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Rgba expected = rect.contains(x, y) ? inside : outside;
            const Rgba actual = at(image, x, y);
            if (actual != expected && wrong++ == 0) {
                first = "at (" + std::to_string(x) + ", " + std::to_string(y) + ") expected " +
                        to_string(expected) + ", got " + to_string(actual);
            }
        }
    }
    if (wrong == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " wrong pixels; first " << first;
}

std::string joined(const std::vector<std::string>& messages)
{
    std::string all;
    for (const std::string& m : messages)
        all += m + "\n";
    return all;
}

const Rgba kBlueish = {51, 102, 153, 255};
const Rgba kGreen = {0, 255, 0, 255};
// Premultiplied and half transparent: read_back must not un-premultiply or swizzle it.
const Rgba kHalfOrange = {128, 64, 16, 128};

// --- The host itself ---------------------------------------------------------------------------

TEST(VulkanHost, CreatesABareDeviceWithValidationQuietly)
{
    standin::HostOptions options;
    options.validation = true;
    standin::VulkanHost host(options);
    EXPECT_NE(host.instance(), VK_NULL_HANDLE);
    EXPECT_NE(host.physical_device(), VK_NULL_HANDLE);
    EXPECT_NE(host.device(), VK_NULL_HANDLE);
    EXPECT_NE(host.queue(), VK_NULL_HANDLE);
    EXPECT_FALSE(host.device_name().empty());
    EXPECT_GE(host.api_version(), uint32_t(VK_API_VERSION_1_1));
    EXPECT_TRUE(host.validation_messages().empty()) << joined(host.validation_messages());
}

// Without this, "no validation messages" in the other tests could just mean nothing listens.
TEST(VulkanHost, RecordsValidationErrorsUntilCleared)
{
    standin::HostOptions options;
    options.validation = true;
    standin::VulkanHost host(options);
    TestImage image(host, 256, 256);
    fill(host, image, VK_IMAGE_LAYOUT_UNDEFINED, kGreen);
    ASSERT_TRUE(host.validation_messages().empty()) << joined(host.validation_messages());

    // Claims the image is in TRANSFER_SRC_OPTIMAL although it is in COLOR_ATTACHMENT_OPTIMAL:
    // the mistake a host makes when it forgets to transition the texture back.
    fill(host, image, VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL, kGreen);
    const auto messages = host.validation_messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front().rfind("error: ", 0), 0u) << messages.front();

    host.clear_validation_messages();
    EXPECT_TRUE(host.validation_messages().empty());
}

// Host waits between submissions hide hazards between them, so the proof that the option is on
// is a hazard inside one command buffer: two clears without a barrier in between.
TEST(VulkanHost, SynchronizationValidationReportsHazards)
{
    standin::HostOptions options;
    options.synchronization_validation = true;
    standin::VulkanHost host(options);
    TestImage image(host, 256, 256);
    fill(host, image, VK_IMAGE_LAYOUT_UNDEFINED, kGreen);
    ASSERT_TRUE(host.validation_messages().empty()) << joined(host.validation_messages());

    const VkClearColorValue value{};
    const VkImageSubresourceRange range{VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, 1};
    host.submit_and_wait([&](VkCommandBuffer cb) {
        in_transfer_dst(cb, image, VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL, [&] {
            vkCmdClearColorImage(cb, image.image(), VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, &value, 1, &range);
            vkCmdClearColorImage(cb, image.image(), VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, &value, 1, &range);
        });
    });
    EXPECT_NE(joined(host.validation_messages()).find("SYNC-HAZARD-WRITE-AFTER-WRITE"), std::string::npos)
        << joined(host.validation_messages());
}

// --- read_back ---------------------------------------------------------------------------------

// Every test runs with full and synchronization validation, and ends without a message.
class ReadBack : public ::testing::Test {
protected:
    static standin::HostOptions options()
    {
        standin::HostOptions o;
        o.validation = true;
        o.synchronization_validation = true;
        return o;
    }
    void TearDown() override
    {
        EXPECT_TRUE(host.validation_messages().empty()) << joined(host.validation_messages());
    }

    standin::VulkanHost host{options()};
};

TEST_F(ReadBack, ReturnsTheClearedColourInEveryPixel)
{
    TestImage image(host, kWidth, kHeight);
    fill(host, image, VK_IMAGE_LAYOUT_UNDEFINED, kBlueish);

    const QImage result = host.read_back(image.handle(), kWidth, kHeight);
    ASSERT_EQ(result.size(), QSize(kWidth, kHeight));
    EXPECT_EQ(result.format(), QImage::Format_RGBA8888_Premultiplied);
    EXPECT_TRUE(pixels_are(result, kBlueish));
}

TEST_F(ReadBack, FindsASubRectangleAtItsPositionWithItsBytesUnchanged)
{
    TestImage image(host, kWidth, kHeight);
    fill(host, image, VK_IMAGE_LAYOUT_UNDEFINED, kBlueish);
    // Touches the right edge, so a wrong row pitch would smear it into the next row.
    const QRect rect(kWidth - 40, 17, 40, 31);
    paint_rect(host, image, rect.x(), rect.y(), rect.width(), rect.height(), kHalfOrange);

    const QImage result = host.read_back(image.handle(), kWidth, kHeight);
    EXPECT_TRUE(pixels_are(result, kBlueish, rect, kHalfOrange));
}

// The producer tracks the layout itself, so read_back must put every mip back into
// COLOR_ATTACHMENT_OPTIMAL. The validation layer checks the claimed old layouts at submit time.
TEST_F(ReadBack, LeavesEveryMipInColorAttachmentLayout)
{
    TestImage image(host, 256, 256, 3);
    fill(host, image, VK_IMAGE_LAYOUT_UNDEFINED, kGreen);
    fill(host, image, VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL, kBlueish, 1);

    EXPECT_TRUE(pixels_are(host.read_back(image.handle(), 256, 256), kGreen));
    EXPECT_TRUE(pixels_are(host.read_back(image.handle(), 256, 256), kGreen));

    fill(host, image, VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL, kHalfOrange);
    EXPECT_TRUE(pixels_are(host.read_back(image.handle(), 256, 256), kHalfOrange));
}

TEST_F(ReadBack, RejectsANullImageAndAnEmptySize)
{
    TestImage image(host, 256, 256);
    fill(host, image, VK_IMAGE_LAYOUT_UNDEFINED, kGreen);
    EXPECT_THROW(host.read_back(0, 256, 256), std::runtime_error);
    EXPECT_THROW(host.read_back(image.handle(), 0, 256), std::runtime_error);
    EXPECT_THROW(host.read_back(image.handle(), 256, -1), std::runtime_error);
}

// --- write_png (the demo's PNG files, written without Qt) -----------------------------------------

// Straight alpha in the file, as QImage::save writes a premultiplied image; QImage reads it back.
TEST(WritePng, WritesStraightAlphaThatQImageReadsBack)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    standin::RgbaImage image;
    image.width = 3;
    image.height = 2;
    image.bytes = {
        255, 0, 0, 255,    0, 128, 0, 128,    0, 0, 0, 0,      // opaque red, half green, transparent
        10, 20, 30, 255,   100, 50, 25, 200,  1, 2, 3, 255,
    };
    const QString file = directory.filePath("out.png");
    ASSERT_TRUE(standin::write_png(image, file.toStdString()));

    const QImage read(file);
    ASSERT_FALSE(read.isNull());
    ASSERT_EQ(read.size(), QSize(3, 2));
    EXPECT_EQ(read.pixel(0, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(read.pixel(1, 0), qRgba(0, 255, 0, 128));
    EXPECT_EQ(qAlpha(read.pixel(2, 0)), 0);
    EXPECT_EQ(read.pixel(0, 1), qRgba(10, 20, 30, 255));
    EXPECT_EQ(read.pixel(1, 1), qRgba(128, 64, 32, 200));
    EXPECT_EQ(read.pixel(2, 1), qRgba(1, 2, 3, 255));
}

TEST(WritePng, RefusesAMismatchedImageAndAnUnwritablePath)
{
    standin::RgbaImage image;
    image.width = 2;
    image.height = 2;
    image.bytes.assign(12, 0);  // one pixel short
    EXPECT_FALSE(standin::write_png(image, QDir::temp().filePath("never.png").toStdString()));
    image.bytes.assign(16, 255);
    EXPECT_FALSE(standin::write_png(image, "/nonexistent-directory/out.png"));
}

}  // namespace
