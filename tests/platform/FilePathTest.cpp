// File names from UTF-8 text, and text written to a standard stream: the same on Linux
// and, under Wine, on Windows, whatever the system's code page.
#include "platform/ConsoleText.h"
#include "platform/FilePath.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

// Letters inside and outside the Windows code pages: each names a file that opens, and
// the path gives the same text back.
TEST(FilePath, UnicodeNamesOpenAndComeBackAsGiven)
{
    const fs::path folder = fs::temp_directory_path() / "calendar-file-path-test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const std::string name : {"Jiří.ini", "Жанна.ini", "😀 žluťoučký.ini", "plain.ini"}) {
        SCOPED_TRACE(name);
        const fs::path file = folder / platform::pathFromUtf8(name);
        EXPECT_EQ(platform::utf8FromPath(file.filename()), name);
        { std::ofstream(file, std::ios::binary) << "x"; }
        EXPECT_TRUE(fs::is_regular_file(folder / platform::pathFromUtf8(name)));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 4);
    fs::remove_all(folder);
}

// Bytes that are not UTF-8 (a name in the ANSI code page taken for UTF-8) make a path
// all the same; no exception.
TEST(FilePath, BytesThatAreNotUtf8GiveAPathNotAnException)
{
    const std::string windows1250Name = "C:\\Ji\xF8\xED\\q.ini";
    EXPECT_NO_THROW({
        const fs::path path = platform::pathFromUtf8(windows1250Name);
        EXPECT_FALSE(path.empty());
        (void)path.filename();
    });
}

// A file gets the UTF-8 bytes as they are: only a console gets UTF-16.
TEST(ConsoleText, AFileGetsTheUtf8Bytes)
{
    const fs::path file = fs::temp_directory_path() / "calendar-console-text-test.txt";
#if defined(_WIN32)
    std::FILE* stream = _wfopen(file.c_str(), L"wb");
#else
    std::FILE* stream = std::fopen(file.c_str(), "wb");
#endif
    ASSERT_NE(stream, nullptr);
    const std::string text = "Aktualizace dokončena: účetnictví_žluťoučký\n";
    EXPECT_TRUE(platform::writeText(stream, text));
    std::fclose(stream);
    {
        std::ifstream in(file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), text);
    }
    fs::remove(file);
}

}  // namespace
