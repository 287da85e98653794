// Answers profile lookups with the Windows reader, for the differential test of the two
// readers: each line "file<TAB>section<TAB>key" on standard input gets one line out,
// "F <hex>" (found), "D <hex>" (default), "M <hex>" (no file) or "U <problem>"
// (unreadable), the value's UTF-8 bytes in hex. One start answers every question, so Wine starts once.
#include "platform/FilePath.h"
#include "platform/ProfileFile.h"
#include "tests/platform/ProbeText.h"

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

std::string answer(const std::string& question)
{
    const std::vector<std::string> parts = fields(question);
    if (parts.size() != 3)
        return "? malformed question";
    const std::filesystem::path file = platform::pathFromUtf8(parts[0]);
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
