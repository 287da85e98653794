// The main window on an offscreen screen: its form against the design, keys, buttons and a failed press.
// The configured server is an address where nothing listens, so no server is needed.
#include "data/uDM.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/FormDesign.h"
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

QString qString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* controlNamed(QWidget& window, std::string_view name)
{
    return window.findChild<QWidget*>(qString(name));
}

// The text a control shows, whatever its kind.
QString captionOf(const QWidget* control)
{
    if (const auto* box = qobject_cast<const QGroupBox*>(control))
        return box->title();
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (const auto* field = qobject_cast<const QLineEdit*>(control))
        return field->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    return {};
}

// The form, made by Designer, against the one description of the window's design.
TEST(Window, FormFollowsTheDesign)
{
    UnshownWindow unshown;
    ui::QtMainWindow& window = unshown.window;
    EXPECT_EQ(window.windowTitle(), qString(ui::design::kWindowCaption));
    EXPECT_EQ(window.size(), QSize(ui::design::kClientWidth, ui::design::kClientHeight));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "the size is fixed";
    EXPECT_EQ(window.font().pixelSize(), ui::design::kFontPixelHeight);

    for (const ui::design::Control& designed : ui::design::kControls) {
        SCOPED_TRACE(std::string(designed.name));
        QWidget* control = controlNamed(window, designed.name);
        ASSERT_NE(control, nullptr);
        QWidget* parent = designed.parent == ui::design::Parent::Window ? static_cast<QWidget*>(&window)
                                                                          : window.controls().GroupBox1;
        EXPECT_EQ(control->parentWidget(), parent);
        EXPECT_EQ(captionOf(control), qString(designed.caption));
        EXPECT_EQ(control->font(), window.font());
        const ui::design::Place& place = designed.place;
        if (place.width == 0 && place.height == 0) {
            // Keeps its place and takes the room its text needs, whatever the font.
            EXPECT_EQ(control->pos(), QPoint(place.x, place.y));
            const QSize textSize = control->fontMetrics().size(0, captionOf(control));
            EXPECT_GE(control->width(), textSize.width());
            EXPECT_GE(control->height(), textSize.height());
        } else {
            EXPECT_EQ(control->geometry(), QRect(place.x, place.y, place.width, place.height));
        }
    }
    EXPECT_LT(window.controls().Label1->geometry().right(), window.controls().Edit1->x()) << "label runs under the field";
    EXPECT_TRUE(qobject_cast<QPushButton*>(controlNamed(window, ui::design::kDefaultButton))->isDefault());
    EXPECT_EQ(window.controls().BitBtn4->iconSize(), QSize(ui::design::kCloseGlyphSize, ui::design::kCloseGlyphSize));
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

TEST(Window, CloseButtonShowsARedCrossAndAGreyOneWhenDisabled)
{
    UnshownWindow unshown;
    ui::QtMainWindow& window = unshown.window;
    const QIcon icon = window.controls().BitBtn4->icon();
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

TEST_F(ShownWindow, FocusStartsAndTabWalksAsDesigned)
{
    const auto& order = ui::design::kTabOrder;
    EXPECT_EQ(focused(), controlNamed(window, order.front()));
    for (std::size_t step = 1; step <= order.size(); ++step) {
        QTest::keyClick(focused(), Qt::Key_Tab);
        EXPECT_EQ(focused(), controlNamed(window, order[step % order.size()])) << "Tab " << step;
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

// The machine has no client library: the notice says so, and where it was looked for,
// instead of blaming the connection.
TEST_F(ShownWindow, AMissingClientLibraryIsNamedInsteadOfTheConnection)
{
    NoticeAnswerer notices;
    dm.conMain.settings.LibraryNames = {"libcalendar-missing.so.0"};

    QTest::keyClick(window.controls().Edit1, Qt::Key_Return);

    ASSERT_EQ(notices.seen.size(), 1u);
    EXPECT_EQ(notices.seen.front().title, "CHYBA");
    EXPECT_EQ(notices.seen.front().text, QString::fromUtf8("Klientská knihovna MySQL chybí nebo ji nejde načíst.\n"
                                                           "Hledána mezi knihovnami systému jako "
                                                           "libcalendar-missing.so.0."));
    EXPECT_TRUE(window.isVisible());
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
