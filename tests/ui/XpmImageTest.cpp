// The project's own XPM reader, which the Win32 window draws the close button's picture
// with, against Qt's reading of the same text, and on text that is not a picture.
#include "ui/XpmImage.h"

#include "ui/CloseGlyph.xpm"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace {

std::optional<ui::RgbImage> parsed(const std::vector<const char*>& lines)
{
    return ui::parseXpm(lines);
}

TEST(XpmImage, ReadsTheCloseGlyphPixelForPixelAsQtDoes)
{
    const auto ours = ui::parseXpm(std::span<const char* const>(std::begin(kCloseGlyphXpm), std::end(kCloseGlyphXpm)));
    ASSERT_TRUE(ours.has_value());
    const QImage qt = QPixmap(kCloseGlyphXpm).toImage();
    ASSERT_EQ(ours->width, qt.width());
    ASSERT_EQ(ours->height, qt.height());
    int differences = 0;
    for (int y = 0; y < qt.height(); ++y)
        for (int x = 0; x < qt.width(); ++x)
            differences += ours->at(x, y) != (qt.pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(differences, 0);
    EXPECT_EQ(ours->at(0, ours->height - 1), 0x808000u) << "olive bottom-left, the transparent colour";
}

TEST(XpmImage, TakesSeveralCharactersPerPixelAndCutsParts)
{
    const auto image = parsed({"3 2 2 2", "aa c #010203", "bb c #FFFFFF", "aabbaa", "bbbbaa"});
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->pixels, (std::vector<std::uint32_t>{0x010203, 0xFFFFFF, 0x010203, 0xFFFFFF, 0xFFFFFF, 0x010203}));
    const ui::RgbImage part = image->part(1, 0, 2, 2);
    EXPECT_EQ(part.pixels, (std::vector<std::uint32_t>{0xFFFFFF, 0x010203, 0xFFFFFF, 0x010203}));
}

TEST(XpmImage, RefusesTextThatIsNotAPictureItKnows)
{
    const struct {
        const char* description;
        std::vector<const char*> lines;
    } cases[] = {
        {"nothing", {}},
        {"header not numbers", {"two 1 1 1", ". c #000000", "."}},
        {"zero width", {"0 1 1 1", ". c #000000", ""}},
        {"a row missing", {"1 2 1 1", ". c #000000", "."}},
        {"row too short", {"2 1 1 1", ". c #000000", "."}},
        {"unknown pixel code", {"1 1 1 1", ". c #000000", "x"}},
        {"colour by name", {"1 1 1 1", ". c red", "."}},
        {"colour None", {"1 1 1 1", ". c None", "."}},
        {"colour not hex", {"1 1 1 1", ". c #00GG00", "."}},
        {"monochrome visual only", {"1 1 1 1", ". m #000000", "."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_FALSE(parsed(c.lines).has_value());
    }
}

}  // namespace
