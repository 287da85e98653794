// The Linux reader against the Windows one: generated profile files, the same questions
// put to platform::readProfileString here and to the Windows build's (the Windows
// profile functions) under Wine, every answer compared. The Windows build reads a file
// with a UTF-8 or UTF-16BE mark by the program's own rules, the code compared here; such a
// file's questions go to Windows' own function instead (Wine's honours both marks), so
// that the decoding, invalid sequences and the cut of long values included, is still held
// to the system's.
#include "platform/CodePage.h"
#include "platform/ProfileFile.h"
#include "tests/platform/ProbeText.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace testing_support;
using namespace std::string_literals;

constexpr char kDefault[] = "DEFAULT";
constexpr int kFileCount = 2000;
constexpr unsigned kSeed = 20080101;

enum class Encoding { Windows1250, Utf16le, Utf16be, Utf8 };

struct GeneratedFile {
    std::vector<std::string> lines;  // Windows-1250, without their ends
    std::string lineEnd;
    bool lastLineEnded = true;
    std::string endOfFile;           // after everything, e.g. a DOS Ctrl-Z
    Encoding encoding = Encoding::Windows1250;
    std::string bytes;
};

struct Question {
    std::string section;
    std::string key;
};

const std::vector<Question> kQuestions = {
    {"DATABASE", "IP"}, {"database", "ip"}, {"Other", "IP"}, {"DATABASE", "Port"}, {"DATABASE", "Missing"},
};

// Pieces the generator draws from; each covers a rule of the format. Form feeds, Ctrl-Z
// and NULs are common on purpose: each is a rule of its own around and inside names and
// values.
const std::vector<std::string> kSectionNames = {
    "DATABASE", "database", "DataBase", " DATABASE ", "\tDATABASE", "Other", "OTHER", "DATA BASE", "",
    "\fDATABASE", "DATABASE\x1A", "\x1A\fOther", "DATABASE\0x"s, "DATA\0BASE"s, "DATABASE \0"s,
};
const std::vector<std::string> kKeys = {
    "IP", "ip", " IP", "IP ", "\tIP\t", "Port", "port", "I P", "IPX", "", "\fIP", "IP\f", "\x1AIP\x1A", "\vIP",
    "IP\0x"s, "I\0P"s, "IP \0"s, "\0IP"s,
};
const std::string kLongValue(3000, 'x');
// These control bytes stand for text that only a Unicode file can hold (see kUnicodeOnly):
// a Windows-1250 file keeps them as they are.
const std::string kLongAstral(1500, '\x01');
const std::string kAstralAtTheCut = std::string(2046, 'x') + "\x01yz";
const std::string kAstralBeforeTheCut = std::string(2045, 'x') + "\x01y";
const std::vector<std::string> kValues = {
    "", "192.0.2.1", "  spaced  ", "\"quoted\"", "'single'", "\"mismatch'", "\"", "''", "a=b", "\xE8\x9A\xFD",
    "P\xF8\xED\x6Ao", "; not a comment", kLongValue, "\" inner \"", "\t tab \t", "x\vy", "#hash",
    "\f192.0.2.7\f", "192.0.2.8\x1A", "a\fb", "a\x1A" "b", "a\0b"s, "a \0b"s, "\0"s, "\"q\"\0x"s, "\"q\0\""s,
    "\x1A\"q\"\x1A",
};
// Drawn more often for a Unicode file.
const std::vector<std::string> kUnicodeValues = {
    "\x01", "a\x02z", "\x03", "x\x04y", "\x05", "\x06b", "\x07", "c\x08", "\x0E", "d\x0F", "\x01\x02\x03",
    kLongAstral, kAstralAtTheCut, kAstralBeforeTheCut, "\"" + kAstralAtTheCut + "\"",
};

// What each stand-in byte becomes in a UTF-8 file (a character beyond the basic plane, or
// a sequence Windows' decoder takes as invalid) and in a UTF-16 one (that character, or
// unpaired surrogates).
struct UnicodeOnly {
    char standIn;
    std::string utf8;
    std::u16string utf16;
};
const std::vector<UnicodeOnly> kUnicodeOnly = {
    {'\x01', "\xF0\x9F\x98\x80", u"\U0001F600"},
    {'\x02', "\xE2\x82", u"\xD83D"},
    {'\x03', "\xFF", u"\xDE00"},
    {'\x04', "\xC3", u"\xD83D\xD83D"},
    {'\x05', "\xED\xA0\x80", u"\xDE00\xD83D"},
    {'\x06', "\xE0\x80\xAF", u"\xD800"},
    {'\x07', "\xF4\x90\x80\x80", u"\xDFFF"},
    {'\x08', "\x80\x80", u"\U00010000"},
    {'\x0E', "\xF0\x9F\x98", u"\U0010FFFF"},
    {'\x0F', "\xC0\xAF", u"\xDBFF\xDC00"},
};
// Longer than any line buffer: 70,000 characters.
const std::string kLongBlanks(70000, ' ');
const std::string kLongText(70000, 'y');

template <typename Random>
const std::string& pick(Random& random, const std::vector<std::string>& from)
{
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
}

template <typename Random>
std::string sectionLine(Random& random)
{
    const std::string& name = pick(random, kSectionNames);
    switch (std::uniform_int_distribution<int>(0, 19)(random)) {
    case 0: return "[" + name;                    // no closing bracket
    case 1: return "[" + name + "]]";             // a second bracket
    case 2:
    case 3: return "[" + name + "] ; comment";    // text after it
    case 4:
    case 5: return "  [" + name + "]";            // blanks before
    default: return "[" + name + "]";
    }
}

template <typename Random>
std::string entryLine(Random& random, Encoding encoding)
{
    const std::string& key = pick(random, kKeys);
    const bool unicode = encoding != Encoding::Windows1250 && std::uniform_int_distribution<int>(0, 2)(random) == 0;
    const std::string& value = pick(random, unicode ? kUnicodeValues : kValues);
    switch (std::uniform_int_distribution<int>(0, 23)(random)) {
    case 20: return kLongBlanks + key + "=" + value;   // the entry after 70,000 blanks
    case 21: return key + "=" + kLongText + value;     // a value of 70,000 characters
    case 22: return key + "=" + kLongBlanks + value;   // the value after 70,000 blanks
    case 23: return "\f" + key + "\f=\x1A" + value + "\x1A";
    case 0: return key;                           // no '='
    case 1:
    case 2: return ";" + key + "=" + value;       // comment
    case 3: return "  ;" + key + "=" + value;     // comment after blanks
    case 4: return "#" + key + "=" + value;
    case 5:
    case 6:
    case 7: return key + " = " + value;
    default: return key + "=" + value;
    }
}

template <typename Random>
GeneratedFile generate(Random& random)
{
    GeneratedFile file;
    switch (std::uniform_int_distribution<int>(0, 9)(random)) {
    case 0: file.encoding = Encoding::Utf16le; break;
    case 1: file.encoding = Encoding::Utf16be; break;
    case 2: file.encoding = Encoding::Utf8; break;
    default: break;
    }
    const int lineCount = std::uniform_int_distribution<int>(1, 10)(random);
    for (int i = 0; i < lineCount; ++i) {
        switch (std::uniform_int_distribution<int>(0, 9)(random)) {
        case 0:
        case 1:
        case 2: file.lines.push_back(sectionLine(random)); break;
        case 3: file.lines.push_back(std::uniform_int_distribution<int>(0, 1)(random) ? "" : " \t "); break;
        default: file.lines.push_back(entryLine(random, file.encoding)); break;
        }
    }
    const std::vector<std::string> lineEnds = {"\r\n", "\r\n", "\n", "\n", "\r"};
    file.lineEnd = pick(random, lineEnds);
    file.lastLineEnded = std::uniform_int_distribution<int>(0, 3)(random) != 0;
    const bool unicode = file.encoding != Encoding::Windows1250;
    switch (std::uniform_int_distribution<int>(0, 7)(random)) {
    case 0: file.endOfFile = "\x1A"; break;  // as DOS editors ended a file
    case 1:
    case 2:
        if (unicode)  // in UTF-8, a sequence that the end of the file cuts short
            file.lastLineEnded = false, file.endOfFile = "\x0E";
        break;
    default: break;
    }
    return file;
}

// The file's bytes: its lines joined and encoded.
std::string bytesOf(const GeneratedFile& file)
{
    std::string text;
    for (const std::string& line : file.lines)
        text += line + file.lineEnd;
    if (!file.lastLineEnded && !text.empty())
        text.resize(text.size() - file.lineEnd.size());
    text += file.endOfFile;

    if (file.encoding == Encoding::Windows1250)
        return text;
    const auto unicodeOnly = [](char c) {
        return std::find_if(kUnicodeOnly.begin(), kUnicodeOnly.end(), [c](const UnicodeOnly& u) { return u.standIn == c; });
    };
    const std::string utf8 = platform::windows1250ToUtf8(text);
    if (file.encoding == Encoding::Utf8) {
        std::string bytes = "\xEF\xBB\xBF";
        for (char c : utf8) {
            const auto standsFor = unicodeOnly(c);
            bytes += standsFor == kUnicodeOnly.end() ? std::string(1, c) : standsFor->utf8;
        }
        return bytes;
    }
    // UTF-8 to UTF-16, the characters of Windows-1250 all being in the basic plane.
    std::u16string units;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        char32_t codePoint = length == 1 ? lead : length == 2 ? (lead & 0x1F) : (lead & 0x0F);
        for (int k = 1; k < length; ++k)
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        const auto standsFor = unicodeOnly(utf8[i]);
        units += standsFor == kUnicodeOnly.end() ? std::u16string(1, static_cast<char16_t>(codePoint)) : standsFor->utf16;
        i += static_cast<std::size_t>(length);
    }
    const bool bigEndian = file.encoding == Encoding::Utf16be;
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

using probe_text::hex;

// The Linux reader's answer in the probe's form.
std::string linuxAnswer(const std::filesystem::path& file, const Question& question)
{
    const platform::ProfileValue read = platform::readProfileString(file, question.section, question.key, kDefault);
    return probe_text::answer(read);
}

std::string windowsPath(const std::filesystem::path& path)
{
    std::string text = "Z:" + path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

// Wine's reader (dlls/kernel32/profile.c) differs from Windows' in three rules, which our
// reader shares with Windows (ProfileFileTest states them):
// - Wine ends a section name at the last ']' of its line, Windows at the first;
// - Wine passes over a section line without ']' (its entries stay in the section before),
//   Windows takes the rest of the line as the name;
// - Wine keeps a line without '=' as a key without a value, which hides a later entry of
//   that key; Windows passes over such a line.
// Nothing of the kind is fixed on our side: the program runs on Windows. So the answer
// Windows gives to a file is predicted as Wine's answer to the same file written so that
// the three rules cannot differ: each section name closed by one ']' of its own, each line
// without '=' left out. Every lookup of every file is then compared, a file that meets one
// of these rules included.
std::string_view trimmed(std::string_view line)
{
    constexpr std::string_view kBlanks = " \t\v\f\x1A";
    const auto first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
}

GeneratedFile withWindowsRulesSpelledOut(GeneratedFile file)
{
    for (std::string& line : file.lines) {
        const std::string_view text = trimmed(line);
        if (text.starts_with('[')) {
            const auto close = text.find(']');
            if (close == std::string_view::npos)
                line = std::string(text) + "]";
            else if (close != text.rfind(']'))
                line = std::string(text.substr(0, close + 1));
        } else if (!text.empty() && text.find('=') == std::string_view::npos) {
            line.clear();
        }
    }
    return file;
}

std::string describe(const GeneratedFile& file)
{
    const char* encodings[] = {"1250", "UTF-16LE", "UTF-16BE", "UTF-8"};
    std::string text = encodings[static_cast<int>(file.encoding)];
    text += ", line end " + hex(file.lineEnd) + (file.lastLineEnded ? "" : ", none after the last line") +
            (file.endOfFile.empty() ? "" : ", then " + hex(file.endOfFile)) + ":";
    for (const std::string& line : file.lines)
        text += "\n    |" + hex(line.size() > 60 ? line.substr(0, 60) : line) + (line.size() > 60 ? "..." : "") + "|";
    return text;
}

// The questions for one file, in the probe's form: to Windows' own function for a file
// that the Windows build reads by the rules compared here.
std::string questionsFor(const std::filesystem::path& path, Encoding encoding)
{
    const bool toTheSystem = encoding == Encoding::Utf8 || encoding == Encoding::Utf16be;
    std::string questions;
    for (const Question& question : kQuestions)
        questions += windowsPath(path) + "\t" + question.section + "\t" + question.key + (toTheSystem ? "\tsystem" : "") +
                     "\n";
    return questions;
}

TEST(ProfileReaders, LinuxAndWindowsGiveTheSameAnswers)
{
    const std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) / ("profile-differential-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    // Each file, and where the Windows rules differ from Wine's on it, the same file with
    // those rules spelled out, whose Wine answers predict Windows' for the first.
    std::mt19937 random(kSeed);
    std::vector<GeneratedFile> files;
    std::vector<std::filesystem::path> paths, predictors;
    std::string questions;
    for (int i = 0; i < kFileCount; ++i) {
        files.push_back(generate(random));
        const std::string bytes = bytesOf(files.back());
        paths.push_back(dir / ("f" + std::to_string(i) + ".ini"));
        std::ofstream(paths.back(), std::ios::binary) << bytes;
        questions += questionsFor(paths.back(), files.back().encoding);
        const std::string windowsBytes = bytesOf(withWindowsRulesSpelledOut(files.back()));
        predictors.push_back(paths.back());
        if (windowsBytes != bytes) {
            predictors.back() = dir / ("f" + std::to_string(i) + "-windows.ini");
            std::ofstream(predictors.back(), std::ios::binary) << windowsBytes;
            questions += questionsFor(predictors.back(), files.back().encoding);
        }
    }

    ChildOptions options;
    options.input = questions;
    const ChildResult probe = runChild(WINE_RUN, {PROFILE_PROBE}, options);
    ASSERT_EQ(probe.exitStatus, 0) << probe.err;
    const std::vector<std::string> wineAnswers = linesOf(probe.out);
    ASSERT_EQ(wineAnswers.size(), linesOf(questions).size());

    int compared = 0, predictedByWindowsRules = 0;
    std::size_t answer = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::size_t wineAt = answer;
        const std::size_t windowsAt = predictors[i] == paths[i] ? answer : answer + kQuestions.size();
        answer = windowsAt + kQuestions.size();
        for (std::size_t q = 0; q < kQuestions.size(); ++q) {
            const std::string linux = linuxAnswer(paths[i], kQuestions[q]);
            const std::string& wine = wineAnswers[wineAt + q];
            const std::string& windows = wineAnswers[windowsAt + q];
            ++compared;
            if (windows != wine)
                ++predictedByWindowsRules;
            if (linux == windows)
                continue;
            ADD_FAILURE() << "file " << i << " (" << describe(files[i]) << ")\n  [" << kQuestions[q].section << "] "
                          << kQuestions[q].key << ": Linux " << linux.substr(0, 80) << ", Windows "
                          << windows.substr(0, 80) << (windows == wine ? "" : " (Wine: " + wine.substr(0, 80) + ")");
        }
    }
    std::filesystem::remove_all(dir);
    // What the run covered, for whoever reads the log.
    std::cout << compared << " answers compared, " << predictedByWindowsRules
              << " of them where Wine's own answer differs from Windows' rules\n";
}

}  // namespace
