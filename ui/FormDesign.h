// The main window's design for every toolkit: places, sizes, captions, font, tab order and
// the default button. The Win32 window is built from it. The Qt window's Designer form
// (ui/qt/MainWindow.ui) repeats the places and captions, because Designer keeps its own;
// a test checks that form against this one, and both windows' tests are checked against it.
#pragma once

#include "update/Texts.h"

#include <array>
#include <string_view>

namespace ui::design {

// A place in the parent's client area, in pixels at 96 pixels per inch.
struct Place {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Place&) const = default;
};

enum class Parent { Window, GroupBox1 };

struct Control {
    std::string_view name;
    Parent parent;
    // A width and height of 0: as large as the control's text in the design's font.
    Place place;
    std::string_view caption;
};

inline constexpr std::string_view kWindowCaption = "Import";
// The client area, and the outer size with the classic frame and title bar.
inline constexpr int kClientWidth = 499;
inline constexpr int kClientHeight = 147;
inline constexpr int kOuterWidth = 507;
inline constexpr int kOuterHeight = 174;

inline constexpr std::string_view kFontFamily = "MS Sans Serif";
// 8 point at 96 pixels per inch, the character height without the internal leading;
// given in pixels so that text and controls, whose places are pixels, keep their
// proportions on a screen of any density.
inline constexpr int kFontPixelHeight = 11;

inline constexpr Control kGroupBox1{"GroupBox1", Parent::Window, {8, 8, 481, 121}, "  Database  "};
inline constexpr Control kLabel1{"Label1", Parent::GroupBox1, {24, 24, 0, 0}, "Server:"};
inline constexpr Control kEdit1{"Edit1", Parent::GroupBox1, {72, 16, 129, 21}, "localhost"};
inline constexpr Control kBitBtn3{"BitBtn3", Parent::Window, {248, 72, 105, 25}, update::kCaptionStart};
inline constexpr Control kBitBtn4{"BitBtn4", Parent::Window, {376, 72, 75, 25}, "Zavřít"};

inline constexpr std::array kControls{kGroupBox1, kLabel1, kEdit1, kBitBtn3, kBitBtn4};

// Tab walks these in turn and comes back to the first; the keyboard starts in the first.
inline constexpr std::array kTabOrder{kEdit1.name, kBitBtn3.name, kBitBtn4.name};
// Enter anywhere in the window presses it.
inline constexpr std::string_view kDefaultButton = kBitBtn3.name;

// The close button's picture beside its caption.
inline constexpr int kCloseGlyphSize = 18;

}  // namespace ui::design
