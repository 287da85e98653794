// The running window program's meeting place: a local socket of the user's, named after
// the display, which only the holder of the instance claim opens.
#include "app/RunningInstance.h"

#include "app/StartupChecks.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QWidget>

#include <xcb/xcb.h>

#include <unistd.h>

namespace app {

namespace {

QString meetingPlace()
{
    QString display = qEnvironmentVariable("DISPLAY");
    for (QChar& c : display)
        if (!c.isLetterOrNumber() && c != '.' && c != '-')
            c = '_';
    return QString("%1-%2-%3").arg(kInstanceName).arg(getuid()).arg(display);
}

// Qt asks for the keyboard with the time of the last event it saw, which the X server
// ignores once the keyboard has moved since (to the terminal the later start came from,
// say): on X the keyboard is given as of now, which the user's start of the program asked.
void giveKeyboardNow(QWidget& front)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return;
    xcb_set_input_focus(x11->connection(), XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(front.winId()),
                        XCB_CURRENT_TIME);
    xcb_flush(x11->connection());
}

}  // namespace

FrontRequests::FrontRequests(QWidget& window) : window_(window)
{
    // Only the claim's holder gets here: a socket file left by an ended holder is stale.
    QLocalServer::removeServer(meetingPlace());
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &FrontRequests::bringToFront);
    // Without the place, later starts still end: only the front is lost.
    server_.listen(meetingPlace());
}

void FrontRequests::bringToFront()
{
    while (QLocalSocket* request = server_.nextPendingConnection())
        request->deleteLater();
    QWidget* front = QApplication::activeModalWidget();
    if (!front && window_.isVisible())
        front = &window_;
    if (!front)
        return;
    front->raise();
    front->activateWindow();
    giveKeyboardNow(*front);
}

void askForTheFront()
{
    QLocalSocket request;
    request.connectToServer(meetingPlace());
    if (request.waitForConnected(1000))
        request.disconnectFromServer();
}

}  // namespace app
