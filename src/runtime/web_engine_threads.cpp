#include "web_engine_threads.h"

#include <dirent.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace sorvane {

namespace {

// The web engine's thread names, as the kernel keeps them (15 characters at most).
constexpr const char* kCaptureThread = "desktopCaptureT";
constexpr const char* kGpuThread = "Chrome_InProcGp";

// How long the GPU thread must be seen idle, in samples 10 ms apart.
constexpr int kSettledSamples = 10;

// The system call number of futex on this architecture: the one an idle thread of the web
// engine waits in (for its next task). A thread asleep in another call (a poll or a read on the
// X server's socket during its GL set-up) is still at work.
#if defined(__x86_64__)
constexpr long kFutexCall = 202;
#elif defined(__aarch64__)
constexpr long kFutexCall = 98;
#else
constexpr long kFutexCall = -1;  // unknown: asleep counts as idle
#endif

// How many GPU threads have entered the park (written in the signal handler).
std::atomic<int> g_parked{0};

// The park: sleeps for kGpuThreadParkTime on the thread the signal reached, then lets it go on.
// Only calls that are safe in a signal handler.
void park_this_thread(int)
{
    const int saved_errno = errno;
    g_parked.fetch_add(1, std::memory_order_relaxed);
    timespec left{static_cast<time_t>(kGpuThreadParkTime.count()), 0};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
    errno = saved_errno;
}

// Installs the park's handler once; false where the host already handles the signal.
bool install_park_handler()
{
    static const bool installed = [] {
        struct sigaction current {};
        if (sigaction(gpu_thread_park_signal(), nullptr, &current) != 0 || current.sa_handler != SIG_DFL ||
            (current.sa_flags & SA_SIGINFO) != 0)
            return false;
        struct sigaction park {};
        park.sa_handler = park_this_thread;
        sigfillset(&park.sa_mask);  // nothing else runs on a parked thread
        return sigaction(gpu_thread_park_signal(), &park, nullptr) == 0;
    }();
    return installed;
}

// The first line of /proc/self/task/<task>/<file>, empty when it cannot be read.
std::string task_file(const char* task, const char* file)
{
    const std::string path = std::string("/proc/self/task/") + task + "/" + file;
    std::FILE* stream = std::fopen(path.c_str(), "re");
    if (!stream)
        return {};
    char line[512] = {};
    const bool read = std::fgets(line, sizeof line, stream) != nullptr;
    std::fclose(stream);
    return read ? std::string(line, std::strcspn(line, "\n")) : std::string();
}

// A task's scheduling state from its stat line ("R" running, "S" asleep, "D" in a wait that
// cannot be interrupted, ...): the field after the name, which is in parentheses and may itself
// hold spaces and parentheses.
char task_state(const char* task)
{
    const std::string stat = task_file(task, "stat");
    const std::size_t end = stat.rfind(')');
    return end == std::string::npos || end + 2 >= stat.size() ? '?' : stat[end + 2];
}

// Whether a task is idle: asleep, and (where the call's number is known) in a futex wait.
bool task_idle(const char* task)
{
    if (task_state(task) != 'S')
        return false;
    if (kFutexCall < 0)
        return true;
    const std::string call = task_file(task, "syscall");  // "<number> <arguments...>" or "running"
    return !call.empty() && std::strtol(call.c_str(), nullptr, 10) == kFutexCall && call[0] != 'r';
}

// Whether a task blocks `signal`, from the "SigBlk:" line of its status (a hexadecimal mask in
// which signal n is bit n - 1).
bool task_blocks(const char* task, int signal)
{
    const std::string path = std::string("/proc/self/task/") + task + "/status";
    std::FILE* stream = std::fopen(path.c_str(), "re");
    if (!stream)
        return false;
    unsigned long long mask = 0;
    char line[256];
    while (std::fgets(line, sizeof line, stream))
        if (std::strncmp(line, "SigBlk:", 7) == 0)
            mask = std::strtoull(line + 7, nullptr, 16);
    std::fclose(stream);
    return signal >= 1 && signal <= 64 && (mask >> (signal - 1) & 1) != 0;
}

// The ids of the web engine's GPU threads that the park signal can reach. Threads the GPU thread
// starts inherit its name; the GL driver's workers among them block every signal, and wait only
// for work from the GPU thread, which the park stops.
std::vector<pid_t> gpu_threads()
{
    std::vector<pid_t> found;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return found;
    while (const dirent* task = readdir(tasks)) {
        if (task->d_name[0] != '.' && task_file(task->d_name, "comm").starts_with(kGpuThread) &&
            !task_blocks(task->d_name, gpu_thread_park_signal()))
            found.push_back(static_cast<pid_t>(std::strtol(task->d_name, nullptr, 10)));
    }
    closedir(tasks);
    return found;
}

// True when no capture thread runs and every GPU thread is idle.
bool threads_settled_now()
{
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return true;
    bool settled = true;
    while (const dirent* task = readdir(tasks)) {
        if (task->d_name[0] == '.')
            continue;
        const std::string name = task_file(task->d_name, "comm");
        if (name.starts_with(kCaptureThread) || (name.starts_with(kGpuThread) && !task_idle(task->d_name))) {
            settled = false;
            break;
        }
    }
    closedir(tasks);
    return settled;
}

}  // namespace

bool wait_for_web_engine_threads_to_settle(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int settled_samples = 0;
    while (settled_samples < kSettledSamples) {
        settled_samples = threads_settled_now() ? settled_samples + 1 : 0;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        const timespec pause{0, 10 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    return true;
}

int gpu_thread_park_signal()
{
    return SIGRTMAX - 2;
}

int park_web_engine_gpu_threads(std::chrono::milliseconds limit)
{
    const std::vector<pid_t> threads = gpu_threads();
    if (threads.empty())
        return 0;
    if (!install_park_handler())
        return -1;
    const int before = g_parked.load(std::memory_order_relaxed);
    int sent = 0;
    for (const pid_t thread : threads)
        sent += syscall(SYS_tgkill, getpid(), thread, gpu_thread_park_signal()) == 0 ? 1 : 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (g_parked.load(std::memory_order_relaxed) - before < sent && std::chrono::steady_clock::now() < deadline) {
        const timespec pause{0, 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    return g_parked.load(std::memory_order_relaxed) - before;
}

}  // namespace sorvane
