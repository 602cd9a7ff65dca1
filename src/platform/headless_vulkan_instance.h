#pragma once

#include <QtGui/private/qbasicvulkanplatforminstance_p.h>

namespace sorvane::platform {

// The Vulkan instance of the headless platform. Like Qt's xcb platform it adopts the instance
// the application hands to QVulkanInstance::setVkInstance() (the host's), or creates one when
// none was handed over; unlike xcb it asks for no window-system extension, because there are no
// surfaces to present to.
class HeadlessVulkanInstance : public QBasicPlatformVulkanInstance {
public:
    explicit HeadlessVulkanInstance(QVulkanInstance* instance);

    void createOrAdoptInstance() override;
    // Nothing is ever presented here.
    bool supportsPresent(VkPhysicalDevice, uint32_t, QWindow*) override { return false; }

private:
    QVulkanInstance* m_instance;
};

}  // namespace sorvane::platform
