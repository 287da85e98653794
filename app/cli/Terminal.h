// Texts on their way to the terminal: the program's messages in the locale's encoding,
// and names and statements escaped so that they can be recovered exactly.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace cli {

class Terminal {
public:
    // Takes the encoding of the locale's LC_CTYPE (setlocale must have run). On Windows
    // the texts stay UTF-8: platform::writeText gives a console UTF-16 and anything else
    // the UTF-8 bytes. (One file per system: TerminalPosix.cpp, TerminalWindows.cpp.)
    Terminal();

    // A message: in a locale that cannot show a letter, the letter loses its accent
    // ("dokončena" becomes "dokoncena") or becomes '?'.
    std::string message(std::string_view utf8) const;

    // A name, a statement or a server's text, escaped so that it reads back exactly:
    // control characters (DEL and C1 included) and the backslash as \n, \r, \t, \\,
    // \xNN, and a character the locale cannot show as \u{XXXX}. Plain printable text
    // stays as it is.
    std::string escaped(std::string_view utf8) const;

    // A file's path: control characters escaped like a name's, backslashes left as they
    // are (they separate a Windows path's folders).
    std::string path(std::string_view utf8) const;

    // A command-line argument in the locale's encoding, as UTF-8.
    std::string argument(std::string_view localBytes) const;

private:
    std::string codeset_;
    bool utf8_ = true;
};

// `utf8` with every control character and backslash escaped, and every character
// outside ASCII escaped as \u{XXXX} too when `asciiOnly`.
std::string escapedText(std::string_view utf8, bool asciiOnly, bool escapeBackslash = true);

// Replaces %1, %2, ... in `pattern` by the arguments in order.
std::string fill(std::string_view pattern, std::initializer_list<std::string_view> arguments);

}  // namespace cli
