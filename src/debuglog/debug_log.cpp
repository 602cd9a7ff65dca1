#include "debuglog/debug_log.h"

#include <sys/socket.h>
#include <sys/types.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <limits>
#include <thread>
#include <utility>

namespace sorvane::debuglog {

namespace {

// Descriptor of the connection to the listener, -1 while not connected.
// Atomic because the flusher thread reads it while other threads may
// open or close the connection.
std::atomic<int> g_socket{-1};

constexpr long kFlushIntervalNs = 200'000'000;  // 200 ms

// Appends the raw bytes of `value` to `out`.
template <typename T>
void append_raw(std::vector<char>& out, const T& value)
{
    const char* bytes = reinterpret_cast<const char*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

std::uint64_t milliseconds_since_epoch()
{
    const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch);
    return static_cast<std::uint64_t>(ms.count());
}

std::uint64_t current_thread_tag()
{
    return static_cast<std::uint64_t>(
        std::hash<std::thread::id>{}(std::this_thread::get_id()));
}

// Sleeps for one flush interval, resuming after signal interruptions.
void sleep_one_interval()
{
    timespec request{0, kFlushIntervalNs};
    timespec remaining{};
    while (nanosleep(&request, &remaining) == -1 && errno == EINTR) {
        request = remaining;
    }
}

// Writes all of `buffer` to `fd`. MSG_NOSIGNAL keeps a vanished listener
// from killing the process with SIGPIPE; send() reports EPIPE instead.
bool send_all(int fd, const std::vector<char>& buffer)
{
    std::size_t sent = 0;
    while (sent < buffer.size()) {
        const ssize_t n = ::send(fd, buffer.data() + sent, buffer.size() - sent,
                                 MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::perror("send");
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::deque<std::vector<char>> take_queued_records()
{
    std::deque<std::vector<char>> taken;
    RecordQueue& q = queue();
    std::lock_guard<std::mutex> lock(q.mutex);
    taken.swap(q.records);
    return taken;
}

void flush_forever()
{
    for (;;) {
        sleep_one_interval();
        for (const std::vector<char>& buffer : take_queued_records()) {
            send_buffer(buffer);
        }
    }
}

}  // namespace

RecordQueue& queue()
{
    // Deliberately leaked: the detached flusher may still touch the queue
    // while static objects are being destroyed at exit.
    static RecordQueue* instance = new RecordQueue;
    return *instance;
}

bool open(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    g_socket = fd;
    if (fd == -1) {
        std::perror("socket");
        return false;
    }

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // Leave the last byte of sun_path zero so the path stays terminated.
    const std::size_t length = std::min(path.size(), sizeof(address.sun_path) - 1);
    std::memcpy(address.sun_path, path.data(), length);

    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address),
                  sizeof(sockaddr_un)) == -1) {
        std::perror("connect");
        ::close(fd);
        g_socket = -1;
        return false;
    }
    return true;
}

bool is_connected()
{
    return g_socket != -1;
}

void start_flusher()
{
    std::thread(flush_forever).detach();
}

void encode_record(std::vector<char>& out, std::string_view message,
                   std::uint8_t a, std::uint8_t b, std::uint8_t c,
                   std::uint8_t d)
{
    // The length field has 32 bits; a longer message is cut to what it can state, so the
    // record still says exactly how many bytes follow and the stream stays readable.
    message = message.substr(0, std::numeric_limits<std::uint32_t>::max());
    out.reserve(out.size() + kRecordHeaderSize + message.size());
    append_raw(out, milliseconds_since_epoch());
    append_raw(out, current_thread_tag());
    append_raw(out, a);
    append_raw(out, b);
    append_raw(out, c);
    append_raw(out, d);
    append_raw(out, static_cast<std::uint32_t>(message.size()));
    out.insert(out.end(), message.begin(), message.end());
}

bool send_buffer(const std::vector<char>& buffer)
{
    const int fd = g_socket;
    if (fd == -1) {
        std::fputs("Socket not connected.\n", stderr);
        return false;
    }
    return send_all(fd, buffer);
}

void enqueue(std::vector<char> record)
{
    RecordQueue& q = queue();
    std::lock_guard<std::mutex> lock(q.mutex);
    q.records.push_back(std::move(record));
}

void log(std::string_view message, std::uint8_t a, std::uint8_t b,
         std::uint8_t c, std::uint8_t d)
{
    std::vector<char> record;
    encode_record(record, message, a, b, c, d);
    enqueue(std::move(record));
}

void reset_for_tests()
{
    const int fd = g_socket.exchange(-1);
    if (fd != -1) {
        ::close(fd);
    }
}

}  // namespace sorvane::debuglog
