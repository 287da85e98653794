// Reads a picture kept as XPM text in the source, so that every toolkit's window draws
// the same picture from the same file without a toolkit of its own to read it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ui {

// Colours as 0xRRGGBB, row by row from the top.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    // The region of the image at (x, y) of the given size, which must lie inside it.
    RgbImage part(int x, int y, int partWidth, int partHeight) const;
};

// The image that XPM text (its strings, one per element, as an XPM file declares them)
// describes; nullopt when the text is not XPM or uses a colour other than "c #RRGGBB".
std::optional<RgbImage> parseXpm(std::span<const char* const> lines);

}  // namespace ui
