// The picture of the close button, drawn by the project.
#pragma once

#include <QIcon>
#include <QSize>

namespace ui {

inline constexpr QSize kCloseGlyphSize{18, 18};

// The red cross for the usable button and its grey outline for the disabled one; the
// background shows through.
QIcon closeGlyph();

}  // namespace ui
