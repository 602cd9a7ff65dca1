#include "debuglog/debug_log.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace debuglog = sorvane::debuglog;

namespace {

template <typename T>
T read_at(const std::vector<char>& buffer, std::size_t offset)
{
    T value{};
    std::memcpy(&value, buffer.data() + offset, sizeof(T));
    return value;
}

std::uint64_t now_ms()
{
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::system_clock::now().time_since_epoch())
            .count());
}

std::vector<char> encoded(std::string_view message, std::uint8_t a = 0,
                          std::uint8_t b = 0, std::uint8_t c = 0,
                          std::uint8_t d = 0)
{
    std::vector<char> out;
    debuglog::encode_record(out, message, a, b, c, d);
    return out;
}

// Only one flusher may run per process; it never stops.
void ensure_flusher_started()
{
    static std::once_flag once;
    std::call_once(once, [] { debuglog::start_flusher(); });
}

// A Unix stream socket listening in a private temporary directory.
class Listener {
public:
    explicit Listener(const std::string& name = "sock")
    {
        char dir_template[] = "/tmp/debuglog_test.XXXXXX";
        const char* dir = ::mkdtemp(dir_template);
        EXPECT_NE(dir, nullptr);
        dir_ = dir ? dir : "";
        path_ = dir_ + "/" + name;

        listen_fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path_.c_str(), sizeof(address.sun_path) - 1);
        EXPECT_EQ(::bind(listen_fd_, reinterpret_cast<sockaddr*>(&address),
                         sizeof(address)), 0);
        EXPECT_EQ(::listen(listen_fd_, 1), 0);
    }

    ~Listener()
    {
        close_all();
        ::unlink(path_.c_str());
        ::rmdir(dir_.c_str());
    }

    const std::string& path() const { return path_; }

    bool accept_client()
    {
        client_fd_ = ::accept(listen_fd_, nullptr, nullptr);
        return client_fd_ != -1;
    }

    // Reads up to `size` bytes, waiting at most about two seconds.
    std::vector<char> receive(std::size_t size)
    {
        timeval timeout{2, 0};
        ::setsockopt(client_fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
        std::vector<char> data(size);
        std::size_t got = 0;
        while (got < size) {
            const ssize_t n = ::recv(client_fd_, data.data() + got, size - got, 0);
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        data.resize(got);
        return data;
    }

    void close_all()
    {
        close_fd(client_fd_);
        close_fd(listen_fd_);
    }

private:
    static void close_fd(int& fd)
    {
        if (fd != -1) {
            ::close(fd);
            fd = -1;
        }
    }

    std::string dir_;
    std::string path_;
    int listen_fd_ = -1;
    int client_fd_ = -1;
};

class DebugLogSocketTest : public ::testing::Test {
protected:
    void SetUp() override { debuglog::reset_for_tests(); }
    void TearDown() override { debuglog::reset_for_tests(); }
};

}  // namespace

TEST(DebugLogEncodingTest, RecordHasHeaderFieldsAndMessage)
{
    const std::string message = "Hello binary logging!";
    const std::uint64_t before = now_ms();
    const std::vector<char> record = encoded(message, 0, 1, 0, 0);

    ASSERT_EQ(record.size(), 45u);
    const auto timestamp = read_at<std::uint64_t>(record, 0);
    EXPECT_GE(timestamp + 1000, before);
    EXPECT_LE(timestamp, now_ms() + 1000);
    EXPECT_EQ(read_at<std::uint64_t>(record, 8),
              static_cast<std::uint64_t>(
                  std::hash<std::thread::id>{}(std::this_thread::get_id())));
    EXPECT_EQ(record[16], 0);
    EXPECT_EQ(record[17], 1);
    EXPECT_EQ(record[18], 0);
    EXPECT_EQ(record[19], 0);
    EXPECT_EQ(read_at<std::uint32_t>(record, 20), 21u);
    EXPECT_EQ(std::string(record.begin() + 24, record.end()), message);
}

TEST(DebugLogEncodingTest, EmptyMessageIsHeaderOnly)
{
    const std::vector<char> record = encoded("", 9, 8, 7, 6);

    ASSERT_EQ(record.size(), debuglog::kRecordHeaderSize);
    EXPECT_EQ(record[16], 9);
    EXPECT_EQ(record[19], 6);
    EXPECT_EQ(read_at<std::uint32_t>(record, 20), 0u);
}

TEST(DebugLogEncodingTest, AppendsToExistingBuffer)
{
    std::vector<char> buffer = {'x', 'y'};
    debuglog::encode_record(buffer, "two!", 2, 0, 0, 0);

    ASSERT_EQ(buffer.size(), 2 + 24 + 4u);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 2), "xy");
    EXPECT_EQ(buffer[2 + 16], 2);
    EXPECT_EQ(read_at<std::uint32_t>(buffer, 2 + 20), 4u);
    EXPECT_EQ(std::string(buffer.end() - 4, buffer.end()), "two!");
}

TEST_F(DebugLogSocketTest, OpenWithoutListenerFailsAndReportsConnect)
{
    Listener listener;
    listener.close_all();
    ::unlink(listener.path().c_str());

    testing::internal::CaptureStderr();
    const bool opened = debuglog::open(listener.path());
    const std::string err = testing::internal::GetCapturedStderr();

    EXPECT_FALSE(opened);
    EXPECT_FALSE(debuglog::is_connected());
    EXPECT_NE(err.find("connect"), std::string::npos) << err;
}

TEST_F(DebugLogSocketTest, SendWhileNotConnectedReportsAndFails)
{
    testing::internal::CaptureStderr();
    const bool sent = debuglog::send_buffer(encoded("lost"));
    const std::string err = testing::internal::GetCapturedStderr();

    EXPECT_FALSE(sent);
    EXPECT_EQ(err, "Socket not connected.\n");
}

TEST_F(DebugLogSocketTest, OverlongPathIsCutToFitTheAddress)
{
    // sun_path holds 108 bytes; the longest usable path is 107 characters.
    const std::string prefix = "/tmp/debuglog_test.XXXXXX/";
    const std::string name(107 - prefix.size(), 'n');
    Listener listener(name);
    ASSERT_EQ(listener.path().size(), 107u);

    EXPECT_TRUE(debuglog::open(listener.path()));
    EXPECT_TRUE(listener.accept_client());
    debuglog::reset_for_tests();

    // Anything beyond the 107th byte must be ignored, not overflow the address.
    EXPECT_TRUE(debuglog::open(listener.path() + "-ignored-tail"));
    EXPECT_TRUE(debuglog::is_connected());
}

TEST_F(DebugLogSocketTest, FlusherDeliversQueuedRecordsInOrder)
{
    Listener listener;
    ASSERT_TRUE(debuglog::open(listener.path()));
    ASSERT_TRUE(debuglog::is_connected());
    ASSERT_TRUE(listener.accept_client());

    const std::vector<char> first = encoded("first record", 0, 1, 0, 0);
    debuglog::enqueue(first);
    debuglog::log("second", 1, 2, 3, 4);
    ensure_flusher_started();

    const std::size_t expected_size = first.size() + 24 + 6;
    const std::vector<char> data = listener.receive(expected_size);
    ASSERT_EQ(data.size(), expected_size);

    EXPECT_TRUE(std::equal(first.begin(), first.end(), data.begin()));
    const std::vector<char> second(data.begin() + first.size(), data.end());
    EXPECT_EQ(second[16], 1);
    EXPECT_EQ(second[17], 2);
    EXPECT_EQ(second[18], 3);
    EXPECT_EQ(second[19], 4);
    EXPECT_EQ(read_at<std::uint32_t>(second, 20), 6u);
    EXPECT_EQ(std::string(second.begin() + 24, second.end()), "second");

    std::lock_guard<std::mutex> lock(debuglog::queue().mutex);
    EXPECT_TRUE(debuglog::queue().records.empty());
}

TEST_F(DebugLogSocketTest, VanishedListenerFailsSendWithoutSigpipe)
{
    Listener listener;
    ASSERT_TRUE(debuglog::open(listener.path()));
    ASSERT_TRUE(listener.accept_client());
    listener.close_all();

    // The first send after the peer closes may still be buffered; keep
    // going until the failure surfaces. Reaching the end at all shows
    // SIGPIPE did not kill the process.
    const std::vector<char> record = encoded("nobody listens");
    testing::internal::CaptureStderr();
    bool sent = true;
    for (int attempt = 0; attempt < 50 && sent; ++attempt) {
        sent = debuglog::send_buffer(record);
    }
    const std::string err = testing::internal::GetCapturedStderr();

    EXPECT_FALSE(sent);
    EXPECT_NE(err.find("send"), std::string::npos) << err;
}
