// The main window: its controls as designed, its handlers and the run's window operations.
#include "ui/uMain.h"

#include "data/DatabaseError.h"
#include "data/uDM.h"
#include "platform/CodePage.h"
#include "ui/CloseGlyph.h"
#include "update/Configuration.h"
#include "update/SessionSettings.h"
#include "update/Texts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <exception>

using platform::fromWindows1250;

namespace {

// The window's own texts, Windows-1250 like every text of the program.
constexpr std::string_view kCaptionWindow = "Import";
constexpr std::string_view kCaptionGroup = "  Database  ";
constexpr std::string_view kCaptionServer = "Server:";
constexpr std::string_view kServerFieldAtDesign = "localhost";  // until the configured one is read
constexpr std::string_view kCaptionClose = "Zav\xF8\xEDt";  // Zavřít

// The window was designed at 96 pixels per inch as 507 x 174 pixels outside, with a
// classic frame of 4 pixels on each side and a 19 pixel title bar; Qt sizes the inside
// and the window manager adds its own frame around it.
constexpr QSize kClientSize{499, 147};

constexpr QRect kGroupBox1Geometry{8, 8, 481, 121};
constexpr QPoint kLabel1Position{24, 24};  // relative to the group box, sized to its text
constexpr QRect kEdit1Geometry{72, 16, 129, 21};  // relative to the group box
constexpr QRect kBitBtn3Geometry{248, 72, 105, 25};
constexpr QRect kBitBtn4Geometry{376, 72, 75, 25};

constexpr const char kDesignFontFamily[] = "MS Sans Serif";
// 8 point at 96 pixels per inch; given in pixels so that text and controls, whose places
// are pixels, keep their proportions on a screen of any density.
constexpr int kDesignFontPixelHeight = 11;

// The design's font where it is installed, else the system's own at the same height.
QFont windowFont()
{
    QFont font = QFontDatabase::families().contains(kDesignFontFamily)
                     ? QFont(kDesignFontFamily)
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(kDesignFontPixelHeight);
    return font;
}

// No system menu and no minimise, maximise or close box: ending is the close button's job.
constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// Qt lets no exception travel through its event handling. One that reaches the edge of a
// handler is shown as the error it is, and the program goes on with the window.
template <typename Handler>
void reportingEscapedErrors(Handler&& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QCoreApplication::applicationName(), QString::fromLocal8Bit(error.what()));
    }
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : QDialog(parent, kWindowFlags),
      GroupBox1(new QGroupBox(this)),
      Label1(new QLabel(GroupBox1)),
      Edit1(new QLineEdit(GroupBox1)),
      BitBtn3(new QPushButton(this)),
      BitBtn4(new QPushButton(this))
{
    GroupBox1->setObjectName("GroupBox1");
    Label1->setObjectName("Label1");
    Edit1->setObjectName("Edit1");
    BitBtn3->setObjectName("BitBtn3");
    BitBtn4->setObjectName("BitBtn4");

    setFont(windowFont());
    setCaptions();
    placeControls();
    BitBtn3->setDefault(true);
    BitBtn4->setIcon(ui::closeGlyph());
    BitBtn4->setIconSize(ui::kCloseGlyphSize);
    setTabOrder(Edit1, BitBtn3);
    setTabOrder(BitBtn3, BitBtn4);
    Edit1->setFocus();
    connectHandlers();
}

void TfrmMain::setDataModule(TDM* dataModule)
{
    DM = dataModule;
}

void TfrmMain::setCaptions()
{
    setWindowTitle(fromWindows1250(kCaptionWindow));
    GroupBox1->setTitle(fromWindows1250(kCaptionGroup));
    Label1->setText(fromWindows1250(kCaptionServer));
    Edit1->setText(fromWindows1250(kServerFieldAtDesign));
    BitBtn3->setText(fromWindows1250(update::kCaptionStart));
    BitBtn4->setText(fromWindows1250(kCaptionClose));
}

void TfrmMain::placeControls()
{
    setFixedSize(kClientSize);
    GroupBox1->setGeometry(kGroupBox1Geometry);
    Label1->move(kLabel1Position);
    Label1->adjustSize();
    Edit1->setGeometry(kEdit1Geometry);
    BitBtn3->setGeometry(kBitBtn3Geometry);
    BitBtn4->setGeometry(kBitBtn4Geometry);
}

void TfrmMain::connectHandlers()
{
    connect(BitBtn3, &QPushButton::clicked, this, [this] { reportingEscapedErrors([this] { BitBtn3Click(); }); });
    connect(BitBtn4, &QPushButton::clicked, this, &TfrmMain::BitBtn4Click);
}

// The whole window, frame included where the window system has told its size by now.
void TfrmMain::centreOnScreen()
{
    const QRect outside = frameGeometry();
    move(screen()->geometry().center() - QPoint(outside.width() / 2, outside.height() / 2));
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Qt sends this before the window reaches the screen, and again whenever the window
    // system shows it anew (after being minimised, say); the start-up work is done once.
    if (formShowDone_)
        return;
    formShowDone_ = true;
    centreOnScreen();
    reportingEscapedErrors([this] { FormShow(); });
}

void TfrmMain::keyPressEvent(QKeyEvent* event)
{
    // A dialog closes on Escape, and the last window closing would end the program; here
    // ending is the close button's job alone.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmMain::FormShow()
{
    const std::string configured = update::configuredServerAddress(update::configurationFilePath());
    Edit1->setText(fromWindows1250(configured));
    update::assignSessionSettings(DM->conMain, serverFieldText());
    try {
        DM->conMain.connect();
    } catch (const data::DatabaseError&) {
        // Nothing is said at start: the window appears, and a press of the start button
        // reports a second failure.
    }
    if (DM->conMain.connected())
        BitBtn3Click();
}

void TfrmMain::BitBtn3Click()
{
    update::runCalendarUpdate(*DM, *this);
}

void TfrmMain::BitBtn4Click()
{
    requestEnd();
}

std::string TfrmMain::serverFieldText() const
{
    return platform::toWindows1250(Edit1->text());
}

void TfrmMain::setStartCaption(std::string_view caption)
{
    BitBtn3->setText(fromWindows1250(caption));
}

void TfrmMain::showNotice(std::string_view text, std::string_view caption)
{
    QMessageBox notice(QMessageBox::Critical, fromWindows1250(caption), fromWindows1250(text), QMessageBox::Ok);
    notice.setWindowModality(Qt::ApplicationModal);
    notice.exec();
}

void TfrmMain::requestEnd()
{
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}
