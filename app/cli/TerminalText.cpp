// Choosing the terminal's encoding from the locale and converting to and from it.
#include "app/cli/TerminalText.h"

#include "platform/CodePage.h"

#include <langinfo.h>

#include <array>

namespace cli {

namespace {

// The names glibc gives the character set of the C and POSIX locales.
constexpr std::array<std::string_view, 3> kAsciiCodesets = {"ANSI_X3.4-1968", "ASCII", "US-ASCII"};

bool isAsciiCodeset(std::string_view codeset)
{
    for (std::string_view ascii : kAsciiCodesets)
        if (codeset == ascii)
            return true;
    return false;
}

bool isUtf8Codeset(std::string_view codeset)
{
    return codeset == "UTF-8" || codeset == "utf8" || codeset == "UTF8";
}

}  // namespace

TerminalText::TerminalText()
{
    const std::string codeset = nl_langinfo(CODESET);
    if (isUtf8Codeset(codeset)) {
        utf8_ = true;
    } else if (!isAsciiCodeset(codeset)) {
        encoder_ = QStringEncoder(codeset.c_str());
        decoder_ = QStringDecoder(codeset.c_str());
    }
    // A character set Qt does not know is treated like ASCII: readable, if plainer.
    asciiOnly_ = !utf8_ && !encoder_.isValid();
}

std::string TerminalText::fromUnicode(const QString& text)
{
    if (utf8_)
        return text.toStdString();
    if (asciiOnly_)
        return asciiFolded(text);
    const QByteArray bytes = encoder_.encode(text);
    return bytes.toStdString();
}

std::string TerminalText::fromWindows1250(std::string_view bytes)
{
    return fromUnicode(platform::fromWindows1250(bytes));
}

QString TerminalText::toUnicode(std::string_view terminalBytes)
{
    const QByteArrayView bytes(terminalBytes.data(), static_cast<qsizetype>(terminalBytes.size()));
    if (utf8_ || asciiOnly_)
        return QString::fromUtf8(bytes);
    return decoder_.decode(bytes);
}

std::string TerminalText::toWindows1250(std::string_view terminalBytes)
{
    return platform::toWindows1250(toUnicode(terminalBytes));
}

std::string asciiFolded(const QString& text)
{
    std::string folded;
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;  // the accent of the letter just written
        if (c.isLowSurrogate())
            continue;  // the second half of a character already written as '?'
        folded += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '?';
    }
    return folded;
}

}  // namespace cli
