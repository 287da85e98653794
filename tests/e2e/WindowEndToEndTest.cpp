// The real program in a real X server, driven like a user with xdotool, against the test
// server: the run at start-up, and the window when the configured server does not answer.
#include "tests/e2e/WindowProgramTest.h"
#include "data/uDM.h"
#include "tests/support/AdminSession.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GeneralLog.h"
#include "tests/support/LoopbackListener.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <optional>
#include <fstream>
#include <string>

namespace {

using namespace testing_support;

// Accepts connections on the window program's port and never answers.
constexpr char kStuckServer[] = "127.0.0.13";

class EndToEnd : public WindowProgramTest {
protected:
    void TearDown() override
    {
        WindowProgramTest::TearDown();
        std::filesystem::remove(configuration);
    }

    void configureServer(const std::string& address) { writeConfiguration(configuration, address); }

    // The installed program, reading this test's file where it looks for its own.
    void startProgram()
    {
        program.setProcessEnvironment(x.environment());
        program.start(WITH_CONFIGURATION, {QString::fromStdString(configuration.string()), PROGRAM});
        ASSERT_TRUE(program.waitForStarted(kPatienceMs));
    }

    const std::filesystem::path configuration =
        std::filesystem::path(::testing::TempDir()) / ("calendar-e2e-" + std::to_string(getpid()) + ".ini");
};

TEST_F(EndToEnd, ReachableServerIsUpdatedWithoutAnyInput)
{
    configureServer("127.0.0.1");
    startProgram();

    const QString notice = x.waitForWindow("OK");
    x.screenshot("1-start-reachable-notice-ok");
    EXPECT_TRUE(x.visibleWindows("Import").isEmpty()) << "the window is not on the screen behind the notice";
    expectRowsInEveryTenant();

    x.keys(notice, {"Return"});
    expectEndedNormally();
    expectRowsInEveryTenant();
}

TEST_F(EndToEnd, UnreachableServerShowsTheWindowWhereATypedAddressWorks)
{
    configureServer("127.0.0.2");
    startProgram();

    const QString window = x.waitForWindow("Import");
    x.screenshot("2-start-unreachable-window");
    EXPECT_TRUE(x.visibleWindows("OK").isEmpty());
    EXPECT_TRUE(x.visibleWindows("CHYBA").isEmpty());

    // Enter with the configured address: the failure notice over the window.
    x.keys(window, {"Return"});
    const QString failure = x.waitForWindow("CHYBA");
    x.screenshot("3-press-unreachable-notice-chyba");
    x.keys(failure, {"Return"});
    x.waitUntilGone("CHYBA");
    x.screenshot("4-after-failure-window");
    EXPECT_TRUE(calendarRows(admin, "firma_a").empty());

    // The corrected address, typed over the old one.
    x.keys(window, {"ctrl+a"});
    x.type(window, "127.0.0.1");
    x.screenshot("5-corrected-address");
    x.keys(window, {"Return"});
    const QString done = x.waitForWindow("OK");
    x.screenshot("6-press-reachable-notice-ok");
    expectRowsInEveryTenant();

    x.keys(done, {"Return"});
    expectEndedNormally();
}

// One run at a time in a session: a second start while the first is showing its notice
// ends at once and writes nothing, so that a table without a key gets its rows once.
TEST_F(EndToEnd, ASecondStartWhileTheFirstRunsWritesNothing)
{
    configureServer("127.0.0.1");
    startProgram();
    const QString notice = x.waitForWindow("OK");
    expectRowsInEveryTenant();

    expectSecondStartEndsAtOnce(WITH_CONFIGURATION, {QString::fromStdString(configuration.string()), PROGRAM});
    expectRowsInEveryTenant();
    EXPECT_EQ(x.visibleWindows("OK").size(), 1);

    x.keys(notice, {"Return"});
    expectEndedNormally();
}

// A second start while the first one's window waits for an address: it opens no session
// at all (the configured server now answers) and brings the first window to the front.
TEST_F(EndToEnd, ASecondStartOpensNoSessionAndBringsTheWindowToTheFront)
{
    configureServer("127.0.0.2");
    startProgram();
    const QString window = x.waitForWindow("Import");
    x.run("xdotool", {"windowfocus", "--sync", x.run("xdotool", {"search", "--maxdepth", "0", ""}).trimmed()});
    ASSERT_NE(x.run("xdotool", {"getwindowfocus"}).trimmed(), window.trimmed());

    configureServer("127.0.0.1");
    const GeneralLog log;
    expectSecondStartEndsAtOnce(WITH_CONFIGURATION, {QString::fromStdString(configuration.string()), PROGRAM});
    EXPECT_TRUE(x.waitForFocus(window)) << "the first window is not at the front";
    EXPECT_TRUE(log.commandsSinceStart().empty()) << "the second start reached the server";
    EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
    EXPECT_EQ(x.visibleWindows("Import").size(), 1);
}

// A server that accepts the connection and never greets (a stuck server, a port that
// belongs to another service): the start-up run gives up after the connect limit and the
// window appears; the start button gives up as well, with the failure notice.
TEST_F(EndToEnd, AServerThatNeverGreetsIsAFailedConnectAfterTheConnectLimit)
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

    x.keys(window, {"Return"});
    clock.restart();
    const QString failure = x.waitForWindow("CHYBA", limitMs + kBeyondTheLimitMs);
    EXPECT_GE(clock.elapsed(), limitMs - 1000) << "the start button gave up before the limit";
    x.screenshot("8-press-stuck-server-notice-chyba");
    x.keys(failure, {"Return"});
    x.waitUntilGone("CHYBA");
    EXPECT_EQ(x.visibleWindows("Import").size(), 1) << "the failure does not end the program";
}

// On a machine whose client library cannot be loaded the start-up run is silent, as for any failed
// connect, and the start button's "CHYBA" notice follows (its words, which name the
// library and where it was looked for, are checked in the window's own tests: Qt lets no
// tool read them from outside on Linux).
TEST_F(EndToEnd, WithoutTheClientLibraryTheWindowAppearsAndTheStartButtonFails)
{
    configureServer("127.0.0.1");
    program.setProcessEnvironment(x.environment());
    program.start(WITHOUT_CLIENT_LIBRARY, {WITH_CONFIGURATION, QString::fromStdString(configuration.string()), PROGRAM});
    ASSERT_TRUE(program.waitForStarted(kPatienceMs));

    const QString window = x.waitForWindow("Import");
    ASSERT_FALSE(window.isEmpty()) << programReport();
    EXPECT_TRUE(x.visibleWindows("CHYBA").isEmpty());
    x.keys(window, {"Return"});
    const QString failure = x.waitForWindow("CHYBA");
    x.screenshot("7-press-without-client-library-notice");
    x.keys(failure, {"Return"});
    x.waitUntilGone("CHYBA");
    EXPECT_EQ(x.visibleWindows("Import").size(), 1) << "the failure does not end the program";
    EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
}

// Started where there is no display at all, or a display that is not there: the program
// says what it needs and what does the job in a terminal, and ends with its own status.
TEST(WithoutDisplay, SaysWhatItNeedsAndEndsWithItsOwnStatus)
{
    const struct {
        const char* description;
        std::optional<std::string> display;
    } cases[] = {
        {"no display named", std::nullopt},
        {"a display nobody serves", ":97"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        ChildOptions options;
        options.environment = {{"DISPLAY", c.display}, {"WAYLAND_DISPLAY", std::nullopt},
                               {"QT_QPA_PLATFORM", std::nullopt}, {"XDG_RUNTIME_DIR", std::nullopt}};
        const ChildResult result = runChild(PROGRAM, {}, options);
        EXPECT_EQ(result.exitStatus, 69);
        EXPECT_NE(result.err.find("grafické prostředí"), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("calendar-import-cli"), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("Reinstalling"), std::string::npos) << "Qt's own advice is not ours";
        EXPECT_EQ(result.err.find("XDG_RUNTIME_DIR"), std::string::npos) << "noise the user cannot act on";
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
