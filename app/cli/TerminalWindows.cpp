// The terminal's encoding on Windows: the texts stay UTF-8, which platform::writeText
// gives a console as UTF-16.
#include "app/cli/Terminal.h"

namespace cli {

Terminal::Terminal() : codeset_("UTF-8"), utf8_(true) {}

std::string Terminal::message(std::string_view utf8) const
{
    return std::string(utf8);
}

std::string Terminal::escaped(std::string_view utf8) const
{
    return escapedText(utf8, false);
}

std::string Terminal::argument(std::string_view localBytes) const
{
    return std::string(localBytes);
}

}  // namespace cli
