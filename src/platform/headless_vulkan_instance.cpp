#include "platform/headless_vulkan_instance.h"

#include "platform/quiet_messages.h"

namespace sorvane::platform {

HeadlessVulkanInstance::HeadlessVulkanInstance(QVulkanInstance* instance) : m_instance(instance)
{
    loadVulkanLibrary(QStringLiteral("vulkan"), 1);
}

void HeadlessVulkanInstance::createOrAdoptInstance()
{
    const QuietMessages quiet(true, vulkan_surface_warnings());
    initInstance(m_instance, {});
}

}  // namespace sorvane::platform
