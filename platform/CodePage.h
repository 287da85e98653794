// Conversion between the program's single-byte Windows-1250 texts and Unicode.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace platform {

// Decodes Windows-1250 bytes. The five bytes the code page leaves undefined come back
// as the C1 control of the same number, so every byte string survives a round trip.
QString fromWindows1250(std::string_view bytes);

// Encodes to Windows-1250; each character the code page cannot hold becomes '?',
// as the Windows conversion does with its default character.
std::string toWindows1250(const QString& text);

// True when every character of `text` has a Windows-1250 byte.
bool fitsWindows1250(const QString& text);

}  // namespace platform
