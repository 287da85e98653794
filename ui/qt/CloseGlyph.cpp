// Cuts the close button's two pictures out of their strip and makes the olive transparent.
#include "ui/qt/CloseGlyph.h"

#include "ui/CloseGlyph.xpm"

#include <QBitmap>
#include <QPixmap>

namespace ui {

namespace {

// As with a bitmap button's picture, the colour of the bottom-left pixel is transparent.
QPixmap withTransparentBackground(const QPixmap& strip)
{
    const QColor background = strip.toImage().pixelColor(0, strip.height() - 1);
    QPixmap result = strip;
    result.setMask(strip.createMaskFromColor(background, Qt::MaskInColor));
    return result;
}

}  // namespace

QIcon closeGlyph()
{
    const QPixmap strip = withTransparentBackground(QPixmap(kCloseGlyphXpm));
    const int width = kCloseGlyphSize.width();
    QIcon icon;
    icon.addPixmap(strip.copy(0, 0, width, kCloseGlyphSize.height()), QIcon::Normal);
    icon.addPixmap(strip.copy(width, 0, width, kCloseGlyphSize.height()), QIcon::Disabled);
    return icon;
}

}  // namespace ui
