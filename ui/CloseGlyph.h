// The close button's two pictures, read from the project's XPM text for every toolkit.
#pragma once

#include "ui/XpmImage.h"

#include <cstdint>

namespace ui {

struct CloseGlyphPictures {
    RgbImage normal;    // the red cross of the usable button
    RgbImage disabled;  // its grey outline
    // Pixels of this colour let the button's face show through: as with every bitmap
    // button, the colour of the strip's bottom-left pixel.
    std::uint32_t transparent = 0;
};

// Throws std::runtime_error when the XPM text is not two square pictures side by side of
// the design's size.
CloseGlyphPictures closeGlyphPictures();

}  // namespace ui
