// The main window in Qt Widgets.
#include "ui/qt/MainWindow.h"

#include "ui/EscapedErrors.h"
#include "ui/FormDesign.h"
#include "ui/qt/CloseGlyph.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStyle>
#include <QStyleFactory>

#include <utility>

namespace ui {

namespace {

constexpr const char kTranslationContext[] = "TfrmMain";

constexpr const char kClassicStyle[] = "Windows";

// No system menu and no minimise, maximise or close box: ending is the close button's job.
constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// The design's font where it is installed, else the system's own at the same height.
QFont windowFont()
{
    const QString family = QString::fromUtf8(design::kFontFamily.data(), design::kFontFamily.size());
    QFont font = QFontDatabase::families().contains(family) ? QFont(family)
                                                             : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(design::kFontPixelHeight);
    return font;
}

// The handlers' texts come from the shared logic; they are looked up in the window's
// translations like the form's own.
QString translated(std::string_view text)
{
    return QCoreApplication::translate(kTranslationContext, std::string(text).c_str());
}

void showErrorBox(std::string_view text)
{
    QMessageBox::critical(nullptr, QCoreApplication::applicationName(),
                          QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

template <typename Handler>
void reportingEscapedErrors(Handler&& handler) noexcept
{
    ui::reportingEscapedErrors(std::forward<Handler>(handler), showErrorBox);
}

}  // namespace

QtMainWindow::QtMainWindow(TDM& dataModule, std::filesystem::path configurationFile, QWidget* parent)
    : QDialog(parent, kWindowFlags), frmMain_(*this, dataModule, std::move(configurationFile))
{
    controls_.setupUi(this);
    setWindowFlags(kWindowFlags);  // the form sets a dialog's own flags
    useClassicStyle();
    setFont(windowFont());
    controls_.Label1->adjustSize();
    controls_.BitBtn4->setIcon(closeGlyph());

    connect(controls_.BitBtn3, &QPushButton::clicked, this,
            [this] { reportingEscapedErrors([this] { frmMain_.BitBtn3Click(); }); });
    connect(controls_.BitBtn4, &QPushButton::clicked, this, [this] { frmMain_.BitBtn4Click(); });
}

// The design places the group box's contents for the classic look, where the title sits
// on the frame line; styles that draw the title above the line would run it through
// the server field. Qt ships the classic style on every platform.
void QtMainWindow::useClassicStyle()
{
    QStyle* classic = QStyleFactory::create(kClassicStyle);
    if (!classic)
        return;
    classic->setParent(this);
    setStyle(classic);
    for (QWidget* control : findChildren<QWidget*>())
        control->setStyle(classic);
}

void QtMainWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Qt sends this before the window reaches the screen, and again whenever the window
    // system shows it anew (after being minimised, say); the start-up work is done once.
    if (formShowDone_)
        return;
    formShowDone_ = true;
    reportingEscapedErrors([this] { frmMain_.FormShow(); });
}

void QtMainWindow::keyPressEvent(QKeyEvent* event)
{
    // A dialog closes on Escape, and the last window closing would end the program; here
    // ending is the close button's job alone.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

std::string QtMainWindow::serverFieldText() const
{
    return controls_.Edit1->text().toStdString();
}

void QtMainWindow::setServerFieldText(std::string_view text)
{
    controls_.Edit1->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QtMainWindow::setStartCaption(std::string_view caption)
{
    controls_.BitBtn3->setText(translated(caption));
}

void QtMainWindow::showNotice(std::string_view text, std::string_view caption)
{
    QMessageBox notice(QMessageBox::Critical, translated(caption), translated(text), QMessageBox::Ok);
    notice.setWindowModality(Qt::ApplicationModal);
    notice.exec();
}

void QtMainWindow::requestEnd()
{
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

}  // namespace ui
