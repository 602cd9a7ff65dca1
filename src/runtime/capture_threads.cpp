#include "capture_threads.h"

#include <dirent.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace sorvane {

namespace {

// The name the web engine gives the thread of each screen capture (a thread's name holds at most
// 15 characters: the kernel keeps "desktopCaptureT").
constexpr const char* kCaptureThreadName = "desktopCaptureT";

std::string thread_name(const char* task)
{
    const std::string path = std::string("/proc/self/task/") + task + "/comm";
    std::FILE* file = std::fopen(path.c_str(), "re");
    if (!file)
        return {};
    char name[32] = {};
    const bool read = std::fgets(name, sizeof name, file) != nullptr;
    std::fclose(file);
    if (!read)
        return {};
    name[std::strcspn(name, "\n")] = '\0';
    return name;
}

}  // namespace

int running_capture_threads()
{
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return 0;
    int count = 0;
    while (const dirent* task = readdir(tasks)) {
        if (task->d_name[0] != '.' && thread_name(task->d_name).starts_with(kCaptureThreadName))
            ++count;
    }
    closedir(tasks);
    return count;
}

bool wait_for_capture_threads(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (running_capture_threads() > 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        const timespec pause{0, 10 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    return true;
}

}  // namespace sorvane
