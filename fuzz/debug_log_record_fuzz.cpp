// The debug-log record encoder. Records appended one after another to a buffer that already
// held bytes decode back, in order, to their fields and messages: the buffer's own bytes stay,
// each header carries the message's length, and nothing is left over.
//
// Input: a byte count of bytes already in the buffer (0..31) and those bytes, then records, each
// four field bytes, a length byte and that many message bytes (the last record takes what is
// left).

#include "debuglog/debug_log.h"
#include "fuzz_support.h"

#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

struct Record {
    std::uint8_t a, b, c, d;
    std::string message;
};

template <typename T>
T read_at(const std::vector<char>& buffer, std::size_t offset)
{
    T value;
    std::memcpy(&value, buffer.data() + offset, sizeof(T));
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    namespace dl = sorvane::debuglog;
    sorvane::fuzz::ByteReader input(data, size);
    const std::string prefix = input.bytes(input.byte() % 32);
    std::vector<Record> records;
    do {
        Record r{input.byte(), input.byte(), input.byte(), input.byte(), {}};
        const std::uint8_t length = input.byte();
        r.message = length == 0xff ? input.rest() : input.bytes(length);
        records.push_back(std::move(r));
    } while (!input.empty() && records.size() < 64);

    std::vector<char> buffer(prefix.begin(), prefix.end());
    for (const Record& r : records)
        dl::encode_record(buffer, r.message, r.a, r.b, r.c, r.d);

    // Decode what was written.
    FUZZ_CHECK(buffer.size() >= prefix.size());
    FUZZ_CHECK(std::string_view(buffer.data(), prefix.size()) == prefix);
    const auto thread_tag =
        static_cast<std::uint64_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
    std::size_t offset = prefix.size();
    std::uint64_t previous_ms = 0;
    for (const Record& r : records) {
        FUZZ_CHECK(buffer.size() - offset >= dl::kRecordHeaderSize);
        const auto ms = read_at<std::uint64_t>(buffer, offset);
        FUZZ_CHECK(ms > 1'500'000'000'000ull);  // some time after 2017
        FUZZ_CHECK(ms + 60'000 >= previous_ms);  // clocks may step back a little, not far
        previous_ms = ms;
        FUZZ_CHECK(read_at<std::uint64_t>(buffer, offset + 8) == thread_tag);
        FUZZ_CHECK(static_cast<std::uint8_t>(buffer[offset + 16]) == r.a);
        FUZZ_CHECK(static_cast<std::uint8_t>(buffer[offset + 17]) == r.b);
        FUZZ_CHECK(static_cast<std::uint8_t>(buffer[offset + 18]) == r.c);
        FUZZ_CHECK(static_cast<std::uint8_t>(buffer[offset + 19]) == r.d);
        const auto length = read_at<std::uint32_t>(buffer, offset + 20);
        FUZZ_CHECK(length == r.message.size());
        offset += dl::kRecordHeaderSize;
        FUZZ_CHECK(buffer.size() - offset >= length);
        FUZZ_CHECK(std::string_view(buffer.data() + offset, length) == r.message);
        offset += length;
    }
    FUZZ_CHECK(offset == buffer.size());
    return 0;
}
