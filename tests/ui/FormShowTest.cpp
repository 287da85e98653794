// The window's start-up work against the real test server: the configured address, the
// quiet connect, the run without any input, and a run with an address the user typed.
#include "data/uDM.h"
#include "tests/support/AdminSession.h"
#include "tests/support/StartUpCases.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/qt/MainWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

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

TEST_F(StartUp, RunsAtOnceWhenTheConfiguredServerAnswersElseWaitsWithoutANotice)
{
    for (const StartUpCase& c : startUpCases()) {
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

        EXPECT_EQ(window.controls().Edit1->text(), QString::fromStdString(c.field));
        EXPECT_EQ(window.controls().BitBtn3->text(), "SPUSTIT >>>") << "start-up leaves the caption";
        EXPECT_EQ(endWasRequested(), c.runs);
        if (c.runs) {
            ASSERT_EQ(notices.seen.size(), 1u);
            EXPECT_EQ(notices.seen.front().title, "OK");
            EXPECT_EQ(notices.seen.front().text, kDone);
            EXPECT_EQ(notices.seen.front().noted, "window not on screen") << "the user never saw the window";
            EXPECT_EQ(calendarRows(admin, "firma_a"), expectedCalendarRows());
        } else {
            EXPECT_TRUE(notices.seen.empty());
            EXPECT_TRUE(window.isVisible());
            EXPECT_FALSE(dm.conMain.connected());
            EXPECT_TRUE(calendarRows(admin, "firma_a").empty());
            window.hide();
        }
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
