// Answers profile lookups with the Windows reader, for the differential test of the two
// readers: each line "file<TAB>section<TAB>key" on standard input gets one line out,
// "F <hex>" (found), "D <hex>" (default), "M <hex>" (no file) or "U <problem>"
// (unreadable), the value's UTF-8 bytes in hex. One start answers every question, so Wine starts once.
// A fourth field "system" asks GetPrivateProfileStringW itself, whatever the file's mark,
// its answer taken as the program takes that function's (Windows-1250, '?' for what it lacks).
#include "platform/CodePage.h"
#include "platform/FilePath.h"
#include "platform/ProfileFile.h"
#include "platform/ProfileRules.h"
#include "tests/platform/ProbeText.h"

#include <windows.h>

#include <array>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr char kDefault[] = "DEFAULT";

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> parts(1);
    for (char c : line) {
        if (c == '\t')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

std::string systemAnswer(const std::filesystem::path& file, const std::string& section, const std::string& key)
{
    constexpr wchar_t kNotFound[] = L"\x01<not found>\x01";
    std::array<wchar_t, platform::kProfileValueMaxLength + 1> buffer{};
    const DWORD length =
        GetPrivateProfileStringW(platform::utf8ToWide(section).c_str(), platform::utf8ToWide(key).c_str(), kNotFound,
                                 buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    const std::wstring value(buffer.data(), length);
    if (value == kNotFound)
        return "D " + probe_text::hex(kDefault);
    const std::string bytes = platform::cutProfileValue(platform::utf8ToWindows1250(platform::wideToUtf8(value)));
    return "F " + probe_text::hex(platform::windows1250ToUtf8(bytes));
}

std::string answer(const std::string& question)
{
    const std::vector<std::string> parts = fields(question);
    if (parts.size() != 3 && !(parts.size() == 4 && parts[3] == "system"))
        return "? malformed question";
    const std::filesystem::path file = platform::pathFromUtf8(parts[0]);
    if (parts.size() == 4)
        return systemAnswer(file, parts[1], parts[2]);
    const platform::ProfileValue read = platform::readProfileString(file, parts[1], parts[2], kDefault);
    return probe_text::answer(read);
}

}  // namespace

int main()
{
    std::string question;
    while (std::getline(std::cin, question)) {
        if (!question.empty() && question.back() == '\r')
            question.pop_back();
        const std::string line = answer(question) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
