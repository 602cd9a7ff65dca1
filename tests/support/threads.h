// The threads of the test's own process, as the kernel lists them: for checks of what still runs
// after S::destroy().
#pragma once

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace test_threads {

// The system calls a GPU thread parked by S::destroy() sleeps in: nanosleep and clock_nanosleep.
inline const std::set<long> kParkedCalls = {35, 230};

// The threads of this process named `prefix` (the kernel keeps 15 characters of a name); with
// `calls`, only those asleep in one of these system calls.
inline int named(const std::string& prefix, const std::set<long>& calls = {})
{
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (!std::getline(comm, name) || !name.starts_with(prefix))
            continue;
        long call = -1;
        std::ifstream(task.path() / "syscall") >> call;
        if (calls.empty() || calls.contains(call))
            ++count;
    }
    return count;
}

// The web engine's GPU threads that are not parked.
inline int gpu_threads_not_parked()
{
    return named("Chrome_InProcGp") - named("Chrome_InProcGp", kParkedCalls);
}

}  // namespace test_threads
