// Tests of the profile file reader: the lookup rules over text, and reading real files.
#include "platform/ProfileFile.h"
#include "platform/ProfileReading.h"
#include "platform/TextFile.h"
#include "tests/support/Sanitizers.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using platform::kProfileValueMaxLength;
using platform::profileStringFromText;
using platform::readProfileString;

struct LookupCase {
    const char* description;
    std::string text;
    std::string section;
    std::string key;
    std::string defaultValue;
    std::string expected;
};

const std::string kLongValue(kProfileValueMaxLength + 500, 'x');
const std::string kLongestValue(kProfileValueMaxLength, 'x');

std::vector<LookupCase> lookupCases()
{
    return {
        // Line ends
        {"CRLF ends lines", "[S]\r\nk=v\r\nj=w\r\n", "S", "j", "def", "w"},
        {"lone CR ends lines", "[S]\rk=v\rj=w", "S", "j", "def", "w"},
        {"lone LF ends lines", "[S]\nk=v\nj=w", "S", "j", "def", "w"},
        {"CR does not stay on the value", "[S]\r\nk=v\r\n", "S", "k", "def", "v"},

        // Blanks
        {"blanks trimmed around names and value", " \t[ \tS \t] \t\n \tk \t= \t v w \t\n", "S", "k", "def",
         "v w"},
        {"blank-only value is empty", "[S]\nk= \t \n", "S", "k", "def", ""},
        {"vertical tabs trimmed like blanks", "[S]\n\vk\v=\v v \v\n", "S", "k", "def", "v"},

        // Section lines
        {"section name ends at the first ]", "[a]b]\nk=v", "a", "k", "def", "v"},
        {"a name with ] inside is never found", "[a]b]\nk=v", "a]b", "k", "def", "def"},
        {"text after the closing ] is ignored", "[S] trailing ; note\nk=v", "S", "k", "def", "v"},
        {"unclosed [ names the rest of the line", "[S \nk=v", "S", "k", "def", "v"},
        {"keys before any section belong to none", "k=v\n[S]\n", "S", "k", "def", "def"},
        {"key of the previous section is not found", "[A]\nk=v\n[S]\nj=w", "S", "k", "def", "def"},
        {"key of the next section is not found", "[S]\nj=w\n[A]\nk=v", "S", "k", "def", "def"},

        // Key lines
        {"first = splits key from value", "[S]\nk=a=b", "S", "k", "def", "a=b"},
        {"line without = yields nothing, search goes on", "[S]\nk\nk=v", "S", "k", "def", "v"},
        {"line without = alone gives the default", "[S]\nk\n", "S", "k", "def", "def"},
        {"key name must match whole", "[S]\nkey=v\nk2=w", "S", "k", "def", "def"},

        // Comments
        {"; line is a comment", "[S]\n;k=c\nk=v", "S", "k", "def", "v"},
        {"; after blanks is a comment", "[S]\n \t;k=c\n", "S", "k", "def", "def"},
        {"; before a section hides it", ";[S]\nk=v", "S", "k", "def", "def"},
        {"# is an ordinary key character", "[S]\n#k=v", "S", "#k", "def", "v"},
        {"; inside a value is kept", "[S]\nk=v ; note", "S", "k", "def", "v ; note"},

        // Letter case
        {"section and key ignore ASCII case", "[dataBASE]\nUserName=v", "DATABASE", "username", "def", "v"},
        {"letters above ASCII compare as bytes", "[S]\n\xC8=v", "S", "\xE8", "def", "def"},

        // First match wins
        {"first matching key wins", "[S]\nk=1\nK=2", "S", "k", "def", "1"},
        {"later section of the same name is not searched", "[S]\nj=1\n[s]\nk=2", "S", "k", "def", "def"},

        // Quotes
        {"double quotes removed", "[S]\nk=\"a b\"", "S", "k", "def", "a b"},
        {"single quotes removed", "[S]\nk='a b'", "S", "k", "def", "a b"},
        {"blanks inside quotes kept", "[S]\nk= \" a \" ", "S", "k", "def", " a "},
        {"only one pair removed", "[S]\nk=\"\"a\"\"", "S", "k", "def", "\"a\""},
        {"empty quotes give empty text", "[S]\nk=\"\"", "S", "k", "def", ""},
        {"different quotes kept", "[S]\nk=\"a'", "S", "k", "def", "\"a'"},
        {"lone quote kept", "[S]\nk=\"", "S", "k", "def", "\""},
        {"opening quote only kept", "[S]\nk=\"a", "S", "k", "def", "\"a"},
        {"quotes inside the value kept", "[S]\nk=a\"b\"", "S", "k", "def", "a\"b\""},

        // Empty and missing
        {"empty value gives empty text, not the default", "[S]\nk=", "S", "k", "def", ""},
        {"missing section gives the default", "[A]\nk=v", "S", "k", "def", "def"},
        {"empty text gives the default", "", "S", "k", "def", "def"},

        // Length
        {"long value cut", "[S]\nk=" + kLongValue, "S", "k", "def", kLongestValue},
        {"value of the maximum length kept", "[S]\nk=" + kLongestValue, "S", "k", "def", kLongestValue},
        {"quotes removed before cutting", "[S]\nk=\"" + kLongestValue + "\"", "S", "k", "def", kLongestValue},
        {"long default cut", "", "S", "k", kLongValue, kLongestValue},

        // Form feeds and Ctrl-Z (DOS's end of file) are blanks too
        {"form feed before a key", "[S]\n\fk=1\nk=2", "S", "k", "def", "1"},
        {"form feed and Ctrl-Z around names and value", "\f[\x1AS\f]\n\x1Ak\f=\f v \x1A\f\n", "S", "k", "def",
         "v"},
        {"Ctrl-Z after the last value, no line end", "[S]\r\nk=192.0.2.1\x1A", "S", "k", "def", "192.0.2.1"},
        {"form feed alone is an empty value", "[S]\nk=\f", "S", "k", "def", ""},
        {"form feed inside a value kept", "[S]\nk=a\fb", "S", "k", "def", "a\fb"},

        // Lines of any length
        {"key after a line of 200,000 characters", "[S]\nx=" + std::string(200000, 'x') + "\nk=v", "S", "k", "def",
         "v"},
        {"key after 100,000 blanks on its line", "[S]\n" + std::string(100000, ' ') + "k=v", "S", "k", "def", "v"},
        {"key name after 100,000 blanks ends a section", "[S]\n" + std::string(100000, '\t') + "[T]\nk=v", "S", "k",
         "def", "def"},
        {"value after 100,000 blanks", "[S]\nk=" + std::string(100000, ' ') + "v", "S", "k", "def", "v"},
        {"blanks inside a long value kept", "[S]\nk=a" + std::string(3000, ' ') + "b", "S", "k", "def",
         "a" + std::string(kProfileValueMaxLength - 1, ' ')},
        {"quoted long value: the opening quote goes", "[S]\nk=\"" + kLongValue + "\"", "S", "k", "def",
         kLongestValue},
        {"name longer than the key looked for", "[S]\nk" + std::string(100000, 'k') + "=w\nk=v", "S", "k", "def",
         "v"},

        // A NUL ends a name or a value; the line goes on
        {"NUL ends a value", "[S]\nk=a\0b\nj=w"s, "S", "k", "def", "a"},
        {"blanks before a NUL stay in the value", "[S]\nk=a \0b"s, "S", "k", "def", "a "},
        {"NUL right after = gives an empty value", "[S]\nk= \0b"s, "S", "k", "def", ""},
        {"quotes removed only when the NUL leaves both", "[S]\nk=\"a\"\0b\nj=\"a\0\""s, "S", "k", "def", "a"},
        {"quote before a NUL kept", "[S]\nj=\"a\0\""s, "S", "j", "def", "\"a"},
        {"NUL ends a key name", "[S]\nk\0junk=v"s, "S", "k", "def", "v"},
        {"blanks before a NUL stay in a key name", "[S]\nk \0=v\nk=w"s, "S", "k", "def", "w"},
        {"NUL ends a section name", "[S\0junk]\nk=v"s, "S", "k", "def", "v"},
        {"NUL at the start of a name", "[S]\n\0k=v\nk=w"s, "S", "k", "def", "w"},
        {"= after a NUL still splits", "[S]\nk\0=v"s, "S", "k", "def", "v"},
        {"NUL does not end the line", "[S]\0\nk=v"s, "S", "k", "def", "v"},

        // Bytes
        {"Windows-1250 bytes pass through", "[\xC8\x61s]\nk=\xE8\x9A\xFD", "\xC8\x61s", "k", "def",
         "\xE8\x9A\xFD"},
    };
}

TEST(ProfileStringFromText, FollowsTheLookupRules)
{
    for (const auto& row : lookupCases()) {
        SCOPED_TRACE(row.description);
        EXPECT_EQ(profileStringFromText(row.text, row.section, row.key, row.defaultValue), row.expected);
    }
}

// Windows' own profile functions honour only the UTF-16LE mark; a file with another mark
// is read by the program's own rules there, so that it gives the same answers as on Linux
// instead of the default in silence.
TEST(ProfileReaderOnWindows, IsChosenByTheFilesFirstBytes)
{
    using platform::ProfileReader;
    const struct {
        const char* description;
        std::string firstBytes;
        ProfileReader reader;
    } cases[] = {
        {"no mark", "[DA", ProfileReader::SystemBytes},
        {"an empty file", "", ProfileReader::SystemBytes},
        {"UTF-16LE mark", "\xFF\xFE[", ProfileReader::SystemUnicode},
        {"UTF-16BE mark", "\xFE\xFF\0"s, ProfileReader::OwnRules},
        {"UTF-8 mark", "\xEF\xBB\xBF", ProfileReader::OwnRules},
        {"part of the UTF-8 mark is text", "\xEF\xBB[", ProfileReader::SystemBytes},
        {"half of a UTF-16 mark is text", "\xFF[D", ProfileReader::SystemBytes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(platform::profileReaderFor(c.firstBytes), c.reader);
    }
}

// Each test gets its own empty directory, removed afterwards.
class ReadProfileString : public testing::Test {
protected:
    void SetUp() override
    {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::path(testing::TempDir()) / ("ProfileFileTest_"s + test->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }

    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path writeFile(const std::string& bytes) const
    {
        const auto path = dir_ / "settings.ini";
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::filesystem::path dir_;
};

using platform::ProfileValue;

std::string valueOf(const ProfileValue& read)
{
    return read.source == ProfileValue::Source::Unreadable ? "unreadable: " + read.problem : read.value;
}

TEST_F(ReadProfileString, MissingFileGivesTheDefault)
{
    for (const auto& missing : {dir_ / "absent.ini", dir_ / "absent" / "absent.ini"}) {
        SCOPED_TRACE(missing.string());
        const ProfileValue read = readProfileString(missing, "DATABASE", "Server", "def");
        EXPECT_EQ(read.source, ProfileValue::Source::FileMissing);
        EXPECT_EQ(read.value, "def");
    }
    EXPECT_EQ(readProfileString(dir_ / "absent.ini", "DATABASE", "Server", kLongValue).value, kLongestValue);
}

// A file that is there but cannot be read is not a missing one: no default stands in.
TEST_F(ReadProfileString, PathThatCannotBeReadIsUnreadableNotMissing)
{
    std::filesystem::create_directory(dir_ / "folder.ini");
    struct Case {
        const char* file;
        const char* problem;
    };
    std::vector<Case> cases = {{"folder.ini", "Is a directory"}};
#if !defined(_WIN32)
    // Windows has no FIFOs and no device files under a folder; its links need a privilege.
    std::filesystem::create_symlink("loop2.ini", dir_ / "loop1.ini");
    std::filesystem::create_symlink("loop1.ini", dir_ / "loop2.ini");
    std::filesystem::create_symlink("/dev/zero", dir_ / "zero.ini");
    ASSERT_EQ(mkfifo((dir_ / "fifo.ini").c_str(), 0600), 0);  // a plain open would wait for a writer
    cases.insert(cases.end(), {
                                  {"loop1.ini", "Too many levels of symbolic links"},
                                  {"zero.ini", "Not a regular file"},
                                  {"fifo.ini", "Not a regular file"},
                              });
#endif
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const ProfileValue read = readProfileString(dir_ / c.file, "DATABASE", "IP", "localhost");
        EXPECT_EQ(read.source, ProfileValue::Source::Unreadable);
        EXPECT_EQ(read.problem, c.problem);
        EXPECT_EQ(read.value, "");
    }
}

TEST_F(ReadProfileString, ByteOrderMarkSaysHowTheFileIsEncoded)
{
    const auto utf16 = [](const std::u16string& text, bool bigEndian = false) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t unit : text) {
            const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    };
    // Read in several pieces: the value comes after more than one read's worth.
    const std::u16string longComment = u";" + std::u16string(70000, u'\u010D') + u"\r\n";
    // Values cut at 2047 UTF-16 units, as Windows cuts them: a character beyond the basic
    // plane (one '?' in Windows-1250) takes two, and half of one left at the end is a '?'.
    std::string astral1500;
    std::u16string astral1500Utf16;
    for (int i = 0; i < 1500; ++i) {
        astral1500 += "\xF0\x9F\x98\x80";
        astral1500Utf16 += u"\U0001F600";
    }
    const std::string ending = std::string(kProfileValueMaxLength - 1, 'x');
    const struct {
        const char* description;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"Windows-1250 without a mark", "[DATABASE]\r\nIP=\xE8\x9A\xFD\r\n", "čšý"},
        {"UTF-8 after its mark", "\xEF\xBB\xBF[DATABASE]\nIP=čšý\n", "čšý"},
        {"UTF-16LE after its mark", utf16(u"[database]\r\nIP = \"čšý\"\r\n"), "čšý"},
        {"UTF-16LE, a letter outside the code page", utf16(u"[DATABASE]\nIP=Ж1\n"), "?1"},
        {"UTF-16BE after its mark", utf16(u"[database]\r\nIP = \"čšý\"\r\n", true), "čšý"},
        {"UTF-16BE, a letter outside the basic plane", utf16(u"[DATABASE]\nIP=\U0001F600x\n", true), "?x"},
        {"UTF-16BE, value after several pieces", utf16(u"[DATABASE]\r\n" + longComment + u"IP=ž\x1A", true), "ž"},
        {"UTF-16LE, value after several pieces", utf16(u"[DATABASE]\r\n" + longComment + u"IP=ž\x1A"), "ž"},
        {"UTF-8, value after several pieces",
         "\xEF\xBB\xBF[DATABASE]\n;" + std::string(35000, 'x') + "ž" + std::string(35000, 'x') + "\nIP=ž", "ž"},
        {"the mark's bytes swapped is no UTF-8 mark", "\xBB\xEF\xBF[DATABASE]\nIP=v", "localhost"},
        {"mark after the start is text", "\n\xEF\xBB\xBF[DATABASE]\nIP=v", "localhost"},
        {"part of a mark is text", "\xEF\xBB[DATABASE]\nIP=v", "localhost"},
        {"mark bytes inside a value are Windows-1250 text", "[DATABASE]\nIP=\xEF\xBB\xBFv", "ď»żv"},
        // The program's own reader after a UTF-8 or UTF-16BE mark, on Windows too.
        {"UTF-8, the section name ends at its first ]", "\xEF\xBB\xBF[DATABASE]x]\r\nIP=192.0.2.5\r\n", "192.0.2.5"},
        {"UTF-16BE, the section name ends at its first ]", utf16(u"[DATABASE]x]\r\nIP=192.0.2.5\r\n", true),
         "192.0.2.5"},
        {"UTF-8, one '?' for each invalid sequence", "\xEF\xBB\xBF[DATABASE]\nIP=a\xE2\x82z\xED\xA0\x80\n", "a?z??"},
        {"UTF-8, a character split between two reads is whole",
         "\xEF\xBB\xBF[DATABASE]\n;" + std::string(65536 - 22, 'x') + "\nIP=a\xE2\x82\xACz\n", "a€z"},
        {"UTF-8, the end of the file cuts a sequence short: one '?'", "\xEF\xBB\xBF[DATABASE]\nIP=a\xF0\x9F\x98",
         "a?"},
        {"UTF-8, a letter ends a sequence near the end of the file", "\xEF\xBB\xBF[DATABASE]\nIP=a\xF0\x41z", "a?Az"},
        {"UTF-8, before the end a letter cuts it off", "\xEF\xBB\xBF[DATABASE]\nIP=a\xF0\x41z\n", "a?Az"},
        {"UTF-8, cut at 2047 UTF-16 units", "\xEF\xBB\xBF[DATABASE]\nIP=" + astral1500, std::string(1024, '?')},
        {"UTF-8, half a pair at the end", "\xEF\xBB\xBF[DATABASE]\nIP=" + ending + "\xF0\x9F\x98\x80yz", ending + "?"},
        {"UTF-8, a pair that fits", "\xEF\xBB\xBF[DATABASE]\nIP=" + ending.substr(1) + "\xF0\x9F\x98\x80yz",
         ending.substr(1) + "?"},
        {"UTF-16LE, cut at 2047 UTF-16 units", utf16(u"[DATABASE]\nIP=" + astral1500Utf16), std::string(1024, '?')},
        {"UTF-16BE, cut at 2047 UTF-16 units", utf16(u"[DATABASE]\nIP=" + astral1500Utf16, true),
         std::string(1024, '?')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(valueOf(readProfileString(writeFile(c.bytes), "DATABASE", "IP", "localhost")), c.expected);
    }
}

// A folder named in letters of another script, which the system's code page on Windows
// may not hold: the file is read all the same, its Windows-1250 text as ever.
TEST_F(ReadProfileString, FileNamedInAnotherScriptIsRead)
{
    const auto folder = dir_ / std::filesystem::path(u8"\u0416urnal");
    std::filesystem::create_directories(folder);
    const auto path = folder / "settings.ini";
    std::ofstream(path, std::ios::binary) << "[DATABASE]\r\nIP=\xE8\x9A\xFD\r\n";
    EXPECT_EQ(valueOf(readProfileString(path, "DATABASE", "IP", "localhost")), "čšý");
}

// Longer than Windows' MAX_PATH: read all the same (on Windows through the long form of
// the path), and a missing file there is missing, not unreadable.
TEST_F(ReadProfileString, PathLongerThanMaxPathIsRead)
{
    const auto folder = dir_ / std::string(120, 'a') / std::string(120, 'b');
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "settings.ini", std::ios::binary) << "[DATABASE]\r\nIP=\xE8\x9A\xFD\r\n";
    EXPECT_EQ(valueOf(readProfileString(folder / "settings.ini", "DATABASE", "IP", "localhost")), "čšý");
    std::ofstream(folder / "marked.ini", std::ios::binary) << "\xEF\xBB\xBF[DATABASE]\nIP=ž";
    EXPECT_EQ(valueOf(readProfileString(folder / "marked.ini", "DATABASE", "IP", "localhost")), "ž");
    const ProfileValue missing = readProfileString(folder / "absent.ini", "DATABASE", "IP", "localhost");
    EXPECT_EQ(missing.source, ProfileValue::Source::FileMissing);
#if defined(_WIN32)
    // The C++ library cannot remove what lies beyond MAX_PATH; the long form can.
    for (const char* name : {"settings.ini", "marked.ini"})
        DeleteFileW(platform::extendedLengthPath(folder / name).c_str());
    RemoveDirectoryW(platform::extendedLengthPath(folder).c_str());
#endif
}

// Lines several times longer than one read of the file: read through to the last line
// without holding them (the memory is measured by the benchmark, not here).
TEST_F(ReadProfileString, HugeLinesAreReadThroughWithoutStopping)
{
    const std::string huge(3 * 65536 + 7, 'x');
    const auto path = writeFile("[DATABASE]\n" + huge + "\r\n" + huge + "\nIP=found\n");
    EXPECT_EQ(valueOf(readProfileString(path, "DATABASE", "IP", "localhost")), "found");
}

#if !defined(_WIN32)
// The reader holds one entry's worth, never the file or a line: a line of 96 MB, read
// through to the entry after it, raises the process's peak memory by far less.
TEST_F(ReadProfileString, MemoryStaysBoundedWhateverTheLineLength)
{
    if (testing_support::kUnderSanitizer)
        GTEST_SKIP() << "a sanitizer keeps freed memory in quarantine: the peak says nothing of the reader";
    const auto path = dir_ / "huge.ini";
    {
        std::ofstream file(path, std::ios::binary);
        file << "[DATABASE]\nX=";
        const std::string piece(1 << 20, 'x');
        for (int i = 0; i < 96; ++i)
            file << piece;
        file << "\nIP=found\n";
    }
    const auto peakKilobytes = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    };
    const long before = peakKilobytes();
    EXPECT_EQ(valueOf(readProfileString(path, "DATABASE", "IP", "localhost")), "found");
    EXPECT_LT(peakKilobytes() - before, 16 * 1024);
}
#endif

// Written the way a Windows editor saves it: CRLF, and a NUL left in an earlier section
// that must not stop the reading.
TEST_F(ReadProfileString, ReadsAWindowsSavedFile)
{
    const auto path = writeFile("[DATABASE]\r\n"
                                "Server = db1\r\n"
                                "User=\"Jan \xC8\x65rn\xFD\"\r\n"
                                "\r\n"
                                "[OTHER]\r\nx=\0\r\n"s
                                "[Paths]\r\nImport=c:\\data\\import\r\n");

    EXPECT_EQ(valueOf(readProfileString(path, "database", "server", "def")), "db1");
    EXPECT_EQ(valueOf(readProfileString(path, "DATABASE", "User", "def")), "Jan Černý");
    EXPECT_EQ(valueOf(readProfileString(path, "Paths", "Import", "def")), "c:\\data\\import");
    const ProfileValue missingKey = readProfileString(path, "DATABASE", "Password", "def");
    EXPECT_EQ(missingKey.source, ProfileValue::Source::Default);
    EXPECT_EQ(missingKey.value, "def");
}

}  // namespace
