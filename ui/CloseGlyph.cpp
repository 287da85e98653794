// Cuts the close button's two pictures out of their strip.
#include "ui/CloseGlyph.h"

#include "ui/CloseGlyph.xpm"
#include "ui/FormDesign.h"

#include <iterator>
#include <span>
#include <stdexcept>

namespace ui {

CloseGlyphPictures closeGlyphPictures()
{
    constexpr int size = design::kCloseGlyphSize;
    const auto strip = parseXpm(std::span<const char* const>(std::begin(kCloseGlyphXpm), std::end(kCloseGlyphXpm)));
    if (!strip || strip->width != 2 * size || strip->height != size)
        throw std::runtime_error("the close button's picture is not two 18 x 18 images");
    return {strip->part(0, 0, size, size), strip->part(size, 0, size, size), strip->at(0, strip->height - 1)};
}

}  // namespace ui
