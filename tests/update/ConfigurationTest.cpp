// Start-up as the window's show handler does it: the configured address into the field,
// a quiet connect, and the run at once when that works.
#include "data/uDM.h"
#include "tests/support/AdminSession.h"
#include "tests/support/GeneralLog.h"
#include "tests/support/RecordingWindow.h"
#include "ui/uMain.h"
#include "update/Texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace {

using namespace testing_support;

const std::string kDone = "notice OK: " + std::string(update::kNoticeDone);

// ASCII text as a UTF-16LE file with its byte order mark, as Windows Notepad saves it.
std::string utf16le(std::string_view ascii)
{
    std::string bytes = "\xFF\xFE";
    for (char c : ascii)
        bytes += std::string{c, '\0'};
    return bytes;
}

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
    const struct {
        const char* description;
        std::optional<std::string> contents;  // none: no file at all
        std::string field;
        bool runs;
    } cases[] = {
        {"no file: localhost", std::nullopt, "localhost", true},
        {"address from the file", "[DATABASE]\r\nIP=127.0.0.1\r\n", "127.0.0.1", true},
        {"section name in lower case", "[database]\nip=127.0.0.1\n", "127.0.0.1", true},
        {"nobody listens there: the window waits", "[DATABASE]\nIP=127.0.0.2\n", "127.0.0.2", false},
        {"an empty value is the local server to the library", "[DATABASE]\nIP=\n", "", true},
        {"UTF-16 file", utf16le("[DATABASE]\r\nIP=127.0.0.1\r\n"), "127.0.0.1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        std::filesystem::remove(file);
        if (c.contents)
            std::ofstream(file, std::ios::binary) << *c.contents;
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
