// The window's start-up work against the real test server: the configured address, the
// quiet connect, the run without any input, and a run with an address the user typed.
#include "data/uDM.h"
#include "tests/support/AdminSession.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/qt/MainWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace testing_support;
using namespace window_testing;

const QString kDone = QString::fromUtf8("Aktualizace dokončena");

class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        dropTenantDatabases(admin);
        createTenant(admin, "firma_a", CalendarTable::WithKey);
    }
    void TearDown() override { dropTenantDatabases(admin); }

    // Notes, while a notice is up, whether the window is on the screen yet.
    static QString windowState(const ui::QtMainWindow& window)
    {
        const bool onScreen = window.windowHandle() && window.windowHandle()->isVisible();
        return onScreen ? "window on screen" : "window not on screen";
    }

    AdminSession admin;
    ConfigurationFile configuration;
};

TEST_F(StartUp, ReadsTheConfiguredServerAndRunsAtOnceWhenItAnswers)
{
    struct Case {
        const char* description;
        std::optional<std::string> file;  // none: no file at all
        QString field;
    };
    const Case cases[] = {
        {"no file: the local server", std::nullopt, "localhost"},
        {"address as a Windows editor saves it", "[DATABASE]\r\nIP=127.0.0.1\r\n", "127.0.0.1"},
        {"section and key in lower case", "[database]\nip=127.0.0.1\n", "127.0.0.1"},
        // The client library takes an empty host for the local server.
        {"key present but empty", "[DATABASE]\nIP=\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        dropTenantDatabases(admin);
        createTenant(admin, "firma_a", CalendarTable::WithKey);
        if (c.file)
            configuration.write(*c.file);
        else
            configuration.remove();

        TDM dm;
        ui::QtMainWindow window(dm, configuration.path());
        NoticeAnswerer notices([&window] { return windowState(window); });
        window.show();

        EXPECT_EQ(window.controls().Edit1->text(), c.field);
        ASSERT_EQ(notices.seen.size(), 1u);
        EXPECT_EQ(notices.seen.front().title, "OK");
        EXPECT_EQ(notices.seen.front().text, kDone);
        EXPECT_EQ(notices.seen.front().noted, "window not on screen") << "the user never saw the window";
        EXPECT_EQ(window.controls().BitBtn3->text(), "SPUSTIT >>>") << "a connected run leaves the caption";
        EXPECT_EQ(calendarRows(admin, "firma_a"), expectedCalendarRows());
        EXPECT_TRUE(endWasRequested());
    }
}

TEST_F(StartUp, UnreachableServerLeavesTheWindowWaitingWithoutANotice)
{
    struct Case {
        const char* description;
        std::string file;
        QString field;
    };
    const Case cases[] = {
        {"nothing listens there", "[DATABASE]\nIP=127.0.0.2\n", "127.0.0.2"},
        // Without reading the mark the section would be lost and the local server used.
        {"UTF-8 byte-order mark and an unreachable address", "\xEF\xBB\xBF[DATABASE]\r\nIP=127.0.0.2\r\n",
         "127.0.0.2"},
        {"Windows-1250 letters shown as such", "[DATABASE]\nIP=\xFA\xE8" "etn\xED/server\n",
         QString::fromUtf8("účetní/server")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        configuration.write(c.file);

        TDM dm;
        ui::QtMainWindow window(dm, configuration.path());
        NoticeAnswerer notices;
        window.show();

        EXPECT_TRUE(notices.seen.empty());
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.controls().Edit1->text(), c.field);
        EXPECT_EQ(window.controls().BitBtn3->text(), "SPUSTIT >>>");
        EXPECT_FALSE(dm.conMain.connected());
        EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
        EXPECT_FALSE(endWasRequested());
        window.hide();
    }
}

TEST_F(StartUp, StartButtonUsesTheAddressAsTyped)
{
    configuration.write("[DATABASE]\nIP=127.0.0.2\n");
    TDM dm;
    ui::QtMainWindow window(dm, configuration.path());
    NoticeAnswerer notices([&window] { return window.controls().BitBtn3->text(); });
    window.show();
    ASSERT_TRUE(notices.seen.empty());

    window.controls().Edit1->selectAll();
    QTest::keyClicks(window.controls().Edit1, "127.0.0.1");
    QTest::mouseClick(window.controls().BitBtn3, Qt::LeftButton);

    ASSERT_EQ(notices.seen.size(), 1u);
    EXPECT_EQ(notices.seen.front().title, "OK");
    EXPECT_EQ(notices.seen.front().text, kDone);
    EXPECT_EQ(notices.seen.front().noted, QString::fromUtf8("Připojuji se"));
    EXPECT_EQ(calendarRows(admin, "firma_a"), expectedCalendarRows());
    EXPECT_TRUE(endWasRequested());
}

}  // namespace
