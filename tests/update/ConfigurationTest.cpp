// Start-up as the window's show handler does it: the configured address into the field,
// a quiet connect, and the run at once when that works.
#include "data/uDM.h"
#include "tests/support/AdminSession.h"
#include "tests/support/GeneralLog.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/StartUpCases.h"
#include "ui/uMain.h"
#include "update/Texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace testing_support;

const std::string kDone = "notice OK: " + std::string(update::kNoticeDone);

class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        dropTenantDatabases(admin);
        createTenant(admin, "firma_a", CalendarTable::WithoutKey);
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        dropTenantDatabases(admin);
        std::filesystem::remove_all(dir);
    }

    AdminSession admin;
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "calendar-startup";
    const std::filesystem::path file = dir / "quorvel.ini";
};

TEST_F(StartUp, FieldFromTheFileAndTheRunOnlyWhenTheConnectWorks)
{
    for (const StartUpCase& c : startUpCases()) {
        SCOPED_TRACE(c.description);
        std::filesystem::remove(file);
        if (c.file)
            std::ofstream(file, std::ios::binary) << *c.file;
        admin.exec("DELETE FROM `firma_a`.`calendar`");

        TDM dm;
        RecordingWindow window("localhost");
        TfrmMain(window, dm, file).FormShow();

        EXPECT_EQ(window.serverField, c.field);
        // The show handler itself never touches the caption and says nothing when its
        // connect fails.
        const std::vector<std::string> expected =
            c.runs ? std::vector<std::string>{kDone, "end"} : std::vector<std::string>{};
        EXPECT_EQ(window.events, expected);
        EXPECT_EQ(calendarRows(admin, "firma_a").size(), c.runs ? 12u : 0u);
    }
}

// A file that is there but cannot be read gave no address: the field stays empty and
// nothing is sent anywhere, least of all to the local server, until the user acts.
TEST_F(StartUp, UnreadableFileSendsNothingAnywhere)
{
    std::filesystem::create_directory(file);
    GeneralLog log;
    TDM dm;
    RecordingWindow window("localhost");
    TfrmMain(window, dm, file).FormShow();

    EXPECT_EQ(window.serverField, "");
    EXPECT_TRUE(window.events.empty());
    EXPECT_FALSE(dm.conMain.connected());
    EXPECT_TRUE(log.queriesBy("quorvel").empty());
    EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
}

}  // namespace
