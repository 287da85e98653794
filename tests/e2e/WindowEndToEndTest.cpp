// The real program in a real X server, driven like a user with xdotool, against the test
// server: the run at start-up, and the window when the configured server does not answer.
#include "tests/support/AdminSession.h"
#include "tests/support/ChildProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <optional>
#include <fstream>
#include <string>

namespace {

using namespace testing_support;

// Only a guard against a test that would otherwise hang: nothing here judges speed.
constexpr int kPatienceMs = 30000;

// A private X server on a display number it picks itself, so that tests never clash.
class XServer {
public:
    XServer()
    {
        process_.start("Xvfb", {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
        if (!process_.waitForStarted(kPatienceMs))
            throw std::runtime_error("Xvfb did not start");
        QByteArray number;
        while (!number.endsWith('\n')) {
            if (!process_.waitForReadyRead(kPatienceMs))
                throw std::runtime_error("Xvfb told no display number");
            number += process_.readAllStandardOutput();
        }
        display_ = ":" + QString::fromLatin1(number.trimmed());
    }
    ~XServer()
    {
        process_.terminate();
        process_.waitForFinished(kPatienceMs);
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", display_);
        environment.remove("QT_QPA_PLATFORM");
        return environment;
    }

    // Runs a helper such as xdotool on this display; its standard output.
    QString run(const QString& program, const QStringList& arguments) const
    {
        QProcess helper;
        helper.setProcessEnvironment(environment());
        helper.start(program, arguments);
        helper.waitForFinished(kPatienceMs);
        return QString::fromLocal8Bit(helper.readAllStandardOutput()).trimmed();
    }

    // The visible top-level windows titled exactly `title`.
    QStringList visibleWindows(const QString& title) const
    {
        const QString found = run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"});
        return found.isEmpty() ? QStringList() : found.split('\n');
    }

    // The one visible window titled `title`, once it is there.
    QString waitForWindow(const QString& title) const
    {
        QElapsedTimer patience;
        patience.start();
        while (patience.elapsed() < kPatienceMs) {
            const QStringList windows = visibleWindows(title);
            if (windows.size() == 1)
                return windows.front();
            QThread::msleep(50);
        }
        ADD_FAILURE() << "no window titled " << title.toStdString();
        return {};
    }

    void waitUntilGone(const QString& title) const
    {
        QElapsedTimer patience;
        patience.start();
        while (patience.elapsed() < kPatienceMs && !visibleWindows(title).isEmpty())
            QThread::msleep(50);
        EXPECT_TRUE(visibleWindows(title).isEmpty()) << title.toStdString() << " stays";
    }

    // Gives the window the keyboard, then sends the keys as if typed.
    void keys(const QString& window, const QStringList& keyNames) const
    {
        run("xdotool", {"windowfocus", "--sync", window});
        run("xdotool", QStringList{"key", "--clearmodifiers"} + keyNames);
    }
    void type(const QString& window, const QString& typed) const
    {
        run("xdotool", {"windowfocus", "--sync", window});
        run("xdotool", {"type", "--delay", "20", typed});
    }

    // The whole screen, for a person to look at afterwards.
    void screenshot(const QString& name) const
    {
        QDir().mkpath(SCREENSHOT_DIR);
        run("import", {"-window", "root", QString(SCREENSHOT_DIR) + "/" + name + ".png"});
    }

private:
    QProcess process_;
    QString display_;
};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        dropTenantDatabases(admin);
        createTenant(admin, "firma_a", CalendarTable::WithKey);
        createTenant(admin, "firma_b", CalendarTable::WithoutKey);
    }
    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(kPatienceMs);
        }
        std::filesystem::remove(configuration);
        dropTenantDatabases(admin);
    }

    void configureServer(const std::string& address)
    {
        std::ofstream(configuration, std::ios::binary | std::ios::trunc) << "[DATABASE]\r\nIP=" << address << "\r\n";
    }

    // The installed program, reading this test's file where it looks for its own.
    void startProgram()
    {
        program.setProcessEnvironment(x.environment());
        program.start(WITH_CONFIGURATION, {QString::fromStdString(configuration.string()), PROGRAM});
        ASSERT_TRUE(program.waitForStarted(kPatienceMs));
    }

    void expectEndedNormally()
    {
        ASSERT_TRUE(program.waitForFinished(kPatienceMs)) << "the program did not end";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
    }

    void expectRowsInEveryTenant()
    {
        for (const char* tenant : {"firma_a", "firma_b"}) {
            SCOPED_TRACE(tenant);
            EXPECT_EQ(calendarRows(admin, tenant), expectedCalendarRows());
        }
    }

    AdminSession admin;
    XServer x;
    QProcess program;
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
