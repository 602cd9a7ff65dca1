#pragma once

// Shared by the fuzz targets: a reader that takes a fuzz input apart, and a check that stops the
// run on a broken property (libFuzzer then keeps the input as a crash artifact).

#include <sorvane/db.h>

#include <QtGlobal>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

namespace sorvane::fuzz {

// Takes bytes off the front of the input; past the end every read gives zeros.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t byte()
    {
        return m_offset < m_size ? m_data[m_offset++] : 0;
    }

    template <typename T>
    T raw()
    {
        T value{};
        const std::size_t n = std::min(sizeof(T), m_size - m_offset);
        std::memcpy(&value, m_data + m_offset, n);
        m_offset += n;
        return value;
    }

    // Up to `limit` bytes.
    std::string bytes(std::size_t limit)
    {
        const std::size_t n = std::min(limit, m_size - m_offset);
        std::string out(reinterpret_cast<const char*>(m_data + m_offset), n);
        m_offset += n;
        return out;
    }

    std::string rest() { return bytes(m_size - m_offset); }
    bool empty() const { return m_offset >= m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_offset = 0;
};

// Qt's warnings about refused input are expected here by the thousand; printing them would
// only slow the run down.
inline void silence_qt_messages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

// A declared type from one byte: every type of the table, and two values outside it.
inline sorvane::db::VariantTypeStd variant_type_from(std::uint8_t b)
{
    using T = sorvane::db::VariantTypeStd;
    b %= 44;
    if (b == 42)
        return static_cast<T>(-1);
    if (b == 43)
        return static_cast<T>(1000);
    return static_cast<T>(b);
}

}  // namespace sorvane::fuzz
