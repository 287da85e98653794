// The Linux reader against the Windows one: generated profile files, the same questions
// put to platform::readProfileString here and to the Windows build's (the Windows
// profile functions) under Wine, every answer compared.
#include "platform/CodePage.h"
#include "platform/ProfileFile.h"
#include "tests/platform/ProbeText.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace testing_support;
using namespace std::string_literals;

constexpr char kDefault[] = "DEFAULT";
constexpr int kFileCount = 400;
constexpr unsigned kSeed = 20080101;

enum class Encoding { Windows1250, Utf16le, Utf8 };

struct GeneratedFile {
    std::vector<std::string> lines;  // Windows-1250, without their ends
    std::string lineEnd;
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

// Pieces the generator draws from; each covers a rule of the format.
const std::vector<std::string> kSectionNames = {
    "DATABASE", "database", "DataBase", " DATABASE ", "\tDATABASE", "Other", "OTHER", "DATA BASE", "",
};
const std::vector<std::string> kKeys = {
    "IP", "ip", " IP", "IP ", "\tIP\t", "Port", "port", "I P", "IPX", "",
};
const std::string kLongValue(3000, 'x');
const std::vector<std::string> kValues = {
    "", "192.0.2.1", "  spaced  ", "\"quoted\"", "'single'", "\"mismatch'", "\"", "''", "a=b", "\xE8\x9A\xFD",
    "P\xF8\xED\x6Ao", "; not a comment", kLongValue, "\" inner \"", "\t tab \t", "x\vy", "#hash",
};

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
std::string entryLine(Random& random)
{
    const std::string& key = pick(random, kKeys);
    const std::string& value = pick(random, kValues);
    switch (std::uniform_int_distribution<int>(0, 19)(random)) {
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
    const int lineCount = std::uniform_int_distribution<int>(1, 10)(random);
    for (int i = 0; i < lineCount; ++i) {
        switch (std::uniform_int_distribution<int>(0, 9)(random)) {
        case 0:
        case 1:
        case 2: file.lines.push_back(sectionLine(random)); break;
        case 3: file.lines.push_back(std::uniform_int_distribution<int>(0, 1)(random) ? "" : " \t "); break;
        default: file.lines.push_back(entryLine(random)); break;
        }
    }
    const std::vector<std::string> lineEnds = {"\r\n", "\r\n", "\n", "\n", "\r"};
    file.lineEnd = pick(random, lineEnds);
    std::string text;
    for (const std::string& line : file.lines)
        text += line + file.lineEnd;
    if (std::uniform_int_distribution<int>(0, 3)(random) == 0 && !text.empty())
        text.resize(text.size() - file.lineEnd.size());  // no end after the last line

    switch (std::uniform_int_distribution<int>(0, 9)(random)) {
    case 0: {
        file.encoding = Encoding::Utf16le;
        file.bytes = "\xFF\xFE";
        const std::string utf8 = platform::windows1250ToUtf8(text);
        // UTF-8 to UTF-16LE, the characters here all being in the basic plane.
        std::u32string codePoints;
        for (std::size_t i = 0; i < utf8.size();) {
            const auto lead = static_cast<unsigned char>(utf8[i]);
            const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
            char32_t codePoint = length == 1 ? lead : length == 2 ? (lead & 0x1F) : (lead & 0x0F);
            for (int k = 1; k < length; ++k)
                codePoint = (codePoint << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            file.bytes += static_cast<char>(codePoint & 0xFF);
            file.bytes += static_cast<char>(codePoint >> 8);
            i += static_cast<std::size_t>(length);
        }
        break;
    }
    case 1:
        file.encoding = Encoding::Utf8;
        file.bytes = "\xEF\xBB\xBF" + platform::windows1250ToUtf8(text);
        break;
    default: file.bytes = text; break;
    }
    return file;
}

using probe_text::hex;

// The Linux reader's answer in the probe's form.
std::string linuxAnswer(const std::filesystem::path& file, const Question& question)
{
    const platform::ProfileValue read = platform::readProfileString(file, question.section, question.key, kDefault);
    switch (read.source) {
    case platform::ProfileValue::Source::File: return "F " + hex(read.value);
    case platform::ProfileValue::Source::Default: return "D " + hex(read.value);
    case platform::ProfileValue::Source::Unreadable: break;
    }
    return "U " + read.problem;
}

std::string windowsPath(const std::filesystem::path& path)
{
    std::string text = "Z:" + path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

// A disagreement that comes from Wine, not from Windows, with the reason. Nothing of the
// kind is fixed on our side: the program runs on Windows.
struct KnownWineDifference {
    const char* reason;
    std::function<bool(const GeneratedFile&)> applies;
};

std::string_view trimmed(std::string_view line)
{
    const auto first = line.find_first_not_of(" \t\v");
    if (first == std::string_view::npos)
        return {};
    return line.substr(first, line.find_last_not_of(" \t\v") - first + 1);
}

bool anyLine(const GeneratedFile& file, const std::function<bool(std::string_view)>& test)
{
    return std::any_of(file.lines.begin(), file.lines.end(), [&](const std::string& line) { return test(trimmed(line)); });
}

bool isSectionLine(std::string_view line)
{
    return line.starts_with('[');
}

// Each names a rule our reader shares with Windows (ProfileFileTest states them) where
// Wine's reader (dlls/kernel32/profile.c) goes its own way.
const std::vector<KnownWineDifference> kKnownWineDifferences = {
    {"Wine ends a section name at the last ']' of its line, Windows at the first",
     [](const GeneratedFile& file) {
         return anyLine(file, [](std::string_view line) {
             return isSectionLine(line) && line.find(']') != line.rfind(']');
         });
     }},
    {"Wine drops a section line without ']' and keeps the previous section going; Windows "
     "takes the rest of the line as the name",
     [](const GeneratedFile& file) {
         return anyLine(file, [](std::string_view line) { return isSectionLine(line) && line.find(']') == line.npos; });
     }},
    {"Wine keeps a line without '=' as a key without a value, which hides a later entry of "
     "that key; Windows passes over such a line",
     [](const GeneratedFile& file) {
         return anyLine(file, [](std::string_view line) {
             return !line.empty() && !isSectionLine(line) && !line.starts_with(';') && line.find('=') == line.npos;
         });
     }},
};

std::string describe(const GeneratedFile& file)
{
    std::string text = file.encoding == Encoding::Utf16le ? "UTF-16LE" : file.encoding == Encoding::Utf8 ? "UTF-8" : "1250";
    text += ", line end " + hex(file.lineEnd) + ":";
    for (const std::string& line : file.lines)
        text += "\n    |" + (line.size() > 60 ? line.substr(0, 60) + "..." : line) + "|";
    return text;
}

TEST(ProfileReaders, LinuxAndWindowsGiveTheSameAnswers)
{
    const std::filesystem::path dir =
        std::filesystem::path(::testing::TempDir()) / ("profile-differential-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    std::mt19937 random(kSeed);
    std::vector<GeneratedFile> files;
    std::string questions;
    for (int i = 0; i < kFileCount; ++i) {
        files.push_back(generate(random));
        const std::filesystem::path path = dir / ("f" + std::to_string(i) + ".ini");
        std::ofstream(path, std::ios::binary) << files.back().bytes;
        for (const Question& question : kQuestions)
            questions += windowsPath(path) + "\t" + question.section + "\t" + question.key + "\n";
    }

    ChildOptions options;
    options.input = questions;
    const ChildResult probe = runChild(WINE_RUN, {PROFILE_PROBE}, options);
    ASSERT_EQ(probe.exitStatus, 0) << probe.err;
    const std::vector<std::string> windowsAnswers = linesOf(probe.out);
    ASSERT_EQ(windowsAnswers.size(), files.size() * kQuestions.size());

    int compared = 0;
    std::map<const char*, int> tolerated;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::filesystem::path path = dir / ("f" + std::to_string(i) + ".ini");
        for (std::size_t q = 0; q < kQuestions.size(); ++q) {
            const std::string linux = linuxAnswer(path, kQuestions[q]);
            const std::string& windows = windowsAnswers[i * kQuestions.size() + q];
            const auto known = std::find_if(kKnownWineDifferences.begin(), kKnownWineDifferences.end(),
                                            [&](const KnownWineDifference& d) { return d.applies(files[i]); });
            if (known == kKnownWineDifferences.end())
                ++compared;
            if (linux == windows)
                continue;
            if (known != kKnownWineDifferences.end()) {
                ++tolerated[known->reason];
                continue;
            }
            ADD_FAILURE() << "file " << i << " (" << describe(files[i]) << ")\n  [" << kQuestions[q].section << "] "
                          << kQuestions[q].key << ": Linux " << linux.substr(0, 80) << ", Windows "
                          << windows.substr(0, 80);
        }
    }
    std::filesystem::remove_all(dir);
    // What the run covered, for whoever reads the log.
    std::cout << compared << " answers compared exactly\n";
    for (const auto& [reason, count] : tolerated)
        std::cout << count << " answers differ as known: " << reason << "\n";
}

}  // namespace
