#include "texture_sampler.h"

#include <QFile>
#include <rhi/qshader.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace test_host {

namespace {

void check(VkResult result, const char* call)
{
    if (result != VK_SUCCESS)
        throw std::runtime_error(std::string("texture sampler: ") + call + " failed: " + std::to_string(result));
}

// The SPIR-V of a shader that the build baked into the test's resources.
QByteArray spirv(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("texture sampler: missing shader " + resource.toStdString());
    const QShader shader = QShader::fromSerialized(file.readAll());
    const QShaderCode code = shader.shader({QShader::SpirvShader, QShaderVersion(100)});
    if (code.shader().isEmpty())
        throw std::runtime_error("texture sampler: no SPIR-V in " + resource.toStdString());
    return code.shader();
}

VkShaderModule make_module(VkDevice device, const QByteArray& code)
{
    VkShaderModuleCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_SHADER_MODULE_CREATE_INFO;
    info.codeSize = size_t(code.size());
    info.pCode = reinterpret_cast<const uint32_t*>(code.constData());
    VkShaderModule module = VK_NULL_HANDLE;
    check(vkCreateShaderModule(device, &info, nullptr, &module), "vkCreateShaderModule");
    return module;
}

}  // namespace

int srgb_to_linear(int encoded)
{
    const double c = encoded / 255.0;
    const double linear = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    return int(std::lround(linear * 255.0));
}

TextureSampler::TextureSampler(standin::VulkanHost& host, int width, int height)
    : m_host(host), m_device(host.device()), m_width(width), m_height(height)
{
    // The target: an image of the host's own that the test reads back afterwards.
    VkImageCreateInfo image_info{};
    image_info.sType = VK_STRUCTURE_TYPE_IMAGE_CREATE_INFO;
    image_info.imageType = VK_IMAGE_TYPE_2D;
    image_info.format = VK_FORMAT_R8G8B8A8_UNORM;
    image_info.extent = {uint32_t(width), uint32_t(height), 1};
    image_info.mipLevels = 1;
    image_info.arrayLayers = 1;
    image_info.samples = VK_SAMPLE_COUNT_1_BIT;
    image_info.tiling = VK_IMAGE_TILING_OPTIMAL;
    image_info.usage = VK_IMAGE_USAGE_COLOR_ATTACHMENT_BIT | VK_IMAGE_USAGE_TRANSFER_SRC_BIT;
    image_info.initialLayout = VK_IMAGE_LAYOUT_UNDEFINED;
    check(vkCreateImage(m_device, &image_info, nullptr, &m_target), "vkCreateImage");
    VkMemoryRequirements needs{};
    vkGetImageMemoryRequirements(m_device, m_target, &needs);
    VkMemoryAllocateInfo allocation{};
    allocation.sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO;
    allocation.allocationSize = needs.size;
    allocation.memoryTypeIndex = host.memory_type_index(needs.memoryTypeBits, 0, VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT);
    check(vkAllocateMemory(m_device, &allocation, nullptr, &m_target_memory), "vkAllocateMemory");
    check(vkBindImageMemory(m_device, m_target, m_target_memory, 0), "vkBindImageMemory");

    VkImageViewCreateInfo view_info{};
    view_info.sType = VK_STRUCTURE_TYPE_IMAGE_VIEW_CREATE_INFO;
    view_info.image = m_target;
    view_info.viewType = VK_IMAGE_VIEW_TYPE_2D;
    view_info.format = VK_FORMAT_R8G8B8A8_UNORM;
    view_info.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, 1};
    check(vkCreateImageView(m_device, &view_info, nullptr, &m_target_view), "vkCreateImageView");

    // The pass leaves the target where the host's read-back expects it.
    VkAttachmentDescription attachment{};
    attachment.format = VK_FORMAT_R8G8B8A8_UNORM;
    attachment.samples = VK_SAMPLE_COUNT_1_BIT;
    attachment.loadOp = VK_ATTACHMENT_LOAD_OP_CLEAR;
    attachment.storeOp = VK_ATTACHMENT_STORE_OP_STORE;
    attachment.stencilLoadOp = VK_ATTACHMENT_LOAD_OP_DONT_CARE;
    attachment.stencilStoreOp = VK_ATTACHMENT_STORE_OP_DONT_CARE;
    attachment.initialLayout = VK_IMAGE_LAYOUT_UNDEFINED;
    attachment.finalLayout = VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL;
    VkAttachmentReference reference{0, VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL};
    VkSubpassDescription subpass{};
    subpass.pipelineBindPoint = VK_PIPELINE_BIND_POINT_GRAPHICS;
    subpass.colorAttachmentCount = 1;
    subpass.pColorAttachments = &reference;
    // The last read-back of the target must be done before the pass clears it.
    VkSubpassDependency after_read_back{};
    after_read_back.srcSubpass = VK_SUBPASS_EXTERNAL;
    after_read_back.dstSubpass = 0;
    after_read_back.srcStageMask = VK_PIPELINE_STAGE_TRANSFER_BIT | VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT;
    after_read_back.dstStageMask = VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT;
    after_read_back.srcAccessMask = 0;
    after_read_back.dstAccessMask = VK_ACCESS_COLOR_ATTACHMENT_WRITE_BIT;
    VkRenderPassCreateInfo pass_info{};
    pass_info.sType = VK_STRUCTURE_TYPE_RENDER_PASS_CREATE_INFO;
    pass_info.attachmentCount = 1;
    pass_info.pAttachments = &attachment;
    pass_info.subpassCount = 1;
    pass_info.pSubpasses = &subpass;
    pass_info.dependencyCount = 1;
    pass_info.pDependencies = &after_read_back;
    check(vkCreateRenderPass(m_device, &pass_info, nullptr, &m_render_pass), "vkCreateRenderPass");

    VkFramebufferCreateInfo framebuffer_info{};
    framebuffer_info.sType = VK_STRUCTURE_TYPE_FRAMEBUFFER_CREATE_INFO;
    framebuffer_info.renderPass = m_render_pass;
    framebuffer_info.attachmentCount = 1;
    framebuffer_info.pAttachments = &m_target_view;
    framebuffer_info.width = uint32_t(width);
    framebuffer_info.height = uint32_t(height);
    framebuffer_info.layers = 1;
    check(vkCreateFramebuffer(m_device, &framebuffer_info, nullptr, &m_framebuffer), "vkCreateFramebuffer");

    VkSamplerCreateInfo sampler_info{};
    sampler_info.sType = VK_STRUCTURE_TYPE_SAMPLER_CREATE_INFO;
    sampler_info.magFilter = VK_FILTER_NEAREST;
    sampler_info.minFilter = VK_FILTER_NEAREST;
    sampler_info.mipmapMode = VK_SAMPLER_MIPMAP_MODE_NEAREST;
    sampler_info.addressModeU = VK_SAMPLER_ADDRESS_MODE_CLAMP_TO_EDGE;
    sampler_info.addressModeV = VK_SAMPLER_ADDRESS_MODE_CLAMP_TO_EDGE;
    sampler_info.addressModeW = VK_SAMPLER_ADDRESS_MODE_CLAMP_TO_EDGE;
    sampler_info.maxLod = VK_LOD_CLAMP_NONE;
    check(vkCreateSampler(m_device, &sampler_info, nullptr, &m_sampler), "vkCreateSampler");

    VkDescriptorSetLayoutBinding binding{};
    binding.binding = 0;
    binding.descriptorType = VK_DESCRIPTOR_TYPE_COMBINED_IMAGE_SAMPLER;
    binding.descriptorCount = 1;
    binding.stageFlags = VK_SHADER_STAGE_FRAGMENT_BIT;
    VkDescriptorSetLayoutCreateInfo set_info{};
    set_info.sType = VK_STRUCTURE_TYPE_DESCRIPTOR_SET_LAYOUT_CREATE_INFO;
    set_info.bindingCount = 1;
    set_info.pBindings = &binding;
    check(vkCreateDescriptorSetLayout(m_device, &set_info, nullptr, &m_set_layout), "vkCreateDescriptorSetLayout");

    VkPushConstantRange push{VK_SHADER_STAGE_FRAGMENT_BIT, 0, sizeof(float)};
    VkPipelineLayoutCreateInfo layout_info{};
    layout_info.sType = VK_STRUCTURE_TYPE_PIPELINE_LAYOUT_CREATE_INFO;
    layout_info.setLayoutCount = 1;
    layout_info.pSetLayouts = &m_set_layout;
    layout_info.pushConstantRangeCount = 1;
    layout_info.pPushConstantRanges = &push;
    check(vkCreatePipelineLayout(m_device, &layout_info, nullptr, &m_pipeline_layout), "vkCreatePipelineLayout");

    const VkShaderModule vertex = make_module(m_device, spirv(":/standin/shaders/fullscreen.vert.qsb"));
    const VkShaderModule fragment = make_module(m_device, spirv(":/standin/shaders/sample_level.frag.qsb"));
    VkPipelineShaderStageCreateInfo stages[2]{};
    stages[0].sType = stages[1].sType = VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO;
    stages[0].stage = VK_SHADER_STAGE_VERTEX_BIT;
    stages[0].module = vertex;
    stages[0].pName = "main";
    stages[1].stage = VK_SHADER_STAGE_FRAGMENT_BIT;
    stages[1].module = fragment;
    stages[1].pName = "main";
    VkPipelineVertexInputStateCreateInfo vertex_input{};
    vertex_input.sType = VK_STRUCTURE_TYPE_PIPELINE_VERTEX_INPUT_STATE_CREATE_INFO;
    VkPipelineInputAssemblyStateCreateInfo assembly{};
    assembly.sType = VK_STRUCTURE_TYPE_PIPELINE_INPUT_ASSEMBLY_STATE_CREATE_INFO;
    assembly.topology = VK_PRIMITIVE_TOPOLOGY_TRIANGLE_LIST;
    VkViewport viewport{0, 0, float(width), float(height), 0, 1};
    VkRect2D scissor{{0, 0}, {uint32_t(width), uint32_t(height)}};
    VkPipelineViewportStateCreateInfo viewport_state{};
    viewport_state.sType = VK_STRUCTURE_TYPE_PIPELINE_VIEWPORT_STATE_CREATE_INFO;
    viewport_state.viewportCount = 1;
    viewport_state.pViewports = &viewport;
    viewport_state.scissorCount = 1;
    viewport_state.pScissors = &scissor;
    VkPipelineRasterizationStateCreateInfo raster{};
    raster.sType = VK_STRUCTURE_TYPE_PIPELINE_RASTERIZATION_STATE_CREATE_INFO;
    raster.polygonMode = VK_POLYGON_MODE_FILL;
    raster.cullMode = VK_CULL_MODE_NONE;
    raster.lineWidth = 1.0f;
    VkPipelineMultisampleStateCreateInfo multisample{};
    multisample.sType = VK_STRUCTURE_TYPE_PIPELINE_MULTISAMPLE_STATE_CREATE_INFO;
    multisample.rasterizationSamples = VK_SAMPLE_COUNT_1_BIT;
    VkPipelineColorBlendAttachmentState blend_attachment{};
    blend_attachment.colorWriteMask = VK_COLOR_COMPONENT_R_BIT | VK_COLOR_COMPONENT_G_BIT |
                                      VK_COLOR_COMPONENT_B_BIT | VK_COLOR_COMPONENT_A_BIT;
    VkPipelineColorBlendStateCreateInfo blend{};
    blend.sType = VK_STRUCTURE_TYPE_PIPELINE_COLOR_BLEND_STATE_CREATE_INFO;
    blend.attachmentCount = 1;
    blend.pAttachments = &blend_attachment;
    VkGraphicsPipelineCreateInfo pipeline_info{};
    pipeline_info.sType = VK_STRUCTURE_TYPE_GRAPHICS_PIPELINE_CREATE_INFO;
    pipeline_info.stageCount = 2;
    pipeline_info.pStages = stages;
    pipeline_info.pVertexInputState = &vertex_input;
    pipeline_info.pInputAssemblyState = &assembly;
    pipeline_info.pViewportState = &viewport_state;
    pipeline_info.pRasterizationState = &raster;
    pipeline_info.pMultisampleState = &multisample;
    pipeline_info.pColorBlendState = &blend;
    pipeline_info.layout = m_pipeline_layout;
    pipeline_info.renderPass = m_render_pass;
    const VkResult made = vkCreateGraphicsPipelines(m_device, VK_NULL_HANDLE, 1, &pipeline_info, nullptr, &m_pipeline);
    vkDestroyShaderModule(m_device, vertex, nullptr);
    vkDestroyShaderModule(m_device, fragment, nullptr);
    check(made, "vkCreateGraphicsPipelines");

    VkDescriptorPoolSize pool_size{VK_DESCRIPTOR_TYPE_COMBINED_IMAGE_SAMPLER, 1};
    VkDescriptorPoolCreateInfo pool_info{};
    pool_info.sType = VK_STRUCTURE_TYPE_DESCRIPTOR_POOL_CREATE_INFO;
    pool_info.maxSets = 1;
    pool_info.poolSizeCount = 1;
    pool_info.pPoolSizes = &pool_size;
    check(vkCreateDescriptorPool(m_device, &pool_info, nullptr, &m_descriptor_pool), "vkCreateDescriptorPool");
    VkDescriptorSetAllocateInfo set_alloc{};
    set_alloc.sType = VK_STRUCTURE_TYPE_DESCRIPTOR_SET_ALLOCATE_INFO;
    set_alloc.descriptorPool = m_descriptor_pool;
    set_alloc.descriptorSetCount = 1;
    set_alloc.pSetLayouts = &m_set_layout;
    check(vkAllocateDescriptorSets(m_device, &set_alloc, &m_descriptor_set), "vkAllocateDescriptorSets");
}

TextureSampler::~TextureSampler()
{
    vkDeviceWaitIdle(m_device);
    vkDestroyDescriptorPool(m_device, m_descriptor_pool, nullptr);
    vkDestroyPipeline(m_device, m_pipeline, nullptr);
    vkDestroyPipelineLayout(m_device, m_pipeline_layout, nullptr);
    vkDestroyDescriptorSetLayout(m_device, m_set_layout, nullptr);
    vkDestroySampler(m_device, m_sampler, nullptr);
    vkDestroyFramebuffer(m_device, m_framebuffer, nullptr);
    vkDestroyRenderPass(m_device, m_render_pass, nullptr);
    vkDestroyImageView(m_device, m_target_view, nullptr);
    vkDestroyImage(m_device, m_target, nullptr);
    vkFreeMemory(m_device, m_target_memory, nullptr);
}

QImage TextureSampler::sample(uint64_t vk_image, VkFormat view_format, int mip_levels, int level, VkImageLayout layout)
{
    // A view of the engine's kind: made once per import, here once per sample.
    VkImageViewCreateInfo view_info{};
    view_info.sType = VK_STRUCTURE_TYPE_IMAGE_VIEW_CREATE_INFO;
    view_info.image = reinterpret_cast<VkImage>(vk_image);
    view_info.viewType = VK_IMAGE_VIEW_TYPE_2D;
    view_info.format = view_format;
    view_info.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, uint32_t(mip_levels), 0, 1};
    VkImageView view = VK_NULL_HANDLE;
    check(vkCreateImageView(m_device, &view_info, nullptr, &view), "vkCreateImageView");

    VkDescriptorImageInfo image{m_sampler, view, layout};
    VkWriteDescriptorSet write{};
    write.sType = VK_STRUCTURE_TYPE_WRITE_DESCRIPTOR_SET;
    write.dstSet = m_descriptor_set;
    write.dstBinding = 0;
    write.descriptorCount = 1;
    write.descriptorType = VK_DESCRIPTOR_TYPE_COMBINED_IMAGE_SAMPLER;
    write.pImageInfo = &image;
    vkUpdateDescriptorSets(m_device, 1, &write, 0, nullptr);

    const float lod = float(level);
    m_host.submit_and_wait([&](VkCommandBuffer cb) {
        VkClearValue clear{};
        VkRenderPassBeginInfo begin{};
        begin.sType = VK_STRUCTURE_TYPE_RENDER_PASS_BEGIN_INFO;
        begin.renderPass = m_render_pass;
        begin.framebuffer = m_framebuffer;
        begin.renderArea = {{0, 0}, {uint32_t(m_width), uint32_t(m_height)}};
        begin.clearValueCount = 1;
        begin.pClearValues = &clear;
        vkCmdBeginRenderPass(cb, &begin, VK_SUBPASS_CONTENTS_INLINE);
        vkCmdBindPipeline(cb, VK_PIPELINE_BIND_POINT_GRAPHICS, m_pipeline);
        vkCmdBindDescriptorSets(cb, VK_PIPELINE_BIND_POINT_GRAPHICS, m_pipeline_layout, 0, 1, &m_descriptor_set, 0,
                                nullptr);
        vkCmdPushConstants(cb, m_pipeline_layout, VK_SHADER_STAGE_FRAGMENT_BIT, 0, sizeof(lod), &lod);
        vkCmdDraw(cb, 3, 1, 0, 0);
        vkCmdEndRenderPass(cb);
    });
    vkDestroyImageView(m_device, view, nullptr);
    return m_host.read_back(reinterpret_cast<uint64_t>(m_target), m_width, m_height);
}

}  // namespace test_host
