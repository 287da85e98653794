// How a later start of the window program reaches the running one: it asks for the
// running one's window at the front, and the running one brings it there.
#pragma once

#include <QLocalServer>
#include <QObject>

class QWidget;

namespace app {

// Listens, for as long as it lives, for later starts in the same user's session; each one
// brings `window`, or the notice over it, to the front. Nothing happens while no window is
// on the screen (the start-up run): the request is answered once there is one.
class FrontRequests : public QObject {
public:
    explicit FrontRequests(QWidget& window);

private:
    void bringToFront();

    QWidget& window_;
    QLocalServer server_;
};

// Asks the running program to bring its window to the front; returns at once (it waits at
// most a second for a program that listens).
void askForTheFront();

}  // namespace app
