#pragma once

// A picture read back from a texture, and a PNG writer for it, without Qt: the stand-in host's
// demo runs where no Qt is installed, as a game engine does.

#include <string>
#include <vector>

namespace standin {

struct RgbaImage {
    int width = 0;
    int height = 0;
    // width * height * 4 bytes, rows top to bottom, tightly packed: R, G, B, A with the colour
    // premultiplied by alpha, as Qt renders it.
    std::vector<unsigned char> bytes;
};

// Writes `image` as an 8-bit RGBA PNG file with straight (not premultiplied) alpha, as image
// viewers and QImage expect. Returns false (and prints why on stderr) on failure.
bool write_png(const RgbaImage& image, const std::string& path);

}  // namespace standin
