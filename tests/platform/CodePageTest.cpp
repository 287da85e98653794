// Windows-1250 to and from UTF-8: every byte survives, Czech letters are the right
// bytes, and what the code page lacks becomes '?'.
#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace {

using platform::utf8ToWindows1250;
using platform::windows1250ToUtf8;

TEST(CodePage, IsAvailableOnThisMachine)
{
    EXPECT_EQ(platform::windows1250Unavailable(), std::nullopt);
}

TEST(CodePage, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += static_cast<char>(byte);
    const std::string text = windows1250ToUtf8(all);
    EXPECT_EQ(utf8ToWindows1250(text), all);
}

TEST(CodePage, ConvertsBothWays)
{
    const struct {
        const char* description;
        std::string utf8;
        std::string windows1250;
    } cases[] = {
        {"Czech letters", "Zavřít Připojuji dokončena ŽLUŤOUČKÝ", "Zav\xF8\xEDt P\xF8ipojuji dokon\xE8" "ena \x8ELU\x8DOU\xC8K\xDD"},
        {"euro and quotes", "€ „x“", "\x80 \x84x\x93"},
        {"undefined byte as its C1 control", "\xC2\x81", "\x81"},
        {"ASCII as it is", "SHOW DATABASES", "SHOW DATABASES"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(utf8ToWindows1250(c.utf8), c.windows1250);
        EXPECT_EQ(windows1250ToUtf8(c.windows1250), c.utf8);
    }
}

TEST(CodePage, WhatTheCodePageLacksBecomesAQuestionMark)
{
    const struct {
        const char* description;
        std::string utf8;
        std::string windows1250;
    } cases[] = {
        {"Cyrillic", "v1_Ж", "v1_?"},
        {"Japanese, one mark per character", "tenant_日本", "tenant_??"},
        {"outside the basic plane", "a\xF0\x9F\x98\x80z", "a?z"},
        {"bytes that are not UTF-8", "a\xFF\xC3z", "a??z"},
        {"a look-alike is not taken for the letter", "\xC5\x82\xC3\xA5", "\xB3?"},  // ł å
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(utf8ToWindows1250(c.utf8), c.windows1250);
    }
}

// The decoder of a profile file with a UTF-8 mark, as Windows' MultiByteToWideChar reads
// the same bytes (each row checked against Wine's, but the last two: Wine's takes all
// that follows a lead byte whose sequence runs past the end).
TEST(CodePage, Utf8AsWindowsDecodesItGivesOneReplacementPerInvalidSequence)
{
    const std::string r = "\xEF\xBF\xBD";  // U+FFFD
    const struct {
        const char* description;
        std::string bytes;
        std::string decoded;
    } cases[] = {
        {"valid text as it is", "a\xC4\x8D\xE2\x82\xAC\xF0\x9F\x98\x80z", "ač€\xF0\x9F\x98\x80z"},
        {"a sequence cut off by a letter", "a\xE2\x82z", "a" + r + "z"},
        {"a four-byte sequence cut off", "a\xF0\x9F\x98zzz", "a" + r + "zzz"},
        {"a byte that starts nothing", "a\xFFz", "a" + r + "z"},
        {"a lead byte alone", "a\xC3z", "a" + r + "z"},
        {"continuation bytes alone, one each", "a\x80\x80z", "a" + r + r + "z"},
        {"an overlong lead, one for it and one for what follows", "a\xC0\xAFz", "a" + r + r + "z"},
        {"an overlong form shows at its second byte, which belongs to it", "a\xE0\x80\xAFz", "a" + r + r + "z"},
        {"a surrogate shows at its second byte", "a\xED\xA0\x80z", "a" + r + r + "z"},
        {"beyond U+10FFFF shows at the second byte", "a\xF4\x90\x80\x80z", "a" + r + r + r + "z"},
        {"five bytes of an old form, one each", "a\xF8\x88\x80\x80\x80z", "a" + r + r + r + r + r + "z"},
        {"with room for the whole sequence a letter ends it", "a\xF0\x41\x41z", "a" + r + "AAz"},
        {"the end cuts a sequence short: one for what it holds", "a\xE2\x82", "a" + r},
        {"the end near a lead byte: a letter still ends its sequence", "a\xF0\x41z", "a" + r + "Az"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(platform::utf8AsWindowsDecodesIt(c.bytes), c.decoded);
    }
}

TEST(CodePage, Utf16LittleEndianWithSurrogatePairs)
{
    const std::string bytes("I\0P\0=\0\x0D\x01\x3D\xD8\x00\xDE\x00\xD8", 14);
    EXPECT_EQ(platform::utf16leToUtf8(bytes), "IP=č\xF0\x9F\x98\x80\xEF\xBF\xBD");
}

}  // namespace
