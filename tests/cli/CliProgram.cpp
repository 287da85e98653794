// Runs the console program named by CLI_PROGRAM, through CLI_LAUNCHER when there is one.
#include "tests/cli/CliProgram.h"

#include "tests/support/ChildProcess.h"

#include <algorithm>

namespace cli_testing {

CliResult runCli(const Arguments& arguments, Environment environment)
{
    testing_support::ChildOptions options;
    options.environment = std::move(environment);
    options.environment.try_emplace("LC_ALL", "C.UTF-8");
#if defined(CLI_LAUNCHER)
    // The Windows program under Wine: the launcher runs the program it is given first.
    Arguments launched{CLI_PROGRAM};
    launched.insert(launched.end(), arguments.begin(), arguments.end());
    const auto child = testing_support::runChild(CLI_LAUNCHER, launched, options);
#else
    const auto child = testing_support::runChild(CLI_PROGRAM, arguments, options);
#endif
    return {child.exitStatus, testing_support::linesOf(child.out), testing_support::linesOf(child.err)};
}

std::string summary(const Counts& counts)
{
    return "Celkem databází: " + std::to_string(counts.listed) + ", aktualizováno: " + std::to_string(counts.updated) +
           ", kalendář už měly: " + std::to_string(counts.alreadyThere) + ", přeskočeno: " +
           std::to_string(counts.skipped) + ", výsledek neznámý: " + std::to_string(counts.unknown) +
           ", nezpracováno: " + std::to_string(counts.notReached);
}

bool contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::size_t countStartingWith(const std::vector<std::string>& lines, const std::string& prefix)
{
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.starts_with(prefix); }));
}

std::size_t linesWith(const std::vector<std::string>& lines, const std::string& part)
{
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.find(part) != std::string::npos; }));
}

}  // namespace cli_testing
