// Texts between the program (Windows-1250 bytes, or Unicode) and the terminal's encoding.
#pragma once

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <string>
#include <string_view>

namespace cli {

// The encoding of the locale's LC_CTYPE (setlocale must have run). A UTF-8 locale gets
// UTF-8; another one with a known character set gets that set, a character it lacks
// becoming '?'. Plain ASCII (the C and POSIX locales) gets the letters without their
// accents ("dokončena" becomes "dokoncena"), which any terminal shows.
class TerminalText {
public:
    TerminalText();

    std::string fromUnicode(const QString& text);
    std::string fromWindows1250(std::string_view bytes);
    QString toUnicode(std::string_view terminalBytes);
    // A command-line argument, as the program's texts and the server want it.
    std::string toWindows1250(std::string_view terminalBytes);

    bool asciiOnly() const noexcept { return asciiOnly_; }

private:
    bool utf8_ = false;
    bool asciiOnly_ = false;
    QStringEncoder encoder_;
    QStringDecoder decoder_;
};

// `text` with accents dropped and whatever is still beyond ASCII as '?'.
std::string asciiFolded(const QString& text);

}  // namespace cli
