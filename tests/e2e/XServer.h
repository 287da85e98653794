// A private X server for end-to-end tests, and xdotool to act in it like a user.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <stdexcept>

namespace testing_support {

// Only a guard against a test that would otherwise hang: nothing here judges speed.
inline constexpr int kPatienceMs = 30000;

// A private X server on a display number it picks itself, so that tests never clash.
class XServer {
public:
    // Screenshots go into `screenshotDir`.
    explicit XServer(QString screenshotDir) : screenshotDir_(std::move(screenshotDir))
    {
        if (!sessionFolder_.isValid())
            throw std::runtime_error("no folder for the session");
        process_.start("Xvfb", {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
        if (!process_.waitForStarted(kPatienceMs))
            throw std::runtime_error("Xvfb did not start");
        QByteArray number;
        while (!number.endsWith('\n')) {
            if (!process_.waitForReadyRead(kPatienceMs))
                throw std::runtime_error("Xvfb told no display number");
            number += process_.readAllStandardOutput();
        }
        display_ = ":" + QString::fromLatin1(number.trimmed());
    }
    ~XServer()
    {
        process_.terminate();
        process_.waitForFinished(kPatienceMs);
    }

    // The environment of a login session on this display. Its runtime and temporary
    // folders are its own, as a real session's are: what a program keeps per session
    // there (its one-instance lock, its meeting place) never meets that of another test
    // suite's X server, which in another network namespace may have the same number.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", display_);
        environment.insert("XDG_RUNTIME_DIR", sessionFolder_.path());
        environment.insert("TMPDIR", sessionFolder_.path());
        environment.remove("QT_QPA_PLATFORM");
        return environment;
    }

    // Runs a helper such as xdotool on this display; its standard output.
    QString run(const QString& program, const QStringList& arguments) const
    {
        QProcess helper;
        helper.setProcessEnvironment(environment());
        helper.start(program, arguments);
        helper.waitForFinished(kPatienceMs);
        return QString::fromLocal8Bit(helper.readAllStandardOutput()).trimmed();
    }

    // The visible top-level windows titled exactly `title`.
    QStringList visibleWindows(const QString& title) const
    {
        const QString found = run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"});
        return found.isEmpty() ? QStringList() : found.split('\n');
    }

    // The one visible window titled `title`, once it is there.
    QString waitForWindow(const QString& title, int patienceMs = kPatienceMs) const
    {
        QElapsedTimer patience;
        patience.start();
        while (patience.elapsed() < patienceMs) {
            const QStringList windows = visibleWindows(title);
            if (windows.size() == 1)
                return windows.front();
            QThread::msleep(50);
        }
        ADD_FAILURE() << "no window titled " << title.toStdString() << "; on the screen: "
                      << visibleTitles().join(" | ").toStdString();
        return {};
    }

    // The titles of every visible window, for a failure that needs to say what was there.
    QStringList visibleTitles() const
    {
        QStringList titles;
        const QString found = run("xdotool", {"search", "--onlyvisible", "--name", "."});
        for (const QString& window : found.split('\n', Qt::SkipEmptyParts))
            titles << "\"" + run("xdotool", {"getwindowname", window}) + "\"";
        return titles;
    }

    // Waits until the keyboard is in `window` (or a window inside it); whether it got there.
    bool waitForFocus(const QString& window) const
    {
        QElapsedTimer patience;
        patience.start();
        while (patience.elapsed() < kPatienceMs) {
            if (run("xdotool", {"getwindowfocus"}).trimmed() == window.trimmed())
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    void waitUntilGone(const QString& title) const
    {
        QElapsedTimer patience;
        patience.start();
        while (patience.elapsed() < kPatienceMs && !visibleWindows(title).isEmpty())
            QThread::msleep(50);
        EXPECT_TRUE(visibleWindows(title).isEmpty()) << title.toStdString() << " stays";
    }

    // Gives the window the keyboard, then sends the keys as if typed.
    void keys(const QString& window, const QStringList& keyNames) const
    {
        run("xdotool", {"windowfocus", "--sync", window});
        run("xdotool", QStringList{"key", "--clearmodifiers"} + keyNames);
    }
    // A click with the first button at (x, y) inside the window, as a user gives a window
    // the keyboard where no window manager does it on request.
    void click(const QString& window, int x, int y) const
    {
        run("xdotool", {"mousemove", "--sync", "--window", window, QString::number(x), QString::number(y)});
        run("xdotool", {"click", "1"});
    }
    // Keys as typed, to whichever window has the keyboard.
    void keys(const QStringList& keyNames) const { run("xdotool", QStringList{"key", "--clearmodifiers"} + keyNames); }
    void type(const QString& typed) const { run("xdotool", {"type", "--delay", "20", typed}); }

    void type(const QString& window, const QString& typed) const
    {
        run("xdotool", {"windowfocus", "--sync", window});
        run("xdotool", {"type", "--delay", "20", typed});
    }

    // The whole screen, for a person to look at afterwards.
    void screenshot(const QString& name) const
    {
        QDir().mkpath(screenshotDir_);
        run("import", {"-window", "root", screenshotDir_ + "/" + name + ".png"});
    }

private:
    QString screenshotDir_;
    QProcess process_;
    QString display_;
    QTemporaryDir sessionFolder_;  // created closed to others, as a runtime folder must be
};

}  // namespace testing_support
