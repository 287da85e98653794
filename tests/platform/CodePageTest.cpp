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

TEST(CodePage, Utf16LittleEndianWithSurrogatePairs)
{
    const std::string bytes("I\0P\0=\0\x0D\x01\x3D\xD8\x00\xDE\x00\xD8", 14);
    EXPECT_EQ(platform::utf16leToUtf8(bytes), "IP=č\xF0\x9F\x98\x80\xEF\xBF\xBD");
}

}  // namespace
