// Helpers for tests of the real window: the test configuration file, answering notices,
// and whether the end of the program was requested.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

// Readable failure messages for the Qt values the tests compare.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QPoint& p, std::ostream* out) { *out << "(" << p.x() << ", " << p.y() << ")"; }
inline void PrintTo(const QSize& s, std::ostream* out) { *out << s.width() << " x " << s.height(); }
inline void PrintTo(const QRect& r, std::ostream* out)
{
    *out << "(" << r.x() << ", " << r.y() << ") " << r.width() << " x " << r.height();
}

namespace window_testing {

// A configuration file of the test's own, in a folder of this process; removed again at
// the end.
class ConfigurationFile {
public:
    ConfigurationFile()
        : path_(std::filesystem::temp_directory_path() /
                ("calendar-window-test-" + std::to_string(QCoreApplication::applicationPid())) / "quorvel.ini")
    {
        remove();
    }
    ~ConfigurationFile() { std::filesystem::remove_all(path_.parent_path()); }
    ConfigurationFile(const ConfigurationFile&) = delete;
    ConfigurationFile& operator=(const ConfigurationFile&) = delete;

    void write(const std::string& bytes)
    {
        std::filesystem::create_directories(path_.parent_path());
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
    }
    void remove() { std::filesystem::remove(path_); }
    const std::filesystem::path& path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

// A message box as it was when it appeared, with what the test noted beside it.
struct SeenNotice {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::WindowModality modality = Qt::NonModal;
    bool hasOwner = false;
    QString noted;
};

// Watches the whole application for message boxes; records each one as it appears and
// presses its OK button once the box's own event loop runs, as a user would.
class NoticeAnswerer : public QObject {
public:
    // `note` is asked, while each box is up, for anything the test wants to remember.
    explicit NoticeAnswerer(std::function<QString()> note = {}) : note_(std::move(note))
    {
        qApp->installEventFilter(this);
    }
    ~NoticeAnswerer() override { qApp->removeEventFilter(this); }

    std::vector<SeenNotice> seen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box && event->type() == QEvent::Show && !static_cast<QShowEvent*>(event)->spontaneous()) {
            seen.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                            box->windowModality(), box->parent() != nullptr, note_ ? note_() : QString()});
            QMetaObject::invokeMethod(box, [box] { dismiss(box); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    static void dismiss(QMessageBox* box)
    {
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    }

    std::function<QString()> note_;
};

// Notes when the application is told to quit.
class QuitWatcher : public QObject {
public:
    QuitWatcher() { qApp->installEventFilter(this); }
    ~QuitWatcher() override { qApp->removeEventFilter(this); }
    bool quitSeen = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == qApp && event->type() == QEvent::Quit)
            quitSeen = true;
        return false;
    }
};

// Runs the event loop: true when an end request was waiting in it and ended it, false
// when the marker queued here behind everything else came first. A quit lets the loop
// finish the events already queued, so the marker only ends the loop itself when no
// quit came before it; if a quit came but was refused, a second marker ends the loop.
inline bool endWasRequested()
{
    QuitWatcher watcher;
    auto armed = std::make_shared<bool>(true);
    const auto endLoop = [armed](int exitCode) {
        if (*armed)
            QCoreApplication::exit(exitCode);
    };
    QMetaObject::invokeMethod(
        qApp,
        [armed, &watcher, endLoop] {
            if (!*armed)
                return;
            if (!watcher.quitSeen)
                endLoop(1);
            else
                QMetaObject::invokeMethod(qApp, [endLoop] { endLoop(2); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    const int exitCode = QApplication::exec();
    *armed = false;  // markers left in the queue must not end a later loop
    return exitCode == 0;
}

}  // namespace window_testing
