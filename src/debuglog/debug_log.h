// Optional binary debug log channel.
//
// Components encode small binary records and hand them to a process-wide
// queue. A background flusher wakes every 200 ms and forwards whatever has
// accumulated to a listener on a Unix stream socket. When no listener is
// connected, the records are dropped with a note on stderr.
//
// Record layout (host byte order, 24-byte header followed by the message):
//   offset  0  uint64  milliseconds since the Unix epoch
//   offset  8  uint64  hash of the writing thread's id
//   offset 16  uint8   field a
//   offset 17  uint8   field b
//   offset 18  uint8   field c
//   offset 19  uint8   field d
//   offset 20  uint32  message length in bytes
//   offset 24  ...     message bytes, no terminator
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace sorvane::debuglog {

// Where the debug listener is expected to be.
inline constexpr const char* kSocketPath = "/tmp/webview.debug.sock";

// Size of the fixed part of every record.
inline constexpr std::size_t kRecordHeaderSize = 24;

// Encoded records waiting for the flusher. The condition variable is part
// of the queue for anyone who wants to wait on it; the flusher itself polls.
struct RecordQueue {
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<std::vector<char>> records;
};

// The process-wide queue, created on first use and never destroyed, so the
// detached flusher can keep using it while the process exits.
RecordQueue& queue();

// Connects to the listener at `path`. Reports the failing call with perror
// and returns false when the socket cannot be created or connected.
bool open(const std::string& path);

// True while a connection made by open() is held.
bool is_connected();

// Starts the detached background thread that drains the queue every 200 ms.
// It runs until the process exits; call it once per process.
void start_flusher();

// Appends one record to `out` (existing contents are kept).
void encode_record(std::vector<char>& out, std::string_view message,
                   std::uint8_t a, std::uint8_t b, std::uint8_t c,
                   std::uint8_t d);

// Sends one buffer to the listener in full. Returns false, after reporting
// on stderr, when sending fails or no listener is connected.
bool send_buffer(const std::vector<char>& buffer);

// Hands an encoded buffer to the queue; the flusher sends it later.
void enqueue(std::vector<char> record);

// Encodes one record and queues it.
void log(std::string_view message, std::uint8_t a = 0, std::uint8_t b = 0,
         std::uint8_t c = 0, std::uint8_t d = 0);

// Test seam: closes the connection, if any, so the next test starts out
// disconnected. Not meant for production code.
void reset_for_tests();

}  // namespace sorvane::debuglog
