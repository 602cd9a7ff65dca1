#include "platform/headless_vulkan_instance.h"

namespace sorvane::platform {

HeadlessVulkanInstance::HeadlessVulkanInstance(QVulkanInstance* instance) : m_instance(instance)
{
    loadVulkanLibrary(QStringLiteral("vulkan"), 1);
}

void HeadlessVulkanInstance::createOrAdoptInstance()
{
    initInstance(m_instance, {});
}

}  // namespace sorvane::platform
