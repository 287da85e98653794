// Whether the suite's server is still there, and saying so once when it is not.
#include "tests/support/SharedServer.h"

#include "tests/support/AdminSession.h"
#include "tests/support/GeneralLog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace testing_support {

namespace {

std::string fileText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The last `count` lines of `file`.
std::string lastLines(const std::filesystem::path& file, std::size_t count)
{
    std::ifstream in(file);
    std::deque<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
        if (lines.size() > count)
            lines.pop_front();
    }
    std::string text;
    for (const std::string& line : lines)
        text += "  " + line + "\n";
    return text;
}

// What became of the process the pid file names.
std::string processState(const std::filesystem::path& dir)
{
    const std::string pid = fileText(dir / "mariadbd.pid");
    if (pid.empty())
        return "no pid file (the server was stopped, or killed and not started again)";
    const std::string number = pid.substr(0, pid.find_first_of("\r\n"));
    if (!std::filesystem::exists("/proc/" + number))
        return "its process " + number + " has ended";
    return "its process " + number + " is there but does not answer";
}

}  // namespace

void requireSharedServer()
{
    const std::filesystem::path dir = testServerDir();
    const std::filesystem::path note = dir / "server-gone";
    if (std::filesystem::exists(note))
        GTEST_SKIP() << "the suite's test server stopped earlier in this run: " << fileText(note);
    std::string reason;
    try {
        AdminSession probe;
        return;
    } catch (const std::exception& error) {
        reason = error.what();
    }
    // CTest runs one test a process, named by the filter.
    std::ofstream(note) << GTEST_FLAG_GET(filter) << " found it gone (" << processState(dir) << ")";
    ADD_FAILURE() << "The suite's test server in " << dir.string() << " no longer answers (" << reason << "); "
                  << processState(dir) << ". Later tests that need it are skipped. The end of its log ("
                  << (dir / "error.log").string() << "):\n"
                  << lastLines(dir / "error.log", 15);
    // After a failure in its global set-up GoogleTest reports each test "[  SKIPPED ]",
    // which CTest would count as skipped, not failed: the program ends here, failed.
    std::exit(EXIT_FAILURE);
}

}  // namespace testing_support
