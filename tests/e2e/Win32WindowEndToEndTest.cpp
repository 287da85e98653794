// The Windows window program under Wine in a real X server, driven like a user with
// xdotool against the test server: the run at start-up, and the window when the
// configured server does not answer.
#include "tests/e2e/WindowProgramTest.h"
#include "data/uDM.h"
#include "tests/support/AdminSession.h"
#include "tests/support/DelayRelay.h"
#include "tests/support/GeneralLog.h"
#include "tests/support/LoopbackListener.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace testing_support;

// A prefix of these tests' own (wine-run makes it on first use): the program reads its
// configuration file inside it, at c:\program files\molvan\quorvel\quorvel.ini.
const std::filesystem::path kPrefix = WINE_PREFIX;
const std::filesystem::path kConfiguration =
    kPrefix / "drive_c" / "Program Files" / "molvan" / "quorvel" / "quorvel.ini";

// The window as designed, and the screen the XServer helper makes.
constexpr int kOuterWidth = 507;
constexpr int kOuterHeight = 174;
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
// A spot of the main window's own background, below the group box, and one on a notice
// away from its button: clicking there gives the window the keyboard and does nothing else.
constexpr int kWindowBackgroundX = 20;
constexpr int kWindowBackgroundY = kOuterHeight - 12;
constexpr int kNoticeQuietX = 10;
constexpr int kNoticeQuietY = 30;

// Accepts connections on the window program's port and never answers.
constexpr char kStuckServer[] = "127.0.0.14";
// The test server behind a relay that holds every piece back 20 ms each way.
constexpr char kFarServer[] = "127.0.0.15";

// A file of this machine as a Windows program names it: drive Z: is the root.
std::string windowsPath(const std::filesystem::path& path)
{
    std::string text = "Z:" + path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

QProcessEnvironment wineEnvironment(QProcessEnvironment environment)
{
    environment.insert("CALENDAR_WINEPREFIX", QString::fromStdString(kPrefix.string()));
    return environment;
}

// Runs a Wine command in the prefix without any display, to its end.
void wine(const QStringList& arguments)
{
    QProcess command;
    QProcessEnvironment environment = wineEnvironment(QProcessEnvironment::systemEnvironment());
    environment.remove("DISPLAY");
    command.setProcessEnvironment(environment);
    command.start(WINE_RUN, arguments);
    ASSERT_TRUE(command.waitForFinished(5 * kPatienceMs)) << arguments.join(' ').toStdString();
    ASSERT_EQ(command.exitCode(), 0) << arguments.join(' ').toStdString() << ": " << command.readAllStandardError().toStdString();
}

// Ends everything still running in the prefix: its services belong to the display they
// were started on, and each test has an X server of its own.
void stopWine()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("WINEPREFIX", QString::fromStdString(kPrefix.string()));
    for (const char* option : {"-k", "-w"}) {
        QProcess server;
        server.setProcessEnvironment(environment);
        server.start("wineserver", {option});
        server.waitForFinished(kPatienceMs);
    }
}

class WineprefixForWindowTests : public ::testing::Environment {
public:
    void SetUp() override
    {
        wine({"cmd.exe", "/c", "exit"});
        // No window manager runs here: Wine draws the title bar and frame itself, so that
        // the screenshots show the whole window and its outer size can be measured.
        wine({"reg", "add", R"(HKCU\Software\Wine\X11 Driver)", "/v", "Decorated", "/t", "REG_SZ", "/d", "N", "/f"});
        stopWine();
    }
};

class WindowsEndToEnd : public WindowProgramTest {
protected:
    void SetUp() override
    {
        stopWine();
        WindowProgramTest::SetUp();
    }
    void TearDown() override
    {
        endProgram();
        stopWine();
        std::filesystem::remove(kConfiguration);
        WindowProgramTest::TearDown();
    }

    void configureServer(const std::string& address) { writeConfiguration(kConfiguration, address); }

    // Started from `currentFolder` when one is given, with `pathFolder` (a Windows path)
    // in front of PATH and `variables` in its environment.
    void startProgram(const std::filesystem::path& currentFolder = {}, const std::string& pathFolder = {},
                      const std::vector<std::pair<QString, QString>>& variables = {})
    {
        QProcessEnvironment environment = wineEnvironment(x.environment());
        if (!pathFolder.empty())
            environment.insert("WINEPATH", QString::fromStdString(pathFolder));
        for (const auto& [name, value] : variables)
            environment.insert(name, value);
        program.setProcessEnvironment(environment);
        if (!currentFolder.empty())
            program.setWorkingDirectory(QString::fromStdString(currentFolder.string()));
        program.start(WINE_RUN, {programFile});
        ASSERT_TRUE(program.waitForStarted(kPatienceMs));
    }

    // Dismisses a notice as a user does: a click on it, then Enter for its OK button.
    void dismiss(const QString& notice, const QString& title)
    {
        x.click(notice, kNoticeQuietX, kNoticeQuietY);
        x.keys({"Return"});
        x.waitUntilGone(title);
    }

    void focusMainWindow(const QString& window) { x.click(window, kWindowBackgroundX, kWindowBackgroundY); }

    // What the notice titled `title` says: its words as Windows holds them, asked in the
    // same prefix and display.
    std::string noticeText(const QString& title) { return probe({"notice", title}); }

    // The Windows helper's answer, asked in the same prefix and display.
    std::string probe(const QStringList& arguments)
    {
        QProcess probe;
        probe.setProcessEnvironment(wineEnvironment(x.environment()));
        probe.start(WINE_RUN, QStringList{WINDOWS_PROBE} + arguments);
        EXPECT_TRUE(probe.waitForFinished(5 * kPatienceMs));
        return probe.readAllStandardOutput().toStdString();
    }

    // The program started, as a Windows path or a file of this machine.
    QString programFile = WINDOWS_PROGRAM;
};

TEST_F(WindowsEndToEnd, ReachableServerIsUpdatedWithoutAnyInput)
{
    configureServer("127.0.0.1");
    startProgram();

    const QString notice = x.waitForWindow("OK");
    x.screenshot("windows-1-start-reachable-notice-ok");
    EXPECT_TRUE(x.visibleWindows("Import").isEmpty()) << "the window is not on the screen behind the notice";
    expectRowsInEveryTenant();

    dismiss(notice, "OK");
    expectEndedNormally();
}

// A libmysql41.dll in the current folder and on PATH, and a plugin that the client
// library's variables name (each a DLL that leaves a marker file when loaded), are not
// loaded by the window program: the run works with its own library.
TEST_F(WindowsEndToEnd, PlantedLibrariesAreNotLoaded)
{
    const std::filesystem::path planted = PLANTED_DIR;
    const std::filesystem::path current = planted / "current";
    const std::filesystem::path onPath = planted / "path";
    const std::filesystem::path named = planted / "variables";
    const std::filesystem::path dlls[] = {current / "libmysql41.dll", onPath / "libmysql41.dll", named / "evilplug.dll"};
    for (const std::filesystem::path& dll : dlls) {
        std::filesystem::remove_all(dll.parent_path());
        std::filesystem::create_directories(dll.parent_path());
        std::filesystem::copy_file(PLANTED_DLL, dll);
    }
    configureServer("127.0.0.1");
    startProgram(current, windowsPath(onPath),
                 {{"MARIADB_PLUGIN_DIR", QString::fromStdString(windowsPath(named))}, {"LIBMYSQL_PLUGINS", "evilplug"}});

    const QString notice = x.waitForWindow("OK");
    expectRowsInEveryTenant();
    dismiss(notice, "OK");
    expectEndedNormally();
    for (const std::filesystem::path& dll : dlls)
        EXPECT_FALSE(std::filesystem::exists(dll.string() + ".loaded")) << dll << ": the planted DLL was loaded";
}

// Copied into a folder of its own without the client library (as from a ZIP, or opened
// inside it): the start-up run is silent, as for any failed connect, and the start button
// names the missing library and where it was looked for, instead of blaming the connection.
TEST_F(WindowsEndToEnd, MissingClientLibraryIsNamedWithWhereItWasLookedFor)
{
    const std::filesystem::path folder = NO_LIBRARY_DIR;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(WINDOWS_PROGRAM, folder / "calendar-import.exe");
    programFile = QString::fromStdString((folder / "calendar-import.exe").string());
    configureServer("127.0.0.1");
    startProgram();

    const QString window = x.waitForWindow("Import");
    EXPECT_TRUE(x.visibleWindows("CHYBA").isEmpty());
    focusMainWindow(window);
    x.keys({"Return"});
    const QString failure = x.waitForWindow("CHYBA");
    x.screenshot("windows-7-press-without-client-library-notice");
    EXPECT_EQ(noticeText("CHYBA"), "Klientská knihovna MySQL chybí nebo ji nejde načíst.\nHledána ve složce programu " +
                                       windowsPath(folder) + " jako libmysql41.dll nebo libmysql.dll.\n");
    dismiss(failure, "CHYBA");
    EXPECT_EQ(x.visibleWindows("Import").size(), 1) << "the failure does not end the program";
    EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
}

// One run at a time in a session: a second start while the first is showing its notice
// ends at once and writes nothing, so that a table without a key gets its rows once.
TEST_F(WindowsEndToEnd, ASecondStartWhileTheFirstRunsWritesNothing)
{
    configureServer("127.0.0.1");
    startProgram();
    const QString notice = x.waitForWindow("OK");
    expectRowsInEveryTenant();

    expectSecondStartEndsAtOnce(WINE_RUN, {WINDOWS_PROGRAM});
    expectRowsInEveryTenant();
    EXPECT_EQ(x.visibleWindows("OK").size(), 1);

    dismiss(notice, "OK");
    expectEndedNormally();
}

// A second start while the first one's window waits for an address: it opens no session
// at all (the configured server now answers) and brings the first window to the front.
TEST_F(WindowsEndToEnd, ASecondStartOpensNoSessionAndBringsTheWindowToTheFront)
{
    configureServer("127.0.0.2");
    startProgram();
    x.waitForWindow("Import");
    // Minimised, so that it is not at the front; Windows' own view of the front is asked,
    // since Wine gives the X keyboard to no window of its own while another program has it.
    probe({"minimise", "Import"});
    ASSERT_NE(probe({"foreground"}), "Import\n");

    configureServer("127.0.0.1");
    const GeneralLog log;
    expectSecondStartEndsAtOnce(WINE_RUN, {WINDOWS_PROGRAM});
    EXPECT_EQ(probe({"foreground"}), "Import\n") << "the first window is not at the front, restored";
    EXPECT_TRUE(log.commandsSinceStart().empty()) << "the second start reached the server";
    EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
    EXPECT_EQ(x.visibleWindows("Import").size(), 1);
}

// The start-up run on a server 20 ms away (each way), with a few hundred tenants: the
// window sends the same statements as the console's pipelined run, so it takes a few
// times the console's --batch 100 time at most, not one round trip per database; each
// counted from its session's start at the relay to the end of the run. Both
// write the same rows into empty tables (the server's work for them is the same: a run
// that only meets rows already there would be the cheaper one); the console's --batch 1
// time is measured after them, to show which of the two kinds the window's run is.
TEST_F(WindowsEndToEnd, RunOnAFarServerTakesAFewTimesTheConsolesBatchedRun)
{
    constexpr int kTenants = 300;
    std::vector<std::string> tenants;
    for (int i = 0; i < kTenants; ++i) {
        tenants.push_back("daleko_" + std::to_string(i));
        createTenant(admin, tenants.back(), CalendarTable::WithKey);
    }
    DelayRelay far(kFarServer, "127.0.0.1", std::chrono::milliseconds(20));
    ASSERT_TRUE(far.listening());
    configureServer(kFarServer);

    // Each run's time from its session's start at the relay to its end: how long a Wine
    // process takes to start (seconds at times on a loaded machine) is not the run's.
    const auto sinceSessionStart = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                     far.latestSessionAt())
            .count();
    };
    const auto consoleMs = [&](const QString& batch) {
        QProcess console;
        console.setProcessEnvironment(wineEnvironment(QProcessEnvironment::systemEnvironment()));
        console.start(WINE_RUN, {QString(WINDOWS_PROGRAM).replace("calendar-import.exe", "calendar-import-cli.exe"),
                                 "--host", kFarServer, "--batch", batch});
        EXPECT_TRUE(console.waitForFinished(10 * kPatienceMs));
        return static_cast<qint64>(sinceSessionStart());
    };
    const qint64 batchedMs = consoleMs("100");
    for (const std::string& tenant : tenants)
        admin.exec("TRUNCATE TABLE " + identifier(tenant) + ".calendar");

    startProgram();
    const QString notice = x.waitForWindow("OK", 10 * kPatienceMs);
    const qint64 windowMs = sinceSessionStart();
    ASSERT_FALSE(notice.isEmpty()) << "the run did not end";
    dismiss(notice, "OK");
    expectEndedNormally();
    EXPECT_EQ(calendarRows(admin, tenants.back()).size(), 12u);

    const qint64 oneByOneMs = consoleMs("1");
    std::printf("window %lld ms, console --batch 100 %lld ms, --batch 1 %lld ms\n", static_cast<long long>(windowMs),
                static_cast<long long>(batchedMs), static_cast<long long>(oneByOneMs));
    EXPECT_LT(windowMs, 3 * batchedMs) << "too slow: the window's run took " << windowMs << " ms, the console's "
                                       << batchedMs << " ms with --batch 100 and " << oneByOneMs
                                       << " ms with --batch 1";
}

// A server that accepts the connection and never greets (a stuck server, a port that
// belongs to another service): the start-up run gives up after the connect limit and the
// window appears; the start button gives up as well, with the failure notice.
TEST_F(WindowsEndToEnd, AServerThatNeverGreetsIsAFailedConnectAfterTheConnectLimit)
{
    LoopbackListener stuck(kStuckServer, 3306, 8);
    ASSERT_TRUE(stuck.listening());
    configureServer(kStuckServer);
    const int limitMs = static_cast<int>(kConnectTimeoutSeconds) * 1000;

    QElapsedTimer clock;
    clock.start();
    startProgram();
    const QString window = x.waitForWindow("Import", limitMs + kBeyondTheLimitMs);
    ASSERT_FALSE(window.isEmpty()) << "the program still waits for the server: " << programReport();
    EXPECT_GE(clock.elapsed(), limitMs - 1000) << "the run gave up before the limit";
    EXPECT_TRUE(x.visibleWindows("CHYBA").isEmpty());

    focusMainWindow(window);
    x.keys({"Return"});
    clock.restart();
    const QString failure = x.waitForWindow("CHYBA", limitMs + kBeyondTheLimitMs);
    EXPECT_GE(clock.elapsed(), limitMs - 1000) << "the start button gave up before the limit";
    x.screenshot("windows-8-press-stuck-server-notice-chyba");
    EXPECT_EQ(noticeText("CHYBA"), "Nepodařilo se připojit k serveru !\n");
    dismiss(failure, "CHYBA");
    EXPECT_EQ(x.visibleWindows("Import").size(), 1) << "the failure does not end the program";
}

TEST_F(WindowsEndToEnd, UnreachableServerShowsTheWindowWhereATypedAddressWorks)
{
    configureServer("127.0.0.2");
    startProgram();

    const QString window = x.waitForWindow("Import");
    x.screenshot("windows-2-start-unreachable-window");
    EXPECT_TRUE(x.visibleWindows("OK").isEmpty());
    EXPECT_TRUE(x.visibleWindows("CHYBA").isEmpty());
    // Outer size as designed, title bar and frame included, in the middle of the screen.
    const QString geometry = x.run("xdotool", {"getwindowgeometry", window});
    const QString expected = QString("Position: %1,%2 (screen: 0)\n  Geometry: %3x%4")
                                 .arg((kScreenWidth - kOuterWidth) / 2)
                                 .arg((kScreenHeight - kOuterHeight) / 2)
                                 .arg(kOuterWidth)
                                 .arg(kOuterHeight);
    EXPECT_TRUE(geometry.endsWith(expected)) << geometry.toStdString();

    // The keyboard starts in the server field, where Enter presses the start button.
    focusMainWindow(window);
    x.keys({"Return"});
    const QString failure = x.waitForWindow("CHYBA");
    x.screenshot("windows-3-press-unreachable-notice-chyba");
    EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
    dismiss(failure, "CHYBA");
    x.screenshot("windows-4-after-failure-window");
    EXPECT_EQ(x.visibleWindows("Import").size(), 1) << "the failure does not end the program";

    // The corrected address, typed over the old one.
    focusMainWindow(window);
    x.keys({"End", "shift+Home"});
    x.type("127.0.0.1");
    x.screenshot("windows-5-corrected-address");
    x.keys({"Return"});
    const QString done = x.waitForWindow("OK");
    x.screenshot("windows-6-press-reachable-notice-ok");
    expectRowsInEveryTenant();

    dismiss(done, "OK");
    expectEndedNormally();
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new WineprefixForWindowTests);
    return RUN_ALL_TESTS();
}
