// The console program as an administrator runs it: exit statuses, report lines, dry
// runs and names with Czech letters, against the real test server.
#include "platform/CodePage.h"
#include "tests/cli/CliProgram.h"
#include "tests/support/CuttingProxy.h"
#include "tests/support/AdminSession.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GeneralLog.h"
#include "tests/support/ProbeMarks.h"
#include "update/CalendarUpdate.h"

#include <gtest/gtest.h>

#if defined(CLI_WINE_PREFIX)
#include <pwd.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace cli_testing;
using namespace testing_support;

// The configuration file the program reads unless told otherwise, as written by hand.
#if defined(_WIN32) || defined(CLI_LAUNCHER)
constexpr char kInstalledConfigurationFile[] = R"(c:\program files\molvan\quorvel\quorvel.ini)";
#else
constexpr char kInstalledConfigurationFile[] = "/etc/opt/molvan/quorvel/quorvel.ini";
#endif

// A loopback address where nothing listens, and one for the cutting relay.
constexpr char kNobodyThere[] = "127.0.0.2";
constexpr char kRelayAddress[] = "127.0.0.3";

const std::string kDone = "Aktualizace dokončena";
const std::string kDryRunDone = "Zkušební běh skončil, žádný příkaz nebyl odeslán";

// A file of this machine as the program names it: under Wine, drive Z: is the root.
std::string programPath(const std::filesystem::path& path)
{
#if defined(CLI_LAUNCHER)
    std::string windowsPath = "Z:" + path.string();
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    return windowsPath;
#else
    return path.string();
#endif
}

// For lines whose end is the server's or the client library's own wording.
::testing::AssertionResult startsWith(const std::string& line, const std::string& prefix)
{
    if (line.starts_with(prefix))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << line << "\" does not start with \"" << prefix << "\"";
}

class CliRun : public ::testing::Test {
protected:
    void SetUp() override { dropTenantDatabases(admin); }
    void TearDown() override { dropTenantDatabases(admin); }

    AdminSession admin;
};

TEST_F(CliRun, ReportsEveryListedDatabaseInOrderAndTheCounts)
{
    const std::string czech = "účetnictví_žluťoučký";
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    createTenant(admin, czech, CalendarTable::WithKey);
    createTenant(admin, "bez_kalendare", CalendarTable::Missing);
    const std::vector<std::string> listed = databasesListedInWindows1250();

    const CliResult result = runCli({"--host", "127.0.0.1"});

    EXPECT_EQ(result.exitStatus, 0);
    ASSERT_EQ(result.out.size(), listed.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        const std::string name = platform::windows1250ToUtf8(listed[i]);
        SCOPED_TRACE(name);
        const std::string& line = result.out[i];
        if (name == "firma_a" || name == czech)
            EXPECT_EQ(line, name + ": aktualizována");
        else
            EXPECT_TRUE(startsWith(line, name + ": přeskočena: "));
    }
    EXPECT_TRUE(contains(result.out, "bez_kalendare: přeskočena: Table 'bez_kalendare.calendar' doesn't exist (1146)"))
        << "the server's reason and number follow the name";
    EXPECT_EQ(result.err, (std::vector<std::string>{
                              kDone, summary({.listed = listed.size(), .updated = 2, .skipped = listed.size() - 2})}));
    EXPECT_EQ(calendarRows(admin, czech), expectedCalendarRows());
}

// A nightly re-run: the rows already there are an outcome of their own, apart from the
// databases that refused them for another reason, in every line and count.
TEST_F(CliRun, SecondRunFindsTheRowsAlreadyThereAndStillSucceeds)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    createTenant(admin, "bez_kalendare", CalendarTable::Missing);
    runCli({"--host", "localhost"});
    const CliResult second = runCli({"--host", "localhost"});

    EXPECT_EQ(second.exitStatus, 0);
    EXPECT_TRUE(contains(second.out, "firma_a: kalendář už v databázi je: Duplicate entry '50' for key 'PRIMARY' (1062)"));
    EXPECT_TRUE(contains(second.out, "bez_kalendare: přeskočena: Table 'bez_kalendare.calendar' doesn't exist (1146)"));
    EXPECT_EQ(second.err,
              (std::vector<std::string>{kDone, summary({.listed = second.out.size(), .alreadyThere = 1,
                                                        .skipped = second.out.size() - 1})}));

    const CliResult json = runCli({"--host", "localhost", "--format", "json"});
    EXPECT_EQ(json.exitStatus, 0);
    EXPECT_TRUE(contains(json.out, R"({"type":"database","server":"localhost","database":"firma_a",)"
                                   R"("outcome":"already-there","error":{"number":1062,"text":"Duplicate entry '50' for key 'PRIMARY'"}})"));
    ASSERT_FALSE(json.out.empty());
    EXPECT_NE(json.out.back().find(R"("updated":0,"alreadyThere":1,"skipped":)"), std::string::npos) << json.out.back();
}

TEST_F(CliRun, NamesFollowTheLocalesEncoding)
{
    const std::string czech = "účetnictví_žluťoučký";
    struct Case {
        const char* locale;
        std::string updatedLine;
        std::string notice;
    };
    // Messages may lose their accents where the locale has none; a name never does:
    // what the locale cannot show is escaped, so that the name can be recovered.
    const Case cases[] = {
        {"C.UTF-8", czech + ": aktualizována", kDone},
        {"C", "\\u{00FA}\\u{010D}etnictv\\u{00ED}_\\u{017E}lu\\u{0165}ou\\u{010D}k\\u{00FD}: aktualizovana",
         "Aktualizace dokoncena"},
    };
    for (const Case& c : cases) {
#if defined(CLI_LAUNCHER)
        // Windows has no locale variables: its console program writes UTF-8 whatever
        // LC_ALL says, so only the UTF-8 case applies there.
        if (std::string_view(c.locale) != "C.UTF-8")
            continue;
#endif
        SCOPED_TRACE(c.locale);
        dropTenantDatabases(admin);
        createTenant(admin, czech, CalendarTable::WithKey);
        const CliResult result = runCli({"--host", "localhost"}, {{"LC_ALL", c.locale}});
        EXPECT_EQ(result.exitStatus, 0);
        EXPECT_EQ(result.out.back(), c.updatedLine);
        EXPECT_EQ(result.err.front(), c.notice);
    }
}

TEST_F(CliRun, DryRunPrintsEachStatementAndSendsNone)
{
    const std::string czech = "účetnictví";
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    createTenant(admin, czech, CalendarTable::WithKey);
    const std::vector<std::string> listed = databasesListedInWindows1250();
    GeneralLog log;

    const CliResult result = runCli({"--dry-run", "--host", "localhost"});

    EXPECT_EQ(result.exitStatus, 0);
    // Each line is the statement as the run builds it, its closing ';' included (these
    // names need no escape; the text report is for reading, the JSON report is exact).
    std::vector<std::string> expectedLines;
    for (const std::string& name : listed)
        expectedLines.push_back(platform::windows1250ToUtf8(expectedStatement(name)) + ";");
    EXPECT_EQ(result.out, expectedLines);
    EXPECT_EQ(result.err,
              (std::vector<std::string>{kDryRunDone, "Celkem databází: " + std::to_string(listed.size()) +
                                                        ", příkazů neodesláno (zkušební běh): " +
                                                        std::to_string(listed.size())}));
    EXPECT_EQ(probesMarked(log.queriesBy("quorvel")),
              (std::vector<std::string>{"SET CHARACTER SET cp1250", kProbeMark, "SHOW DATABASES"}));
    EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
    EXPECT_TRUE(calendarRows(admin, czech).empty());
}

TEST_F(CliRun, NoConnectionEndsWithOneAndTheLibrarysReason)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    const CliResult result = runCli({"--host", kNobodyThere});

    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_TRUE(result.out.empty());
    ASSERT_EQ(result.err.size(), 1u) << "one failure, one line";
    const std::string failed = std::string("calendar-import-cli: nepodařilo se připojit k serveru ") + kNobodyThere + ": ";
    EXPECT_TRUE(startsWith(result.err[0], failed));
    EXPECT_GT(result.err[0].size(), failed.size()) << "the reason is given";
    EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
}

// Session threads come and go with several servers and sessions; each one's end must
// leave the status to the outcome. (The Windows build once crashed at the end of such a
// thread in about half the runs, so the case runs several times.)
TEST_F(CliRun, SeveralServersAndSessionsEndWithTheWorstOutcome)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    for (int run = 1; run <= 5; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        admin.exec("DELETE FROM `firma_a`.`calendar`");
        const CliResult result = runCli({"--host", "127.0.0.1", "--host", kNobodyThere, "--sessions", "3"});
        EXPECT_EQ(result.exitStatus, 1) << testing::PrintToString(result.err);
        EXPECT_EQ(calendarRows(admin, "firma_a"), expectedCalendarRows());
    }
}

TEST_F(CliRun, UnreadableListEndsWithTwo)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    CuttingProxy relay(kRelayAddress, "SHOW DATABASES");
    const CliResult result = runCli({"--host", kRelayAddress});

    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_TRUE(result.out.empty());
    ASSERT_EQ(result.err.size(), 2u);
    // The server's or the library's own words, with the number, explain the failure.
    EXPECT_TRUE(startsWith(result.err[0], std::string("calendar-import-cli: seznam databází serveru ") + kRelayAddress +
                                              " nešel načíst: "));
    EXPECT_EQ(result.err[1], summary({}));
    EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
}

TEST_F(CliRun, LostSessionEndsWithTwoAfterTheDatabasesDone)
{
    for (const char* name : {"t1", "t2", "t3", "t4"})
        createTenant(admin, name, CalendarTable::WithKey);
    CuttingProxy relay(kRelayAddress, "INSERT INTO `t3`");
    // One statement at a time, so that t1 and t2 have their answers before t3 leaves.
    const CliResult result = runCli({"--host", kRelayAddress, "--batch", "1"});

    EXPECT_EQ(result.exitStatus, 2);
    ASSERT_GE(result.out.size(), 3u);
    const std::vector<std::string> lastThree(result.out.end() - 3, result.out.end());
    EXPECT_EQ(lastThree[0], "t1: aktualizována");
    EXPECT_EQ(lastThree[1], "t2: aktualizována");
    // Whether t3 took its rows is not known: it is not reported as skipped.
    EXPECT_TRUE(startsWith(lastThree[2], "t3: výsledek neznámý, spojení se přerušilo: "));
    EXPECT_TRUE(startsWith(result.err.front(), std::string("calendar-import-cli: spojení se serverem ") +
                                                   kRelayAddress + " se přerušilo: "));
    const size_t listed = databasesListedInWindows1250().size();
    const size_t reached = result.out.size();
    EXPECT_EQ(result.err.back(), summary({.listed = listed, .updated = 2, .skipped = reached - 3, .unknown = 1,
                                          .notReached = listed - reached}));
    EXPECT_TRUE(calendarRows(admin, "t3").empty());
    EXPECT_TRUE(calendarRows(admin, "t4").empty());
}

TEST_F(CliRun, HostComesFromTheConfigurationFileUnlessGiven)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    const std::filesystem::path dir = std::filesystem::path(CLI_SUITE_DIR) / "config";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "a-folder.ini");
    // Longer than Windows' MAX_PATH (260), the file's own name included.
    const std::filesystem::path deep = dir / std::string(100, 'a') / std::string(100, 'b') / std::string(100, 'c');
    std::filesystem::create_directories(deep);
    const std::string file = programPath(dir / "quorvel.ini");
    const std::string folder = programPath(dir / "a-folder.ini");
    const std::string longPath = programPath(deep / "quorvel.ini");
    struct Case {
        const char* description;
        const char* configuration;  // nullptr: no file
        Arguments arguments;
        int exitStatus;
        std::string missing;  // the file named as missing
    };
    const Case cases[] = {
        {"address from the file", "[DATABASE]\nIP=127.0.0.1\n", {"--config", file}, 0, {}},
        {"wrong address in the file", "[DATABASE]\nIP=127.0.0.2\n", {"--config", file}, 1, {}},
        {"--host wins over the file", "[DATABASE]\nIP=127.0.0.2\n", {"--config=" + file, "--host", "localhost"}, 0, {}},
        {"--host=ADDRESS wins as well", "[DATABASE]\nIP=127.0.0.1\n", {"--config", file, "--host=127.0.0.2"}, 1, {}},
        {"a path longer than MAX_PATH is read", "[DATABASE]\nIP=127.0.0.1\n", {"--config", longPath}, 0, {}},
        {"wrong address behind a path longer than MAX_PATH", "[DATABASE]\nIP=127.0.0.2\n", {"--config", longPath}, 1, {}},
        // A file the user names must be there: a typo never leads to localhost.
        {"no file", nullptr, {"--config", file}, 78, file},
        {"no such folder", nullptr, {"--config", programPath(dir / "absent" / "quorvel.ini")}, 78,
         programPath(dir / "absent" / "quorvel.ini")},
        // There but unreadable: no address was read, so nothing is sent anywhere.
        {"a folder where the file should be", nullptr, {"--config", folder}, 78, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        std::filesystem::remove(dir / "quorvel.ini");
        std::filesystem::remove(deep / "quorvel.ini");
        if (c.configuration) {
            std::ofstream(dir / "quorvel.ini") << c.configuration;
            std::ofstream(deep / "quorvel.ini") << c.configuration;
        }
        const CliResult result = runCli(c.arguments);
        EXPECT_EQ(result.exitStatus, c.exitStatus) << testing::PrintToString(result.err);
        if (!c.missing.empty()) {
            EXPECT_EQ(result.err, std::vector<std::string>{"calendar-import-cli: konfigurační soubor " + c.missing +
                                                           " neexistuje"});
            EXPECT_TRUE(result.out.empty());
        } else if (c.exitStatus == 78) {
            // One line naming the file as given, backslashes and all, and the system's reason.
            ASSERT_EQ(result.err.size(), 1u);
            EXPECT_TRUE(startsWith(result.err[0],
                                   "calendar-import-cli: konfigurační soubor " + folder + " nejde přečíst: "));
#if !defined(CLI_LAUNCHER)
            EXPECT_EQ(result.err[0], "calendar-import-cli: konfigurační soubor " + folder +
                                         " nejde přečíst: Is a directory");
#endif
        }
    }
    EXPECT_TRUE(calendarRows(admin, "firma_a").size() == 12u);
    std::filesystem::remove_all(dir);
}

// The configuration file's address is a host and nothing more: a port or another part
// written into it is the file's fault (78), said in one line before any connection; an
// IPv6 address is an address, and blanks alone still mean the local server, as the
// business application reads them.
TEST_F(CliRun, AnAddressInTheConfigurationFileThatCannotBeAHostIsAConfigurationError)
{
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "calendar-cli-address";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string file = programPath(dir / "quorvel.ini");
    const std::string refused = "calendar-import-cli: konfigurační soubor " + file;
    const std::string port = " s portem; port je vždy 3306 a do adresy nepatří";
    const struct {
        const char* address;
        int exitStatus;
        std::string line;  // the first line on standard error
    } cases[] = {
        {"127.0.0.1:3306", 78, refused + " uvádí adresu serveru 127.0.0.1:3306" + port},
        {"localhost:3307", 78, refused + " uvádí adresu serveru localhost:3307" + port},
        {"[::1]:3306", 78, refused + " uvádí adresu serveru [::1]:3306" + port},
        {"127.0.0.1/data", 78,
         refused + ": Adresa serveru \"127.0.0.1/data\" obsahuje znak, který v adrese být nemůže (: / ? , ; =)"},
        {"::1", 0, "Konfigurační soubor " + file + ", adresa serveru ::1"},
        // Nothing routes there: a connection tried and failed, not a configuration error.
        {"fd00::10", 1, "Konfigurační soubor " + file + ", adresa serveru fd00::10"},
        {"   ", 0, "Konfigurační soubor " + file + ", adresa serveru "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        std::ofstream(dir / "quorvel.ini", std::ios::trunc) << "[DATABASE]\r\nIP=" << c.address << "\r\n";
        const CliResult result = runCli({"--config", file, "--dry-run", "--connect-timeout", "5"});
        EXPECT_EQ(result.exitStatus, c.exitStatus) << testing::PrintToString(result.err);
        ASSERT_FALSE(result.err.empty());
        EXPECT_EQ(result.err.front(), c.line);
        if (c.exitStatus == 78) {
            EXPECT_EQ(result.err.size(), 1u);
            EXPECT_TRUE(result.out.empty());
        }
    }
    std::filesystem::remove_all(dir);
}

// The report names the configuration file that gave the address, for a person and in JSON.
TEST_F(CliRun, ReportNamesTheConfigurationFileRead)
{
    const std::filesystem::path dir = std::filesystem::path(CLI_SUITE_DIR) / "named";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "quorvel.ini") << "[DATABASE]\nIP=127.0.0.1\n";
    const std::string file = programPath(dir / "quorvel.ini");

    const CliResult text = runCli({"--config", file, "--dry-run"});
    EXPECT_EQ(text.exitStatus, 0);
    ASSERT_FALSE(text.err.empty());
    EXPECT_EQ(text.err.front(), "Konfigurační soubor " + file + ", adresa serveru 127.0.0.1");

    const CliResult json = runCli({"--config", file, "--dry-run", "--format", "json"});
    EXPECT_EQ(json.exitStatus, 0);
    ASSERT_FALSE(json.out.empty());
    std::string escaped;
    for (char c : file)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    EXPECT_EQ(json.out.front(),
              R"({"type":"configuration","file":")" + escaped + R"(","fileExists":true,"server":"127.0.0.1"})");

    // Given addresses come from no file: nothing is named.
    const CliResult given = runCli({"--config", file, "--host", "127.0.0.1", "--dry-run"});
    EXPECT_TRUE(std::none_of(given.err.begin(), given.err.end(),
                             [](const std::string& line) { return line.starts_with("Konfigurační soubor"); }));
    std::filesystem::remove_all(dir);
}

#if defined(CLI_WINE_PREFIX)
// UAC keeps what a legacy program, not elevated, writes into Program Files in a per-user
// copy and gives that copy back to it; this program reads the same copy then. Under Wine
// run as root every process is elevated (TokenElevation 1), so there the file in Program
// Files is read whichever of the two is there: the not-elevated branch is tested with the
// elevation as an input (VirtualStoreTest). A prefix of its own: the files it lays into
// Program Files must not reach other tests.
TEST_F(CliRun, UnderWineTheElevatedProgramReadsTheFileInProgramFilesAndNamesIt)
{
    const std::filesystem::path prefix = CLI_WINE_PREFIX;
    runCli({"--version"}, {{"CALENDAR_WINEPREFIX", CLI_WINE_PREFIX}});  // makes the prefix the first time
    const std::filesystem::path installed = prefix / "drive_c/Program Files/molvan/quorvel/quorvel.ini";
    const std::filesystem::path copy = prefix / "drive_c/users" / getpwuid(getuid())->pw_name /
                                       "AppData/Local/VirtualStore/Program Files/molvan/quorvel/quorvel.ini";
    std::filesystem::create_directories(installed.parent_path());
    std::filesystem::create_directories(copy.parent_path());
    const std::string named = "Konfigurační soubor " + std::string(kInstalledConfigurationFile);
    const struct {
        const char* description;
        bool installedThere;
        bool copyThere;
        std::string reported;
    } cases[] = {
        {"both files", true, true, named + ", adresa serveru 127.0.0.1"},
        {"only the file in Program Files", true, false, named + ", adresa serveru 127.0.0.1"},
        {"only the per-user copy", false, true, named + " neexistuje, adresa serveru localhost"},
        {"neither", false, false, named + " neexistuje, adresa serveru localhost"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        std::filesystem::remove(installed);
        std::filesystem::remove(copy);
        if (c.installedThere)
            std::ofstream(installed) << "[DATABASE]\r\nIP=127.0.0.1\r\n";
        if (c.copyThere)
            std::ofstream(copy) << "[DATABASE]\r\nIP=127.0.0.2\r\n";  // nobody there: a run against it fails
        const CliResult result = runCli({"--dry-run"}, {{"CALENDAR_WINEPREFIX", CLI_WINE_PREFIX}});
        EXPECT_EQ(result.exitStatus, 0) << testing::PrintToString(result.err);
        ASSERT_FALSE(result.err.empty());
        EXPECT_EQ(result.err.front(), c.reported);
    }
    std::filesystem::remove(installed);
    std::filesystem::remove(copy);
}
#endif

// Hosts files as Windows tools save them: the byte order mark says how the file is
// encoded, and every address in it is read as written.
TEST_F(CliRun, HostsFileIsReadInEachEncodingWindowsToolsWrite)
{
    const std::filesystem::path dir = std::filesystem::path(CLI_SUITE_DIR) / "hosts";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::u16string hosts = u"# pobočky\r\n127.0.0.1\r\nlocalhost   # druhý\r\n";
    const auto utf16 = [&](bool bigEndian) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t unit : hosts) {
            const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    };
    const std::string utf8 = "# pobočky\r\n127.0.0.1\r\nlocalhost   # druhý\r\n";
    // Longer than Windows' MAX_PATH (260).
    const std::filesystem::path deep = dir / std::string(100, 'a') / std::string(100, 'b') / std::string(100, 'c');
    std::filesystem::create_directories(deep);
    const struct {
        const char* description;
        std::string bytes;
        std::filesystem::path file;
    } cases[] = {
        {"UTF-8", utf8, dir / "hosts"},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" + utf8, dir / "hosts"},
        {"UTF-16LE with a byte order mark (PowerShell 5.1's >)", utf16(false), dir / "hosts"},
        {"UTF-16BE with a byte order mark", utf16(true), dir / "hosts"},
        {"UTF-16LE behind a path longer than MAX_PATH", utf16(false), deep / "hosts"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        std::ofstream(c.file, std::ios::binary | std::ios::trunc) << c.bytes;
        const CliResult result = runCli({"--hosts-file", programPath(c.file), "--dry-run", "--format", "json"});
        EXPECT_EQ(result.exitStatus, 0) << testing::PrintToString(result.err);
        // Both addresses reach the suite's one server: whichever comes second is told
        // apart as the same server, but each has its summary.
        for (const char* host : {"127.0.0.1", "localhost"}) {
            EXPECT_EQ(countStartingWith(result.out, R"({"type":"summary","server":")" + std::string(host) + "\","), 1u)
                << host;
        }
        EXPECT_TRUE(std::all_of(result.out.begin(), result.out.end() - 1, [](const std::string& line) {
            return line.find(R"("server":"127.0.0.1",)") != std::string::npos ||
                   line.find(R"("server":"localhost",)") != std::string::npos;
        })) << testing::PrintToString(result.out);
        EXPECT_TRUE(result.out.back().starts_with(R"({"type":"total","servers":2,)")) << result.out.back();
    }
    std::filesystem::remove_all(dir);
}

TEST(CliCommandLine, WrongArgumentsGiveUsageAndSixtyFour)
{
    struct Case {
        const char* description;
        Arguments arguments;
        std::string firstLine;
    };
    const Case cases[] = {
        {"unknown option", {"--verbose"}, "calendar-import-cli: neznámý argument --verbose"},
        {"argument without option", {"localhost"}, "calendar-import-cli: neznámý argument localhost"},
        {"host without its value", {"--host"}, "calendar-import-cli: volbě --host chybí hodnota"},
        // An unset variable in a script must not mean the local server.
        {"empty host", {"--host="}, "calendar-import-cli: volba --host potřebuje adresu; místní server je localhost"},
        {"empty host as its own argument", {"--host", ""},
         "calendar-import-cli: volba --host potřebuje adresu; místní server je localhost"},
        {"blank host", {"--host", " \t"}, "calendar-import-cli: volba --host potřebuje adresu; místní server je localhost"},
        {"wrong after right", {"--dry-run", "-x"}, "calendar-import-cli: neznámý argument -x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        const CliResult result = runCli(c.arguments);
        EXPECT_EQ(result.exitStatus, 64);
        EXPECT_TRUE(result.out.empty());
        ASSERT_EQ(result.err.size(), 2u);
        EXPECT_EQ(result.err[0], c.firstLine);
        EXPECT_TRUE(startsWith(result.err[1], "Použití: "));
    }
}

TEST(CliCommandLine, HelpAndVersionConnectNowhere)
{
    const CliResult help = runCli({"--help", "--host", kNobodyThere});
    EXPECT_EQ(help.exitStatus, 0);
    ASSERT_FALSE(help.out.empty());
    EXPECT_TRUE(startsWith(help.out.front(), "Použití: "));
    // The place the program reads, exactly as built in: no backslash lost to an escape.
    EXPECT_TRUE(std::any_of(help.out.begin(), help.out.end(), [](const std::string& line) {
        return line.find_first_not_of(' ') == line.find(kInstalledConfigurationFile) &&
               line.ends_with(std::string(kInstalledConfigurationFile) + " (výchozí localhost)");
    }));

    const CliResult version = runCli({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, (std::vector<std::string>{std::string("calendar-import-cli ") + PROJECT_VERSION_TEXT}));
}

}  // namespace
