#pragma once

// The stand-in engine host shared by the test programs that render: one Vulkan host and one
// running library per test process, as in an engine.

#include "standin_host/vulkan_host.h"

namespace test_host {

// Creates the host (validation layer on, the queue-lock layer above it, and the surface
// extensions that a presenting engine has, whose functions Qt looks up) and starts the library with the tests' project root.
// Call once per process, before any view exists. `synchronization_validation` adds the
// layer's hazard checks (slower).
void start(bool gpu_disabled = false, bool synchronization_validation = false);

// The host made by start().
standin::VulkanHost& host();

// Fails the current test for every validation message since the last call, then forgets them.
void expect_no_validation_messages();

}  // namespace test_host
