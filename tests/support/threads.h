// The threads of the test's own process, as the kernel lists them: for checks of what still runs
// after S::destroy().
#pragma once

#include <filesystem>
#include <fstream>
#include <csignal>
#include <cstdlib>
#include <set>
#include <string>

namespace test_threads {

// The system calls a GPU thread parked by S::destroy() sleeps in: nanosleep and clock_nanosleep.
inline const std::set<long> kParkedCalls = {35, 230};

// The signal S::destroy() parks the GPU thread with.
inline int park_signal()
{
    return SIGRTMAX - 2;
}

// Whether the thread at `task` (a folder of /proc/self/task) blocks `signal`.
inline bool blocks(const std::filesystem::path& task, int signal)
{
    std::ifstream status(task / "status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("SigBlk:"))
            return (std::strtoull(line.c_str() + 7, nullptr, 16) >> (signal - 1) & 1) != 0;
    return false;
}

// The threads of this process named `prefix` (the kernel keeps 15 characters of a name) that do
// not block `unblocked` (where given); with `calls`, only those asleep in one of these system
// calls.
inline int named(const std::string& prefix, const std::set<long>& calls = {}, int unblocked = 0)
{
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (!std::getline(comm, name) || !name.starts_with(prefix) || (unblocked && blocks(task.path(), unblocked)))
            continue;
        long call = -1;
        std::ifstream(task.path() / "syscall") >> call;
        if (calls.empty() || calls.contains(call))
            ++count;
    }
    return count;
}

// What the kernel says of the threads named `prefix` that are not asleep in one of `calls` and do
// not block the park signal: a
// line each with the name, the state and the system call, for a failure's message.
inline std::string describe_named(const std::string& prefix, const std::set<long>& calls)
{
    std::string lines;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (!std::getline(comm, name) || !name.starts_with(prefix))
            continue;
        std::string call;
        std::getline(std::ifstream(task.path() / "syscall"), call);
        if (calls.contains(std::atol(call.c_str())) || blocks(task.path(), park_signal()))
            continue;
        lines += "  " + task.path().filename().string() + " " + name + ": syscall " + call;
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("State:") || line.starts_with("SigBlk:") || line.starts_with("SigPnd:") ||
                line.starts_with("ShdPnd:"))
                lines += "; " + line;
        lines += "\n";
    }
    return lines;
}

// The web engine's GPU threads that are not parked. Threads the GPU thread starts inherit its
// name; the GL driver's workers among them block every signal and are not parked.
inline int gpu_threads_not_parked()
{
    return named("Chrome_InProcGp", {}, park_signal()) - named("Chrome_InProcGp", kParkedCalls, park_signal());
}

}  // namespace test_threads
