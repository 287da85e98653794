// The close button's two pictures as a Qt icon, the transparent colour see-through.
#include "ui/qt/CloseGlyph.h"

#include "ui/CloseGlyph.h"

#include <QImage>
#include <QPixmap>

namespace ui {

namespace {

QPixmap pixmapOf(const RgbImage& picture, std::uint32_t transparent)
{
    QImage image(picture.width, picture.height, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t rgb = picture.at(x, y);
            image.setPixel(x, y, rgb == transparent ? 0u : 0xFF000000u | rgb);
        }
    return QPixmap::fromImage(image);
}

}  // namespace

QIcon closeGlyph()
{
    const CloseGlyphPictures pictures = closeGlyphPictures();
    QIcon icon;
    icon.addPixmap(pixmapOf(pictures.normal, pictures.transparent), QIcon::Normal);
    icon.addPixmap(pixmapOf(pictures.disabled, pictures.transparent), QIcon::Disabled);
    return icon;
}

}  // namespace ui
