// VK_LAYER_SORVANE_queue_lock: a Vulkan layer that serialises every queue operation that Vulkan
// requires the application to synchronise externally.
//
// The library renders on the engine's own VkDevice and queue. An engine submits to that queue
// from threads of its own (its render thread, its worker threads uploading resources) and keeps
// its queue lock to itself, so neither side can lock around the other's submissions. With this
// layer in the engine's instance, every vkQueueSubmit, vkQueueSubmit2, vkQueueBindSparse,
// vkQueuePresentKHR and vkQueueWaitIdle of every caller on a VkQueue runs under one mutex of that
// queue, and vkDeviceWaitIdle under all of its device's queue mutexes: whoever submits, the
// submissions reach the driver one at a time.
//
// The library asks the device for "vkGetSorvaneQueueLockVersionSORVANE" to learn whether the
// layer is active; nothing else is added to or changed in the API.

#include <vulkan/vk_layer.h>
#include <vulkan/vulkan.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#define LAYER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr uint32_t kQueueLockVersion = 1;

// The loader's dispatch table pointer, the first word of every dispatchable handle: the same
// for a device and every queue taken from it.
using DispatchKey = void*;
template <typename Handle>
DispatchKey key_of(Handle handle)
{
    return *reinterpret_cast<DispatchKey*>(handle);
}

struct InstanceData {
    PFN_vkGetInstanceProcAddr next_gipa = nullptr;
    PFN_vkDestroyInstance destroy_instance = nullptr;
};

struct QueueLock {
    std::mutex mutex;
};

struct DeviceData {
    VkDevice device = VK_NULL_HANDLE;
    PFN_vkGetDeviceProcAddr next_gdpa = nullptr;
    PFN_vkDestroyDevice destroy_device = nullptr;
    PFN_vkGetDeviceQueue get_device_queue = nullptr;
    PFN_vkGetDeviceQueue2 get_device_queue2 = nullptr;
    PFN_vkQueueSubmit queue_submit = nullptr;
    PFN_vkQueueSubmit2 queue_submit2 = nullptr;
    PFN_vkQueueSubmit2 queue_submit2_khr = nullptr;
    PFN_vkQueueBindSparse queue_bind_sparse = nullptr;
    PFN_vkQueuePresentKHR queue_present = nullptr;
    PFN_vkQueueWaitIdle queue_wait_idle = nullptr;
    PFN_vkDeviceWaitIdle device_wait_idle = nullptr;
    // One lock per queue of this device, made when the queue is first asked for or used.
    std::unordered_map<VkQueue, std::unique_ptr<QueueLock>> queues;
};

// Guards the two tables below (never held while a call goes down the chain).
std::mutex g_tables_mutex;
std::unordered_map<DispatchKey, InstanceData> g_instances;
std::unordered_map<DispatchKey, std::unique_ptr<DeviceData>> g_devices;

InstanceData* instance_data(DispatchKey key)
{
    std::lock_guard lock(g_tables_mutex);
    auto it = g_instances.find(key);
    return it == g_instances.end() ? nullptr : &it->second;
}

DeviceData* device_data(DispatchKey key)
{
    std::lock_guard lock(g_tables_mutex);
    auto it = g_devices.find(key);
    return it == g_devices.end() ? nullptr : it->second.get();
}

// The lock of `queue`, made on first use. Locks live as long as their device.
std::mutex& queue_mutex(DeviceData* data, VkQueue queue)
{
    std::lock_guard lock(g_tables_mutex);
    std::unique_ptr<QueueLock>& entry = data->queues[queue];
    if (!entry)
        entry = std::make_unique<QueueLock>();
    return entry->mutex;
}

// --- Instance ------------------------------------------------------------------------------

VKAPI_ATTR VkResult VKAPI_CALL CreateInstance(const VkInstanceCreateInfo* create_info,
                                              const VkAllocationCallbacks* allocator, VkInstance* instance)
{
    auto* link = reinterpret_cast<VkLayerInstanceCreateInfo*>(const_cast<void*>(create_info->pNext));
    while (link && !(link->sType == VK_STRUCTURE_TYPE_LOADER_INSTANCE_CREATE_INFO &&
                     link->function == VK_LAYER_LINK_INFO))
        link = reinterpret_cast<VkLayerInstanceCreateInfo*>(const_cast<void*>(link->pNext));
    if (!link)
        return VK_ERROR_INITIALIZATION_FAILED;

    const PFN_vkGetInstanceProcAddr next_gipa = link->u.pLayerInfo->pfnNextGetInstanceProcAddr;
    link->u.pLayerInfo = link->u.pLayerInfo->pNext;
    auto next_create = reinterpret_cast<PFN_vkCreateInstance>(next_gipa(VK_NULL_HANDLE, "vkCreateInstance"));
    if (!next_create)
        return VK_ERROR_INITIALIZATION_FAILED;
    const VkResult result = next_create(create_info, allocator, instance);
    if (result != VK_SUCCESS)
        return result;

    InstanceData data;
    data.next_gipa = next_gipa;
    data.destroy_instance = reinterpret_cast<PFN_vkDestroyInstance>(next_gipa(*instance, "vkDestroyInstance"));
    std::lock_guard lock(g_tables_mutex);
    g_instances[key_of(*instance)] = data;
    return VK_SUCCESS;
}

VKAPI_ATTR void VKAPI_CALL DestroyInstance(VkInstance instance, const VkAllocationCallbacks* allocator)
{
    if (!instance)
        return;
    InstanceData data;
    {
        std::lock_guard lock(g_tables_mutex);
        auto it = g_instances.find(key_of(instance));
        if (it == g_instances.end())
            return;
        data = it->second;
        g_instances.erase(it);
    }
    data.destroy_instance(instance, allocator);
}

// --- Device --------------------------------------------------------------------------------

template <typename Fn>
Fn next_device_fn(PFN_vkGetDeviceProcAddr gdpa, VkDevice device, const char* name)
{
    return reinterpret_cast<Fn>(gdpa(device, name));
}

VKAPI_ATTR VkResult VKAPI_CALL CreateDevice(VkPhysicalDevice physical_device, const VkDeviceCreateInfo* create_info,
                                            const VkAllocationCallbacks* allocator, VkDevice* device)
{
    auto* link = reinterpret_cast<VkLayerDeviceCreateInfo*>(const_cast<void*>(create_info->pNext));
    while (link && !(link->sType == VK_STRUCTURE_TYPE_LOADER_DEVICE_CREATE_INFO &&
                     link->function == VK_LAYER_LINK_INFO))
        link = reinterpret_cast<VkLayerDeviceCreateInfo*>(const_cast<void*>(link->pNext));
    if (!link)
        return VK_ERROR_INITIALIZATION_FAILED;

    const PFN_vkGetInstanceProcAddr next_gipa = link->u.pLayerInfo->pfnNextGetInstanceProcAddr;
    const PFN_vkGetDeviceProcAddr next_gdpa = link->u.pLayerInfo->pfnNextGetDeviceProcAddr;
    link->u.pLayerInfo = link->u.pLayerInfo->pNext;
    auto next_create = reinterpret_cast<PFN_vkCreateDevice>(next_gipa(VK_NULL_HANDLE, "vkCreateDevice"));
    if (!next_create)
        return VK_ERROR_INITIALIZATION_FAILED;
    const VkResult result = next_create(physical_device, create_info, allocator, device);
    if (result != VK_SUCCESS)
        return result;

    auto data = std::make_unique<DeviceData>();
    VkDevice d = *device;
    data->device = d;
    data->next_gdpa = next_gdpa;
    data->destroy_device = next_device_fn<PFN_vkDestroyDevice>(next_gdpa, d, "vkDestroyDevice");
    data->get_device_queue = next_device_fn<PFN_vkGetDeviceQueue>(next_gdpa, d, "vkGetDeviceQueue");
    data->get_device_queue2 = next_device_fn<PFN_vkGetDeviceQueue2>(next_gdpa, d, "vkGetDeviceQueue2");
    data->queue_submit = next_device_fn<PFN_vkQueueSubmit>(next_gdpa, d, "vkQueueSubmit");
    data->queue_submit2 = next_device_fn<PFN_vkQueueSubmit2>(next_gdpa, d, "vkQueueSubmit2");
    data->queue_submit2_khr = next_device_fn<PFN_vkQueueSubmit2>(next_gdpa, d, "vkQueueSubmit2KHR");
    data->queue_bind_sparse = next_device_fn<PFN_vkQueueBindSparse>(next_gdpa, d, "vkQueueBindSparse");
    data->queue_present = next_device_fn<PFN_vkQueuePresentKHR>(next_gdpa, d, "vkQueuePresentKHR");
    data->queue_wait_idle = next_device_fn<PFN_vkQueueWaitIdle>(next_gdpa, d, "vkQueueWaitIdle");
    data->device_wait_idle = next_device_fn<PFN_vkDeviceWaitIdle>(next_gdpa, d, "vkDeviceWaitIdle");
    std::lock_guard lock(g_tables_mutex);
    g_devices[key_of(d)] = std::move(data);
    return VK_SUCCESS;
}

VKAPI_ATTR void VKAPI_CALL DestroyDevice(VkDevice device, const VkAllocationCallbacks* allocator)
{
    if (!device)
        return;
    std::unique_ptr<DeviceData> data;
    {
        std::lock_guard lock(g_tables_mutex);
        auto it = g_devices.find(key_of(device));
        if (it == g_devices.end())
            return;
        data = std::move(it->second);
        g_devices.erase(it);
    }
    data->destroy_device(device, allocator);
}

VKAPI_ATTR void VKAPI_CALL GetDeviceQueue(VkDevice device, uint32_t family, uint32_t index, VkQueue* queue)
{
    DeviceData* data = device_data(key_of(device));
    if (!data) {
        *queue = VK_NULL_HANDLE;
        return;
    }
    data->get_device_queue(device, family, index, queue);
    if (*queue)
        queue_mutex(data, *queue);
}

VKAPI_ATTR void VKAPI_CALL GetDeviceQueue2(VkDevice device, const VkDeviceQueueInfo2* info, VkQueue* queue)
{
    DeviceData* data = device_data(key_of(device));
    if (!data) {
        *queue = VK_NULL_HANDLE;
        return;
    }
    data->get_device_queue2(device, info, queue);
    if (*queue)
        queue_mutex(data, *queue);
}

// --- The serialised queue operations -------------------------------------------------------

// Runs the next layer's `Call` on `queue` under the queue's lock.
template <auto Call, typename... Args>
VkResult serialised(VkQueue queue, Args... args)
{
    DeviceData* data = device_data(key_of(queue));
    if (!data)
        return VK_ERROR_DEVICE_LOST;  // a queue of no device this layer made: nothing to call
    std::lock_guard lock(queue_mutex(data, queue));
    return (data->*Call)(queue, args...);
}

VKAPI_ATTR VkResult VKAPI_CALL QueueSubmit(VkQueue queue, uint32_t count, const VkSubmitInfo* submits, VkFence fence)
{
    return serialised<&DeviceData::queue_submit>(queue, count, submits, fence);
}

VKAPI_ATTR VkResult VKAPI_CALL QueueSubmit2(VkQueue queue, uint32_t count, const VkSubmitInfo2* submits, VkFence fence)
{
    return serialised<&DeviceData::queue_submit2>(queue, count, submits, fence);
}

VKAPI_ATTR VkResult VKAPI_CALL QueueSubmit2KHR(VkQueue queue, uint32_t count, const VkSubmitInfo2* submits,
                                               VkFence fence)
{
    return serialised<&DeviceData::queue_submit2_khr>(queue, count, submits, fence);
}

VKAPI_ATTR VkResult VKAPI_CALL QueueBindSparse(VkQueue queue, uint32_t count, const VkBindSparseInfo* infos,
                                               VkFence fence)
{
    return serialised<&DeviceData::queue_bind_sparse>(queue, count, infos, fence);
}

VKAPI_ATTR VkResult VKAPI_CALL QueuePresentKHR(VkQueue queue, const VkPresentInfoKHR* info)
{
    return serialised<&DeviceData::queue_present>(queue, info);
}

VKAPI_ATTR VkResult VKAPI_CALL QueueWaitIdle(VkQueue queue)
{
    return serialised<&DeviceData::queue_wait_idle>(queue);
}

VKAPI_ATTR VkResult VKAPI_CALL DeviceWaitIdle(VkDevice device)
{
    DeviceData* data = device_data(key_of(device));
    if (!data)
        return VK_ERROR_DEVICE_LOST;
    // Every queue of the device is held (always in the table's order, and other paths hold only
    // one lock at a time, so this cannot deadlock).
    std::vector<std::mutex*> locks;
    {
        std::lock_guard lock(g_tables_mutex);
        for (auto& [queue, entry] : data->queues)
            locks.push_back(&entry->mutex);
    }
    for (std::mutex* m : locks)
        m->lock();
    const VkResult result = data->device_wait_idle(device);
    for (auto it = locks.rbegin(); it != locks.rend(); ++it)
        (*it)->unlock();
    return result;
}

VKAPI_ATTR uint32_t VKAPI_CALL GetSorvaneQueueLockVersion()
{
    return kQueueLockVersion;
}

// --- Entry points --------------------------------------------------------------------------

struct Intercept {
    const char* name;
    PFN_vkVoidFunction function;
};

#define INTERCEPT(name, fn) {name, reinterpret_cast<PFN_vkVoidFunction>(&fn)}
const Intercept kDeviceIntercepts[] = {
    INTERCEPT("vkDestroyDevice", DestroyDevice),
    INTERCEPT("vkGetDeviceQueue", GetDeviceQueue),
    INTERCEPT("vkGetDeviceQueue2", GetDeviceQueue2),
    INTERCEPT("vkQueueSubmit", QueueSubmit),
    INTERCEPT("vkQueueSubmit2", QueueSubmit2),
    INTERCEPT("vkQueueSubmit2KHR", QueueSubmit2KHR),
    INTERCEPT("vkQueueBindSparse", QueueBindSparse),
    INTERCEPT("vkQueuePresentKHR", QueuePresentKHR),
    INTERCEPT("vkQueueWaitIdle", QueueWaitIdle),
    INTERCEPT("vkDeviceWaitIdle", DeviceWaitIdle),
    INTERCEPT("vkGetSorvaneQueueLockVersionSORVANE", GetSorvaneQueueLockVersion),
};
#undef INTERCEPT

// The layer's own function for `name`, if it intercepts it and the next layer or driver offers
// it (an intercept of a function the device lacks would call a null pointer).
PFN_vkVoidFunction device_intercept(const char* name, DeviceData* data)
{
    for (const Intercept& intercept : kDeviceIntercepts) {
        if (std::strcmp(name, intercept.name) != 0)
            continue;
        if (data && intercept.function != reinterpret_cast<PFN_vkVoidFunction>(&GetSorvaneQueueLockVersion) &&
            !data->next_gdpa(data->device, name))
            return nullptr;
        return intercept.function;
    }
    return nullptr;
}

}  // namespace

LAYER_EXPORT VKAPI_ATTR PFN_vkVoidFunction VKAPI_CALL SorvaneQueueLock_GetDeviceProcAddr(VkDevice device,
                                                                                        const char* name)
{
    DeviceData* data = device ? device_data(key_of(device)) : nullptr;
    if (!data)
        return nullptr;
    if (PFN_vkVoidFunction own = device_intercept(name, data))
        return own;
    return data->next_gdpa(device, name);
}

LAYER_EXPORT VKAPI_ATTR PFN_vkVoidFunction VKAPI_CALL SorvaneQueueLock_GetInstanceProcAddr(VkInstance instance,
                                                                                          const char* name)
{
    if (std::strcmp(name, "vkGetInstanceProcAddr") == 0)
        return reinterpret_cast<PFN_vkVoidFunction>(&SorvaneQueueLock_GetInstanceProcAddr);
    if (std::strcmp(name, "vkGetDeviceProcAddr") == 0)
        return reinterpret_cast<PFN_vkVoidFunction>(&SorvaneQueueLock_GetDeviceProcAddr);
    if (std::strcmp(name, "vkCreateInstance") == 0)
        return reinterpret_cast<PFN_vkVoidFunction>(&CreateInstance);
    if (std::strcmp(name, "vkDestroyInstance") == 0)
        return reinterpret_cast<PFN_vkVoidFunction>(&DestroyInstance);
    if (std::strcmp(name, "vkCreateDevice") == 0)
        return reinterpret_cast<PFN_vkVoidFunction>(&CreateDevice);
    if (PFN_vkVoidFunction own = device_intercept(name, nullptr))
        return own;
    if (!instance)
        return nullptr;
    InstanceData* data = instance_data(key_of(instance));
    return data ? data->next_gipa(instance, name) : nullptr;
}

LAYER_EXPORT VKAPI_ATTR VkResult VKAPI_CALL
SorvaneQueueLock_NegotiateLoaderLayerInterfaceVersion(VkNegotiateLayerInterface* interface)
{
    if (!interface || interface->sType != LAYER_NEGOTIATE_INTERFACE_STRUCT)
        return VK_ERROR_INITIALIZATION_FAILED;
    if (interface->loaderLayerInterfaceVersion > 2)
        interface->loaderLayerInterfaceVersion = 2;
    if (interface->loaderLayerInterfaceVersion < 2)
        return VK_ERROR_INITIALIZATION_FAILED;
    interface->pfnGetInstanceProcAddr = &SorvaneQueueLock_GetInstanceProcAddr;
    interface->pfnGetDeviceProcAddr = &SorvaneQueueLock_GetDeviceProcAddr;
    interface->pfnGetPhysicalDeviceProcAddr = nullptr;
    return VK_SUCCESS;
}
