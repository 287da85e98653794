// The close button's picture for the Qt window.
#pragma once

#include <QIcon>

namespace ui {

// The red cross for the usable button and its grey outline for the disabled one; the
// background shows through.
QIcon closeGlyph();

}  // namespace ui
