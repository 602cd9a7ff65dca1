// Every engine description handed to the bridge is deleted exactly once: when it is
// deregistered, when its page scene ends, or when a registration made before the scene existed
// is replaced or never handed over.
//
// Counted by this process's own allocator: operator new and delete are replaced below, and the
// deletes of every tracked address are counted. A tracked block is never given back, so a second
// delete is counted instead of corrupting the heap, and its address is never reused.

#include "web_test_support.h"

#include "engine_objects.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

using namespace sorvane;
using namespace sorvane::db;
using namespace testing_db;
using namespace webtest;
using T = VariantTypeStd;

namespace {

constexpr int kMaxTracked = 256;
std::atomic<const void*> g_tracked[kMaxTracked];
std::atomic<int> g_deletes[kMaxTracked];
std::atomic<int> g_tracked_count{0};

int tracked_index(const void* p)
{
    const int n = g_tracked_count.load(std::memory_order_acquire);
    for (int i = 0; i < n; ++i)
        if (g_tracked[i].load(std::memory_order_relaxed) == p)
            return i;
    return -1;
}

void track(const void* p)  // from the test's thread only
{
    const int i = g_tracked_count.load();
    ASSERT_LT(i, kMaxTracked);
    g_tracked[i] = p;
    g_tracked_count.store(i + 1, std::memory_order_release);
}

void* allocate(std::size_t size)
{
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void release(void* p) noexcept
{
    if (const int i = p ? tracked_index(p) : -1; i >= 0)
        g_deletes[i].fetch_add(1);
    else
        std::free(p);
}

class Environment : public ::testing::Environment {
public:
    void SetUp() override { start(/*gpu_disabled=*/true); }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

// An object with a property, a method with two parameters and a signal, every description of it
// tracked.
struct Tracked {
    AbstractContextObjectStd* object;
    std::vector<const void*> descriptions;

    explicit Tracked(const std::string& name)
        : object(testing_db::object(name, {property("health", T::INT)},
                                    {method("jump", {{"x", T::INT}, {"y", T::VECTOR2}}), signal("hurt")}))
    {
        descriptions.push_back(object);
        for (const auto& [n, p] : object->properties)
            descriptions.push_back(p);
        for (const auto& [n, m] : object->methods) {
            descriptions.push_back(m);
            descriptions.insert(descriptions.end(), m->args.begin(), m->args.end());
        }
        for (const void* d : descriptions)
            track(d);
    }

    // The deletes of each description, once each was deleted (or 5 s passed) when `wait`.
    std::vector<int> deletes(bool wait = true) const
    {
        auto count = [](const void* d) { return g_deletes[tracked_index(d)].load(); };
        if (wait)
            wait_until(SView(), [&] { return std::all_of(descriptions.begin(), descriptions.end(), count); }, 5s);
        std::vector<int> counts;
        std::transform(descriptions.begin(), descriptions.end(), std::back_inserter(counts), count);
        return counts;
    }
    std::vector<int> times(int n) const { return std::vector<int>(descriptions.size(), n); }
};

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

class OwnershipTest : public WebTest {};

TEST_F(OwnershipTest, RegisteredObjectsAreDeletedOnceByDeregistrationOrWithTheScene)
{
    Tracked gone("gone"), ended("ended"), refused("ended");
    {
        TestWebView view;
        ASSERT_TRUE(view.load());
        view.webchannel_registerObject("gone", gone.object);
        view.webchannel_registerObject("ended", ended.object);
        view.webchannel_registerObject("ended", refused.object);  // refused: stays the engine's
        view.webchannel_deregisterObject("gone");
        EXPECT_EQ(gone.deletes(), gone.times(1));
    }
    EXPECT_EQ(ended.deletes(), ended.times(1));
    EXPECT_EQ(gone.deletes(), gone.times(1));
    EXPECT_EQ(refused.deletes(/*wait=*/false), refused.times(0));
}

TEST_F(OwnershipTest, PendingRegistrationsAreDeletedOnceWhenReplacedOrNeverHandedOver)
{
    Tracked replaced("p"), never_loaded("p");
    {
        TestWebView view;
        view.webchannel_registerObject("p", replaced.object);
        view.webchannel_registerObject("p", never_loaded.object);
        EXPECT_EQ(replaced.deletes(), replaced.times(1));
    }
    EXPECT_EQ(never_loaded.deletes(), never_loaded.times(1));
}
