// The start-up cases every window is tested with: what the configuration file holds, what
// the server field then shows, and whether the run follows at once.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

struct StartUpCase {
    const char* description;
    std::optional<std::string> file;  // the file's bytes; none: no file at all
    std::string field;                // UTF-8
    bool runs;                        // the configured server answers, so the run follows
};

// ASCII text as a UTF-16LE file with its byte order mark, as Windows Notepad saves it.
inline std::string utf16leFile(std::string_view ascii)
{
    std::string bytes = "\xFF\xFE";
    for (char c : ascii)
        bytes += std::string{c, '\0'};
    return bytes;
}

// The test server answers at 127.0.0.1 and localhost; nothing listens at 127.0.0.2.
inline std::vector<StartUpCase> startUpCases()
{
    return {
        {"no file: the local server", std::nullopt, "localhost", true},
        {"address as a Windows editor saves it", "[DATABASE]\r\nIP=127.0.0.1\r\n", "127.0.0.1", true},
        {"section and key in lower case", "[database]\nip=127.0.0.1\n", "127.0.0.1", true},
        // The client library takes an empty host for the local server.
        {"key present but empty", "[DATABASE]\nIP=\n", "", true},
        {"UTF-16 file", utf16leFile("[DATABASE]\r\nIP=127.0.0.1\r\n"), "127.0.0.1", true},
        {"nothing listens there: the window waits", "[DATABASE]\nIP=127.0.0.2\n", "127.0.0.2", false},
        // Without reading the mark the section would be lost and the local server used.
        {"UTF-8 byte order mark and an unreachable address", "\xEF\xBB\xBF[DATABASE]\r\nIP=127.0.0.2\r\n",
         "127.0.0.2", false},
        {"Windows-1250 letters shown as such", "[DATABASE]\nIP=\xFA\xE8" "etn\xED/server\n", "účetní/server",
         false},
    };
}

}  // namespace testing_support
