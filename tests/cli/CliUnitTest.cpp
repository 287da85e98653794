// The console's own pieces without a server: its command line, the servers it names, its
// JSON and its totals, its numbers and how the statuses of several servers combine.
#include "app/cli/CatchAll.h"
#include "app/cli/CommandLine.h"
#include "app/cli/ConsoleReport.h"
#include "app/cli/ExitStatus.h"
#include "app/cli/JsonText.h"
#include "app/cli/OptionTable.h"
#include "app/cli/ServerResult.h"
#include "app/cli/ServersToUpdate.h"
#include "app/cli/StopSignal.h"

#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <variant>

namespace {

cli::CommandLine parse(std::vector<const char*> arguments)
{
    return cli::parseCommandLine(arguments);
}

TEST(CliJson, StringsAreEscapedAsRfc8259Demands)
{
    struct Case {
        const char* description;
        std::string text;
        std::string json;
    };
    const Case cases[] = {
        {"plain", "firma_a", R"("firma_a")"},
        {"Czech letters stay as they are", "účetnictví", "\"účetnictví\""},
        {"quote and backslash", R"(a"b\c)", R"("a\"b\\c")"},
        {"short escapes", "\b\f\n\r\t", R"("\b\f\n\r\t")"},
        {"other control characters", std::string("\x01\x1f", 2) + std::string(1, '\0'), R"("\u0001\u001F\u0000")"},
        {"DEL needs no escape", "\x7f", "\"\x7f\""},
        {"a byte that starts no character", "a\xff" "b", R"("a\uFFFDb")"},
        {"a cut-off character", "\xc5", R"("\uFFFD")"},
        {"an encoded surrogate", "\xed\xa0\x80", R"("\uFFFD\uFFFD\uFFFD")"},
        {"an overlong slash", "\xc0\xaf", R"("\uFFFD\uFFFD")"},
        {"four bytes", "\xf0\x9f\x98\x80", "\"\xf0\x9f\x98\x80\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        EXPECT_EQ(cli::jsonString(c.text), c.json);
    }
    EXPECT_EQ(cli::JsonObject().text("a", "x").number("n", 12).boolean("b", false).raw("o", "{}").str(),
              R"({"a":"x","n":12,"b":false,"o":{}})");
}

TEST(CliNumbers, ThousandsAreSetApartBySpaces)
{
    const std::pair<std::size_t, const char*> cases[] = {
        {0, "0"}, {999, "999"}, {1000, "1 000"}, {1234, "1 234"}, {2008, "2 008"}, {123456, "123 456"},
        {1234567, "1 234 567"},
    };
    for (const auto& [number, text] : cases)
        EXPECT_EQ(cli::groupedDigits(number), text);
}

// Files as editors on both systems save them: an empty host would mean the local server
// to the client library, so no line without an address may give one, whatever its line
// ends and blanks.
TEST(CliHostsFile, OneAddressALineCommentsAndBlanksDropped)
{
    using Hosts = std::vector<std::string>;
    const struct {
        const char* what;
        std::string text;
        Hosts hosts;
    } cases[] = {
        {"comments, blanks and empty lines",
         "# servers of the branch offices\n192.0.2.10\n  db.example.test  # Brno\n\n\t\n::1",
         {"192.0.2.10", "db.example.test", "::1"}},
        {"CRLF line ends with an empty line", "a\r\n\r\nb\r\n", {"a", "b"}},
        {"CRLF and blanks around the address", "  a \t\r\n\t b\r\n", {"a", "b"}},
        {"a comment after an address, CRLF", "a # Brno\r\n", {"a"}},
        {"a last line without its end", "a\r\nb\r", {"a", "b"}},
        {"only comments", "# nothing\n\n", {}},
        {"only CRLF line ends", "\r\n\r\n\r\n", {}},
        {"only blanks of every kind", " \t\r\n\v\f\n\r\n", {}},
        {"control characters and DEL are no address", "\x01\x1A\x7F\r\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(cli::hostsInFile(c.text), c.hosts);
    }
}

// The lines written to `stream` so far.
std::vector<std::string> linesOf(std::FILE* stream)
{
    std::fflush(stream);
    std::rewind(stream);
    std::vector<std::string> lines;
    std::string line;
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) {
        if (c != '\n') {
            line += static_cast<char>(c);
        } else {
            lines.push_back(line);
            line.clear();
        }
    }
    return lines;
}

// The number a JSON line gives for `key`; none when it has no such field.
std::optional<std::uint64_t> jsonNumber(const std::string& line, const std::string& key)
{
    std::smatch match;
    if (!std::regex_search(line, match, std::regex("\"" + key + "\":([0-9]+)")))
        return std::nullopt;
    return std::stoull(match[1]);
}

using update::DatabaseOutcome;

// A run's outcome with these counts; the databases listed are their sum.
update::RunOutcome outcomeOf(update::RunEnd end, std::initializer_list<std::pair<DatabaseOutcome, std::size_t>> counts)
{
    update::RunOutcome outcome;
    outcome.end = end;
    for (const auto& [which, count] : counts) {
        outcome.counts[static_cast<std::size_t>(which)] += count;
        outcome.listed += count;
    }
    return outcome;
}

// Four servers that came, between them, to every outcome and to the ends that have a
// summary and the one that has none.
std::vector<cli::ServerResult> fourServersWithEveryOutcome()
{
    std::vector<cli::ServerResult> results(4);
    results[0].outcome = outcomeOf(update::RunEnd::Completed, {{DatabaseOutcome::Updated, 4},
                                                               {DatabaseOutcome::AlreadyThere, 1},
                                                               {DatabaseOutcome::Skipped, 3},
                                                               {DatabaseOutcome::ListedAgain, 2}});
    results[1].outcome = outcomeOf(update::RunEnd::SessionLost, {{DatabaseOutcome::Updated, 1},
                                                                 {DatabaseOutcome::AlreadyThere, 5},
                                                                 {DatabaseOutcome::Skipped, 1},
                                                                 {DatabaseOutcome::ListedAgain, 1},
                                                                 {DatabaseOutcome::Unknown, 2},
                                                                 {DatabaseOutcome::NotReached, 3}});
    results[2].outcome = outcomeOf(update::RunEnd::NoConnection, {});
    results[3].outcome = outcomeOf(update::RunEnd::Completed, {{DatabaseOutcome::DryRun, 3}});
    results[3].dryRun = true;
    return results;
}

// What the console writes for `results` and their total in `format`: standard output's
// lines and the error output's.
std::pair<std::vector<std::string>, std::vector<std::string>> reportsOf(const std::vector<cli::ServerResult>& results,
                                                                        cli::ReportFormat format)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    const cli::Terminal terminal;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (!out || !err)
        throw std::runtime_error("no temporary file");
    cli::ConsoleOutput output(out, err, false);
    for (const cli::ServerResult& result : results) {
        cli::ConsoleReport(terminal, output, format, "server", true).finished(result, 0);
    }
    cli::reportTotal(terminal, output, format, results, 2);
    std::pair<std::vector<std::string>, std::vector<std::string>> lines{linesOf(out), linesOf(err)};
    std::fclose(out);
    std::fclose(err);
    return lines;
}

// The total is what a program sums up a fleet by: each count it shares with the
// servers' summaries must be the sum of theirs, none folded into another.
TEST(CliJson, TheTotalSumsEachCountOfTheServersSummaries)
{
    const std::vector<cli::ServerResult> results = fourServersWithEveryOutcome();
    const std::vector<std::string> lines = reportsOf(results, cli::ReportFormat::Json).first;

    ASSERT_EQ(lines.size(), results.size() + 1);
    const std::string& total = lines.back();
    ASSERT_TRUE(total.starts_with(R"({"type":"total",)")) << total;
    for (const char* key :
         {"listed", "updated", "alreadyThere", "skipped", "listedAgain", "unknown", "notReached", "dryRun"}) {
        SCOPED_TRACE(key);
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i < results.size(); ++i) {
            ASSERT_TRUE(lines[i].starts_with(R"({"type":"summary",)")) << lines[i];
            sum += jsonNumber(lines[i], key).value_or(0);
        }
        EXPECT_EQ(jsonNumber(total, key), sum) << total;
    }
    EXPECT_EQ(jsonNumber(total, "alreadyThere"), 6u);
    EXPECT_EQ(jsonNumber(total, "skipped"), 4u);
    EXPECT_EQ(jsonNumber(total, "listedAgain"), 3u);
    EXPECT_EQ(jsonNumber(total, "notReached"), 3u);
}

// A person adds the human summary up as well: on each server and over all of them, the
// counts after the databases listed account for each of them once, whatever became of it.
TEST(CliText, EverySummaryAccountsForEachListedDatabase)
{
    const std::vector<cli::ServerResult> results = fourServersWithEveryOutcome();
    const std::vector<std::string> err = reportsOf(results, cli::ReportFormat::Text).second;

    std::vector<std::size_t> listedPerSummary;
    for (const std::string& line : err) {
        const std::size_t at = line.find("elkem databází: ");
        if (at == std::string::npos)
            continue;
        SCOPED_TRACE(line);
        const std::string counts = line.substr(at);
        std::vector<std::size_t> numbers;
        const std::regex number(": ([0-9]+)");
        for (auto it = std::sregex_iterator(counts.begin(), counts.end(), number); it != std::sregex_iterator(); ++it)
            numbers.push_back(std::stoull((*it)[1]));
        ASSERT_GE(numbers.size(), 2u);
        std::size_t sum = 0;
        for (std::size_t i = 1; i < numbers.size(); ++i)
            sum += numbers[i];
        EXPECT_EQ(sum, numbers[0]);
        listedPerSummary.push_back(numbers[0]);
    }
    // The server never reached has no summary; the total comes last.
    EXPECT_EQ(listedPerSummary, (std::vector<std::size_t>{10, 13, 3, 26}));
}

cli::ServerResult serverResult(update::RunOutcome outcome, bool dryRun = false)
{
    cli::ServerResult result;
    result.outcome = std::move(outcome);
    result.dryRun = dryRun;
    return result;
}

// The statuses as the manual gives them: 0 done (rows written or already there), 1 no
// connection, 2 list unreadable or connection lost, 3 nothing written, 4 another run
// updates the server, 5 never written (a replica, a read-only server, a Galera node that
// takes no writes); with several servers the worst of theirs in the order 2, 1, 4, 3, 5,
// 0, whichever server it comes from.
TEST(CliStatus, SeveralServersEndWithTheWorstOfTheirOutcomes)
{
    using update::RunEnd;
    const cli::ServerResult wrote =
        serverResult(outcomeOf(RunEnd::Completed, {{DatabaseOutcome::Updated, 1}, {DatabaseOutcome::Skipped, 1}}));
    const cli::ServerResult hadRows = serverResult(
        outcomeOf(RunEnd::Completed, {{DatabaseOutcome::AlreadyThere, 1}, {DatabaseOutcome::Skipped, 1}}));
    const cli::ServerResult refusedAll = serverResult(outcomeOf(RunEnd::Completed, {{DatabaseOutcome::Skipped, 2}}));
    const cli::ServerResult dryRun = serverResult(outcomeOf(RunEnd::Completed, {{DatabaseOutcome::DryRun, 2}}), true);
    const cli::ServerResult sameServer = serverResult(outcomeOf(RunEnd::SameServer, {}));
    const cli::ServerResult sameCluster = serverResult(outcomeOf(RunEnd::SameCluster, {}));
    const cli::ServerResult anotherRun = serverResult(outcomeOf(RunEnd::AnotherRun, {}));
    const cli::ServerResult replica = serverResult(outcomeOf(RunEnd::Replica, {}));
    const cli::ServerResult readOnly = serverResult(outcomeOf(RunEnd::ReadOnly, {}));
    const cli::ServerResult nodeNotWritable = serverResult(outcomeOf(RunEnd::NodeNotWritable, {}));
    const cli::ServerResult unreachable = serverResult(outcomeOf(RunEnd::NoConnection, {}));
    const cli::ServerResult listUnreadable = serverResult(outcomeOf(RunEnd::ListUnreadable, {}));
    const cli::ServerResult lost = serverResult(outcomeOf(
        RunEnd::SessionLost,
        {{DatabaseOutcome::Updated, 1}, {DatabaseOutcome::Unknown, 1}, {DatabaseOutcome::NotReached, 1}}));
    struct Case {
        const char* what;
        std::vector<cli::ServerResult> servers;
        int status;
    };
    const Case cases[] = {
        {"rows written", {wrote}, 0},
        {"rows already there", {hadRows}, 0},
        {"a dry run sends nothing and is done", {dryRun}, 0},
        {"a second address of a server updated through the first", {wrote, sameServer}, 0},
        {"a second node of a cluster updated through the first", {wrote, sameCluster}, 0},
        {"a replica beside its primary", {wrote, replica}, 5},
        {"a read-only server", {readOnly}, 5},
        {"a Galera node that takes no writes", {nodeNotWritable, sameCluster}, 5},
        {"nothing written outweighs a server never written", {replica, refusedAll}, 3},
        {"another run outweighs nothing written", {refusedAll, anotherRun, replica, wrote}, 4},
        {"no connection outweighs another run", {anotherRun, unreachable}, 1},
        {"every database refused", {refusedAll}, 3},
        {"one of two servers wrote nothing", {wrote, refusedAll}, 3},
        {"no connection outweighs nothing written", {refusedAll, unreachable, wrote}, 1},
        {"a lost connection outweighs no connection", {unreachable, lost}, 2},
        {"an unreadable list outweighs no connection", {refusedAll, listUnreadable, unreachable}, 2},
        {"all of them", {hadRows, refusedAll, lost, unreachable, wrote}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(cli::overallStatus(c.servers), c.status);
        const std::vector<cli::ServerResult> reversed(c.servers.rbegin(), c.servers.rend());
        EXPECT_EQ(cli::overallStatus(reversed), c.status) << "in the other order";
    }
}

// The servers a command names, each once and in its order, or the configuration file's.
TEST(CliServers, CommandLineThenHostsFileElseTheConfigurationFile)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    const cli::Terminal terminal;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "cli-servers-to-update";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "folder");
    const std::string list = (dir / "servers").string(), comments = (dir / "comments").string();
    const std::string ini = (dir / "quorvel.ini").string(), absent = (dir / "absent.ini").string();
    const std::string folder = (dir / "folder").string();
    std::ofstream(list) << "# branches\nb\nc  # Brno\na\n";
    std::ofstream(comments) << "# none yet\n\n";
    const std::string blankLines = (dir / "blank-lines").string();
    std::ofstream(blankLines, std::ios::binary) << "\r\n \t\r\n\r\n";
    std::ofstream(ini) << "[DATABASE]\nIP=192.0.2.10\n";

    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        std::string installed;
        std::vector<std::string> hosts;
        std::optional<std::string> configurationFile;  // the file read, when it gave the address
        bool fileExists;
        int status;  // for a failure; the hosts are then none
    };
    const Case cases[] = {
        {"--host in order, each once", {"--host", "b", "--host", "a", "--host", "b"}, ini, {"b", "a"}, {}, false, 0},
        {"--host before the hosts file, a repeat dropped",
         {"--hosts-file", list, "--host", "a"}, ini, {"a", "b", "c"}, {}, false, 0},
        {"a named server outweighs --config", {"--config", absent, "--host", "a"}, ini, {"a"}, {}, false, 0},
        {"the installed file", {}, ini, {"192.0.2.10"}, ini, true, 0},
        {"--config in place of the installed file", {"--config", ini}, absent, {"192.0.2.10"}, ini, true, 0},
        {"the installed file missing: localhost", {}, absent, {"localhost"}, absent, false, 0},
        {"--config missing", {"--config", absent}, ini, {}, {}, false, 78},
        {"the configuration file unreadable", {}, folder, {}, {}, false, 78},
        {"the hosts file missing", {"--hosts-file", absent, "--host", "a"}, ini, {}, {}, false, 66},
        {"the hosts file without an address", {"--hosts-file", comments}, ini, {}, {}, false, 66},
        {"the hosts file of blank CRLF lines", {"--hosts-file", blankLines}, ini, {}, {}, false, 66},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<const char*> arguments;
        for (const std::string& argument : c.arguments)
            arguments.push_back(argument.c_str());
        const cli::CommandLine commandLine = parse(arguments);
        std::FILE* err = std::tmpfile();
        ASSERT_NE(err, nullptr);
        const auto servers = cli::serversToUpdate(terminal, commandLine, c.installed, err);
        const std::vector<std::string> said = linesOf(err);
        std::fclose(err);
        if (c.status != 0) {
            ASSERT_TRUE(std::holds_alternative<int>(servers));
            EXPECT_EQ(std::get<int>(servers), c.status);
            EXPECT_EQ(said.size(), 1u) << "one line says why";
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<cli::ServerList>(servers)) << testing::PrintToString(said);
        const cli::ServerList& list = std::get<cli::ServerList>(servers);
        EXPECT_EQ(list.hosts, c.hosts);
        EXPECT_TRUE(said.empty());
        ASSERT_EQ(list.configuration.has_value(), c.configurationFile.has_value());
        if (list.configuration) {
            EXPECT_EQ(list.configuration->file, *c.configurationFile);
            EXPECT_EQ(list.configuration->fileExists, c.fileExists);
        }
    }
    std::filesystem::remove_all(dir);
}

// Whatever escapes the program's own handling gives one line and status 70, which no
// outcome of a run shares; a status from the work itself passes through.
TEST(CliCatchAll, AnEscapedExceptionGivesOneLineAndItsOwnStatus)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    const cli::Terminal terminal;
    struct Case {
        const char* what;
        std::function<int()> work;
        int status;
        std::string line;
    };
    const Case cases[] = {
        {"a standard exception", [] () -> int { throw std::runtime_error("cesta C:\\Jiří\nnejde"); }, 70,
         "calendar-import-cli: vnitřní chyba programu: cesta C:\\Jiří\\nnejde\n"},
        {"anything else", [] () -> int { throw 42; }, 70,
         "calendar-import-cli: vnitřní chyba programu: neznámá výjimka\n"},
        {"no exception", [] { return cli::kExitNothingWritten; }, 3, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path file = std::filesystem::temp_directory_path() / "cli-catch-all.txt";
        std::FILE* err = std::fopen(file.c_str(), "w+b");
        ASSERT_NE(err, nullptr);
        EXPECT_EQ(cli::statusCatchingEverything(err, terminal, c.work), c.status);
        std::fclose(err);
        std::ostringstream written;
        written << std::ifstream(file, std::ios::binary).rdbuf();
        EXPECT_EQ(written.str(), c.line);
        std::filesystem::remove(file);
    }
}

TEST(CliOptions, ConventionalFormsAreRead)
{
    const cli::CommandLine full = parse({"--host", "a", "--host=b", "--hosts-file=list", "--format", "json",
                                         "--connect-timeout=5", "--timeout", "0", "--parallel", "2", "--batch=100",
                                         "--sessions", "8", "--tls-ca", "ca.pem", "--dry-run", "--"});
    EXPECT_EQ(full.action, cli::CommandLine::Action::Run);
    EXPECT_EQ(full.hosts, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(full.hostsFile, "list");
    EXPECT_EQ(full.run.format, cli::ReportFormat::Json);
    EXPECT_EQ(full.run.connectTimeout, 5u);
    EXPECT_EQ(full.run.answerTimeout, 0u);
    EXPECT_EQ(full.run.parallel, 2u);
    EXPECT_EQ(full.run.batch, 100u);
    EXPECT_EQ(full.run.sessions, 8u);
    EXPECT_TRUE(full.run.tls) << "a certificate authority asks for a verified session";
    EXPECT_EQ(full.run.tlsCaFile, "ca.pem");
    EXPECT_TRUE(full.run.dryRun);

    // A scheduled job must never wait forever: without options the limits are there, and
    // the session is the window's: one session, the statements streamed as deep as a
    // session may keep them unanswered, no TLS.
    const cli::CommandLine none = parse({});
    EXPECT_GT(none.run.connectTimeout, 0u);
    EXPECT_GT(none.run.answerTimeout, 0u);
    EXPECT_EQ(none.run.batch, 1000u);
    EXPECT_EQ(none.run.sessions, 1u);
    EXPECT_FALSE(none.run.tls);

    EXPECT_EQ(parse({"-h"}).action, cli::CommandLine::Action::ShowHelp);
    EXPECT_EQ(parse({"-V"}).action, cli::CommandLine::Action::ShowVersion);
    EXPECT_EQ(parse({"--version", "--help"}).action, cli::CommandLine::Action::ShowHelp);
    EXPECT_EQ(parse({"--timeout", "3", "--timeout", "4"}).run.answerTimeout, 4u) << "the last one counts";
}

// Every number's limits are values the program takes, the values beyond them are not; the
// limits and the defaults are the table's.
TEST(CliOptions, EveryNumberTakesItsLimitsAndRefusesWhatLiesBeyond)
{
    const cli::RunSettings defaults;
    for (const cli::Option& option : cli::kOptions) {
        if (option.kind != cli::OptionKind::Number)
            continue;
        const std::string name(option.name);
        SCOPED_TRACE(name);
        EXPECT_EQ(defaults.*option.number, option.byDefault);
        for (const unsigned limit : {option.low, option.high}) {
            const std::string given = name + "=" + std::to_string(limit);
            const cli::CommandLine taken = parse({given.c_str()});
            ASSERT_EQ(taken.action, cli::CommandLine::Action::Run) << given << ": " << taken.problemText;
            EXPECT_EQ(taken.run.*option.number, limit) << given;
        }
        std::vector<unsigned long> beyond = {option.high + 1ul};
        if (option.low > 0)
            beyond.push_back(option.low - 1ul);
        for (const unsigned long value : beyond) {
            const std::string text = std::to_string(value);
            const cli::CommandLine refused = parse({name.c_str(), text.c_str()});
            EXPECT_EQ(refused.action, cli::CommandLine::Action::Wrong) << name << " " << text;
            EXPECT_EQ(refused.wrongArgument, text);
            EXPECT_EQ(cli::fill(refused.problemText, {"calendar-import-cli", text}),
                      "calendar-import-cli: volba " + name + " potřebuje celé číslo od " + std::to_string(option.low) +
                          " do " + std::to_string(option.high) + ", ne " + text);
        }
    }
}

// An address without a visible character would mean the local server: refused however
// it is given, as a wrong command line.
TEST(CliOptions, ABlankHostIsAWrongCommandLine)
{
    for (const char* arguments : {"--host=", "--host= ", "--host=\t\r", "--host=\x7F"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(arguments)));
        const cli::CommandLine commandLine = parse({"--host=a", arguments});
        EXPECT_EQ(commandLine.action, cli::CommandLine::Action::Wrong);
        EXPECT_EQ(commandLine.wrongArgument, "--host");
    }
    EXPECT_EQ(parse({"--host", "", "--host", "a"}).action, cli::CommandLine::Action::Wrong);
}

// The first stop signal is the one the program ends with (128 plus its number); a later
// one is not recorded, which on Windows lets it end the program at once. (The number is
// written before the flag that the runs watch; no test sees two stores' order reliably,
// so record() sets the flag only once the number has won its place.)
TEST(CliStop, TheFirstSignalIsRecordedAndALaterOneRefused)
{
    cli::StopRequest request;
    EXPECT_EQ(request.signal(), 0);
    EXPECT_FALSE(request.requested().load());
    EXPECT_TRUE(request.record(SIGTERM));
    EXPECT_TRUE(request.requested().load());
    EXPECT_FALSE(request.record(SIGINT));
    EXPECT_EQ(request.signal(), SIGTERM);
}

}  // namespace
