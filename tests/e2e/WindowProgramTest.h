// What the end-to-end tests of both window programs share: two tenants on the test
// server, the program under test in a private X server, its end and the rows it wrote.
#pragma once

#include "tests/e2e/XServer.h"
#include "tests/support/AdminSession.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace testing_support {

// How long the window program may take beyond its own limit to give up on a server that
// accepts and never greets, on a loaded machine (Wine's start included).
inline constexpr int kBeyondTheLimitMs = 40000;

class WindowProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dropTenantDatabases(admin);
        createTenant(admin, "firma_a", CalendarTable::WithKey);
        createTenant(admin, "firma_b", CalendarTable::WithoutKey);
    }
    void TearDown() override
    {
        endProgram();
        dropTenantDatabases(admin);
    }

    void endProgram()
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(kPatienceMs);
        }
    }

    // A configuration file naming `address`, as a Windows editor saves it.
    static void writeConfiguration(const std::filesystem::path& file, const std::string& address)
    {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary | std::ios::trunc) << "[DATABASE]\r\nIP=" << address << "\r\n";
    }

    // What the program has said and how it stands, for a failure that needs a reason.
    std::string programReport()
    {
        program.waitForFinished(1000);  // QProcess learns of an end and reads output only here
        std::string report = program.state() == QProcess::NotRunning
                                 ? "the program ended with " + std::to_string(program.exitCode())
                                 : std::string("the program is running");
        return report + "; it wrote: " + program.readAllStandardError().toStdString() +
               program.readAllStandardOutput().toStdString();
    }

    void expectEndedNormally()
    {
        ASSERT_TRUE(program.waitForFinished(kPatienceMs)) << "the program did not end";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
    }

    // A second start of the program in the same session, with the same environment:
    // it ends at once, with 0, whatever the configuration file says.
    void expectSecondStartEndsAtOnce(const QString& launcher, const QStringList& arguments)
    {
        QProcess second;
        second.setProcessEnvironment(program.processEnvironment());
        second.setWorkingDirectory(program.workingDirectory());
        second.start(launcher, arguments);
        ASSERT_TRUE(second.waitForStarted(kPatienceMs));
        const bool ended = second.waitForFinished(kPatienceMs);
        if (!ended) {
            second.kill();
            second.waitForFinished(kPatienceMs);
        }
        ASSERT_TRUE(ended) << "the second start runs beside the first";
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
    }

    void expectRowsInEveryTenant()
    {
        for (const char* tenant : {"firma_a", "firma_b"}) {
            SCOPED_TRACE(tenant);
            EXPECT_EQ(calendarRows(admin, tenant), expectedCalendarRows());
        }
    }

    AdminSession admin;
    XServer x{SCREENSHOT_DIR};
    QProcess program;
};

}  // namespace testing_support
