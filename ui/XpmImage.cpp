// A reader for the XPM subset the project's pictures use: one visual ("c"), colours
// written as #RRGGBB, any number of characters per pixel.
#include "ui/XpmImage.h"

#include <charconv>
#include <map>
#include <sstream>
#include <string>
#include <string_view>

namespace ui {

namespace {

struct Header {
    int width = 0;
    int height = 0;
    int colourCount = 0;
    int charactersPerPixel = 0;
};

std::optional<Header> readHeader(const char* line)
{
    std::istringstream fields(line);
    Header header;
    if (!(fields >> header.width >> header.height >> header.colourCount >> header.charactersPerPixel))
        return std::nullopt;
    const bool sensible = header.width > 0 && header.height > 0 && header.colourCount > 0 &&
                          header.charactersPerPixel > 0 && header.width <= 4096 && header.height <= 4096;
    return sensible ? std::optional<Header>(header) : std::nullopt;
}

// "<code> c #RRGGBB": the colour of one pixel code.
std::optional<std::uint32_t> readColour(std::string_view definition)
{
    std::istringstream fields{std::string(definition)};
    std::string visual, value;
    if (!(fields >> visual >> value) || visual != "c" || value.size() != 7 || value[0] != '#')
        return std::nullopt;
    std::uint32_t colour = 0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data() + 1, end, colour, 16);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return colour;
}

}  // namespace

RgbImage RgbImage::part(int x, int y, int partWidth, int partHeight) const
{
    RgbImage result{partWidth, partHeight, {}};
    result.pixels.reserve(static_cast<std::size_t>(partWidth * partHeight));
    for (int row = y; row < y + partHeight; ++row)
        for (int column = x; column < x + partWidth; ++column)
            result.pixels.push_back(at(column, row));
    return result;
}

std::optional<RgbImage> parseXpm(std::span<const char* const> lines)
{
    if (lines.empty())
        return std::nullopt;
    const auto header = readHeader(lines[0]);
    if (!header || lines.size() != static_cast<std::size_t>(1 + header->colourCount + header->height))
        return std::nullopt;
    const auto codeLength = static_cast<std::size_t>(header->charactersPerPixel);

    std::map<std::string_view, std::uint32_t> colours;
    for (int i = 0; i < header->colourCount; ++i) {
        const std::string_view line = lines[static_cast<std::size_t>(1 + i)];
        if (line.size() <= codeLength)
            return std::nullopt;
        const auto colour = readColour(line.substr(codeLength));
        if (!colour)
            return std::nullopt;
        colours[line.substr(0, codeLength)] = *colour;
    }

    RgbImage image{header->width, header->height, {}};
    image.pixels.reserve(static_cast<std::size_t>(header->width * header->height));
    for (int y = 0; y < header->height; ++y) {
        const std::string_view row = lines[static_cast<std::size_t>(1 + header->colourCount + y)];
        if (row.size() != codeLength * static_cast<std::size_t>(header->width))
            return std::nullopt;
        for (std::size_t at = 0; at < row.size(); at += codeLength) {
            const auto colour = colours.find(row.substr(at, codeLength));
            if (colour == colours.end())
                return std::nullopt;
            image.pixels.push_back(colour->second);
        }
    }
    return image;
}

}  // namespace ui
