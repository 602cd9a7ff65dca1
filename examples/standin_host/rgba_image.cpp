#include "standin_host/rgba_image.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace standin {

namespace {

void put_u32(std::vector<unsigned char>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

// Appends one chunk: length, type, data, CRC over type and data.
void put_chunk(std::vector<unsigned char>& out, const char type[4], const std::vector<unsigned char>& data)
{
    put_u32(out, static_cast<uint32_t>(data.size()));
    const size_t type_at = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + type_at, static_cast<uInt>(out.size() - type_at));
    put_u32(out, static_cast<uint32_t>(crc));
}

}  // namespace

bool write_png(const RgbaImage& image, const std::string& path)
{
    const size_t row_bytes = size_t(image.width) * 4;
    if (image.width <= 0 || image.height <= 0 || image.bytes.size() != row_bytes * size_t(image.height)) {
        std::fprintf(stderr, "standin host: cannot save %s: a %dx%d image with %zu bytes\n", path.c_str(),
                     image.width, image.height, image.bytes.size());
        return false;
    }

    // Each row: filter type 0 (none), then the pixels with the alpha taken out of the colour.
    std::vector<unsigned char> raw;
    raw.reserve((row_bytes + 1) * size_t(image.height));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        const unsigned char* p = image.bytes.data() + size_t(y) * row_bytes;
        for (int x = 0; x < image.width; ++x, p += 4) {
            const unsigned a = p[3];
            for (int c = 0; c < 3; ++c) {
                const unsigned v = a == 0 ? 0u : a == 255 ? p[c] : std::min(255u, (p[c] * 255u + a / 2) / a);
                raw.push_back(static_cast<unsigned char>(v));
            }
            raw.push_back(static_cast<unsigned char>(a));
        }
    }
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packed_size);
    if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) {
        std::fprintf(stderr, "standin host: cannot save %s: compression failed\n", path.c_str());
        return false;
    }
    packed.resize(packed_size);

    std::vector<unsigned char> header;
    put_u32(header, static_cast<uint32_t>(image.width));
    put_u32(header, static_cast<uint32_t>(image.height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filters, no interlace

    std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    put_chunk(file, "IHDR", header);
    put_chunk(file, "IDAT", packed);
    put_chunk(file, "IEND", {});

    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "standin host: cannot save %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "standin host: cannot save %s: write failed\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace standin
