// Conversion between UTF-8, the program's own texts, and Windows-1250, the code page of
// the database session and the configuration file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Decodes Windows-1250 bytes. The five bytes the code page leaves undefined come back
// as the C1 control of the same number (as Windows decodes them), so every byte string
// survives a round trip through toWindows1250.
std::string windows1250ToUtf8(std::string_view bytes);

// Encodes UTF-8 text; each character the code page cannot hold becomes '?', as the
// Windows conversion does with its default character. A byte that is not UTF-8 becomes
// '?' too.
std::string utf8ToWindows1250(std::string_view text);


// Why this machine cannot convert Windows-1250, or nullopt when it can. Checked once
// at start-up: without the conversion every Czech text would turn into '?'.
std::optional<std::string> windows1250Unavailable();

// UTF-16LE or UTF-16BE (a file's text after its byte order mark) as UTF-8; unpaired
// surrogates become U+FFFD, an odd last byte is dropped.
std::string utf16leToUtf8(std::string_view bytes);
std::string utf16beToUtf8(std::string_view bytes);

// What the byte order mark at the start of a file says, as Windows reads text files:
// UTF-8, UTF-16LE or UTF-16BE after their marks, anything else unmarked.
enum class TextEncoding { Unmarked, Utf8, Utf16le, Utf16be };
struct ByteOrderMark {
    TextEncoding encoding = TextEncoding::Unmarked;
    std::size_t length = 0;  // of the mark, in bytes
};
ByteOrderMark byteOrderMarkOf(std::string_view start);

// A whole text file's bytes as UTF-8: decoded after a byte order mark (the mark dropped),
// taken as UTF-8 without one.
std::string markedTextToUtf8(std::string_view bytes);

// The first character of `text`: its length in bytes and its code point; length 0 when
// the bytes there are not UTF-8 (overlong forms and surrogates included).
struct Utf8Character {
    std::size_t length = 0;
    char32_t codePoint = 0;
};
Utf8Character decodeUtf8(std::string_view text);

// `bytes` decoded as Windows' own UTF-8 decoder (MultiByteToWideChar) decodes them, as
// valid UTF-8 with one U+FFFD for each invalid sequence. An invalid sequence runs from its
// first byte to the first byte that cannot continue it (which starts the next one) or to
// the byte that shows it to be an overlong form, a surrogate or beyond U+10FFFF (which
// belongs to it); the end of `bytes` cuts one short as such a byte would. (Wine's decoder
// alone takes everything after a lead byte whose sequence would run past the end as part
// of it, reading past its input's end; here the rule it keeps everywhere else holds.)
std::string utf8AsWindowsDecodesIt(std::string_view bytes);

// How many bytes a UTF-8 sequence with this first byte has in all, as that decoder counts:
// 1 for ASCII and for a byte that starts none.
std::size_t utf8SequenceLength(unsigned char lead);

// The UTF-16 units of the character that starts with byte `lead` of valid UTF-8: 2 beyond
// the basic plane, 0 for a continuation byte, else 1.
std::size_t utf16UnitsOfLead(unsigned char lead);

#if defined(_WIN32)
// UTF-8 to and from UTF-16, the texts of Windows' W functions.
std::wstring utf8ToWide(std::string_view text);
std::string wideToUtf8(std::wstring_view wide);
#endif

// Appends the UTF-8 form of `codePoint`.
void appendUtf8(std::string& out, char32_t codePoint);

}  // namespace platform
