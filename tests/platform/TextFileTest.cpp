// Tests of reading a user's whole text file: how its bytes are decoded, and failures.
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace std::string_literals;

std::string utf16(const std::u16string& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

class ReadTextFile : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::path(testing::TempDir()) / "TextFileTest";
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }

    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path dir_;
};

TEST_F(ReadTextFile, DecodesAfterAByteOrderMarkAndTakesUtf8WithoutOne)
{
    const std::u16string hosts = u"# pobočky\r\nserver-žilina\r\n192.0.2.1\r\n";
    const std::string expected = "# pobočky\r\nserver-žilina\r\n192.0.2.1\r\n";
    const struct {
        const char* description;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"UTF-8 without a mark", expected, expected},
        {"UTF-8 after its mark (Notepad's UTF-8 with BOM)", "\xEF\xBB\xBF" + expected, expected},
        {"UTF-16LE after its mark (PowerShell 5.1's >)", utf16(hosts, false), expected},
        {"UTF-16BE after its mark", utf16(hosts, true), expected},
        {"UTF-16LE, a character outside the basic plane", utf16(u"a\U0001F600b", false), "a\U0001F600b"},
        {"UTF-16BE, an odd last byte dropped", utf16(u"ab", true) + "\x00"s, "ab"},
        {"a mark alone is an empty text", "\xFF\xFE", ""},
        {"an empty file", "", ""},
        {"a mark after the start is text", "a\xEF\xBB\xBF", "a\xEF\xBB\xBF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        std::ofstream(dir_ / "hosts", std::ios::binary | std::ios::trunc) << c.bytes;
        const platform::TextFile read = platform::readTextFile(dir_ / "hosts");
        EXPECT_FALSE(read.problem);
        EXPECT_EQ(read.text, c.expected);
    }
}

TEST_F(ReadTextFile, SaysWhyAFileCannotBeRead)
{
    std::filesystem::create_directory(dir_ / "folder");
    for (const auto& path : {dir_ / "absent", dir_ / "absent" / "hosts", dir_ / "folder"}) {
        SCOPED_TRACE(path.string());
        const platform::TextFile read = platform::readTextFile(path);
        ASSERT_TRUE(read.problem);
        EXPECT_FALSE(read.problem->empty());
    }
#if !defined(_WIN32)
    EXPECT_EQ(platform::readTextFile(dir_ / "absent").problem, "No such file or directory");
    EXPECT_EQ(platform::readTextFile(dir_ / "folder").problem, "Is a directory");
#endif
}

}  // namespace
