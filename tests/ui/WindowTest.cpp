// The main window on an offscreen screen: its design, keys, buttons and a failed press.
// The configured server is an address where nothing listens, so no server is needed.
#include "data/uDM.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/qt/MainWindow.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using namespace window_testing;

const QString kNobodyListens = "127.0.0.2";

class ShownWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        configuration.write("[DATABASE]\r\nIP=" + kNobodyListens.toStdString() + "\r\n");
        window.show();
        QApplication::setActiveWindow(&window);
    }

    QWidget* focused() const { return QApplication::focusWidget(); }

    ConfigurationFile configuration;
    TDM dm;
    ui::QtMainWindow window{dm, configuration.path()};
};

// A window that is made but never shown needs its module all the same.
struct UnshownWindow {
    TDM dm;
    ui::QtMainWindow window{dm, "/nonexistent/quorvel.ini"};
};

TEST(Window, ControlsSitWhereDesignedAndTheSizeIsFixed)
{
    UnshownWindow unshown;
    ui::QtMainWindow& window = unshown.window;
    struct Case {
        const char* name;
        QWidget* control;
        QWidget* parent;
        QRect geometry;
    };
    const Case cases[] = {
        {"GroupBox1", window.controls().GroupBox1, &window, {8, 8, 481, 121}},
        {"Edit1", window.controls().Edit1, window.controls().GroupBox1, {72, 16, 129, 21}},
        {"BitBtn3", window.controls().BitBtn3, &window, {248, 72, 105, 25}},
        {"BitBtn4", window.controls().BitBtn4, &window, {376, 72, 75, 25}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.control->objectName(), c.name);
        EXPECT_EQ(c.control->parentWidget(), c.parent);
        EXPECT_EQ(c.control->geometry(), c.geometry);
    }

    // The label keeps its place and takes the room its text needs, whatever the font.
    EXPECT_EQ(window.controls().Label1->parentWidget(), window.controls().GroupBox1);
    EXPECT_EQ(window.controls().Label1->pos(), QPoint(24, 24));
    const QSize textSize = window.controls().Label1->fontMetrics().size(0, window.controls().Label1->text());
    EXPECT_GE(window.controls().Label1->width(), textSize.width());
    EXPECT_GE(window.controls().Label1->height(), textSize.height());
    EXPECT_LT(window.controls().Label1->geometry().right(), window.controls().Edit1->x()) << "label runs under the field";

    // 507 x 174 outside, less the frame of the design: the inside is 499 x 147.
    EXPECT_EQ(window.size(), QSize(499, 147));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
}

// The design places the field 16 pixels down the group box, for a title drawn on the
// frame line; a style that draws the title above the line would run the line through
// the field.
TEST(Window, NoControlCrossesTheGroupBoxFrame)
{
    UnshownWindow unshown;
    const QGroupBox* box = unshown.window.controls().GroupBox1;
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect frame = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, box);
    const int frameLineWidth = 2;  // the classic etched line
    for (const QWidget* control : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        SCOPED_TRACE(control->objectName().toStdString());
        EXPECT_GE(control->geometry().top(), frame.top() + frameLineWidth);
        EXPECT_LE(control->geometry().bottom(), frame.bottom() - frameLineWidth);
    }
}

TEST(Window, CaptionsAreTheDesignedOnesWithTheirCzechLetters)
{
    UnshownWindow unshown;
    ui::QtMainWindow& window = unshown.window;
    EXPECT_EQ(window.windowTitle(), "Import");
    EXPECT_EQ(window.controls().GroupBox1->title(), "  Database  ");
    EXPECT_EQ(window.controls().Label1->text(), "Server:");
    EXPECT_EQ(window.controls().Edit1->text(), "localhost");
    EXPECT_EQ(window.controls().BitBtn3->text(), "SPUSTIT >>>");
    EXPECT_EQ(window.controls().BitBtn4->text(), QString::fromUtf8("Zavřít"));
}

TEST(Window, CloseButtonShowsARedCrossAndAGreyOneWhenDisabled)
{
    UnshownWindow unshown;
    ui::QtMainWindow& window = unshown.window;
    const QIcon icon = window.controls().BitBtn4->icon();
    EXPECT_EQ(window.controls().BitBtn4->iconSize(), QSize(18, 18));
    const QImage normal = icon.pixmap(QSize(18, 18), QIcon::Normal).toImage();
    const QImage disabled = icon.pixmap(QSize(18, 18), QIcon::Disabled).toImage();
    ASSERT_EQ(normal.size(), QSize(18, 18));
    ASSERT_EQ(disabled.size(), QSize(18, 18));

    // The crossing point of the two bars, and a corner of the background.
    EXPECT_EQ(normal.pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(normal.pixelColor(0, 17).alpha(), 0) << "olive background must be transparent";
    EXPECT_EQ(disabled.pixelColor(0, 17).alpha(), 0);
    int redInDisabled = 0;
    int greyInDisabled = 0;
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x) {
            const QColor pixel = disabled.pixelColor(x, y);
            if (pixel.alpha() == 0)
                continue;
            redInDisabled += pixel.red() > pixel.green() + 64;
            greyInDisabled += pixel == QColor(0x80, 0x80, 0x80);
        }
    EXPECT_EQ(redInDisabled, 0);
    EXPECT_GT(greyInDisabled, 0);
}

TEST_F(ShownWindow, AppearsWithTheConfiguredServerAndWithoutANotice)
{
    NoticeAnswerer notices;
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.controls().Edit1->text(), kNobodyListens);
    EXPECT_EQ(window.controls().BitBtn3->text(), "SPUSTIT >>>");
    EXPECT_TRUE(notices.seen.empty());
    EXPECT_FALSE(dm.conMain.connected());
}

TEST_F(ShownWindow, FocusStartsInTheFieldAndTabWalksFieldStartClose)
{
    EXPECT_EQ(focused(), window.controls().Edit1);
    const QWidget* expected[] = {window.controls().BitBtn3, window.controls().BitBtn4, window.controls().Edit1};
    for (const QWidget* next : expected) {
        QTest::keyClick(focused(), Qt::Key_Tab);
        EXPECT_EQ(focused(), next) << "after Tab";
    }
}

TEST_F(ShownWindow, EnterInTheFieldRunsTheStartButtonAndAFailedConnectIsReported)
{
    NoticeAnswerer notices([this] { return window.controls().BitBtn3->text(); });
    ASSERT_TRUE(window.controls().BitBtn3->isDefault());

    QTest::keyClick(window.controls().Edit1, Qt::Key_Return);

    ASSERT_EQ(notices.seen.size(), 1u);
    const SeenNotice& notice = notices.seen.front();
    EXPECT_EQ(notice.title, "CHYBA");
    EXPECT_EQ(notice.text, QString::fromUtf8("Nepodařilo se připojit k serveru !"));
    EXPECT_EQ(notice.icon, QMessageBox::Critical);
    EXPECT_EQ(notice.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(notice.modality, Qt::ApplicationModal);
    EXPECT_FALSE(notice.hasOwner);
    EXPECT_EQ(notice.noted, QString::fromUtf8("Připojuji se")) << "caption while the notice is up";
    EXPECT_EQ(window.controls().BitBtn3->text(), "SPUSTIT >>>") << "caption after the notice";

    // The program goes on: the user may correct the address and press again.
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(endWasRequested());
}

TEST_F(ShownWindow, ShowingAgainKeepsTheAddressTheUserTyped)
{
    window.controls().Edit1->setText("typed.example");
    window.hide();
    window.show();
    EXPECT_EQ(window.controls().Edit1->text(), "typed.example");
}

TEST_F(ShownWindow, EscapeDoesNotEndTheProgram)
{
    QTest::keyClick(window.controls().Edit1, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(endWasRequested());
}

TEST_F(ShownWindow, CloseButtonEndsTheProgramAtOnce)
{
    NoticeAnswerer notices;
    QTest::mouseClick(window.controls().BitBtn4, Qt::LeftButton);
    EXPECT_TRUE(notices.seen.empty()) << "no confirmation";
    EXPECT_TRUE(endWasRequested());
}

}  // namespace
