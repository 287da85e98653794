// The window program's checks before its window exists.
#include "app/StartupChecks.h"

#include "platform/CodePage.h"
#include "update/Texts.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace app {

namespace {

constexpr char kNeedsGraphicalSession[] =
    "calendar-import: potřebuje grafické prostředí (X11 nebo Wayland), žádné není k dispozici.\n"
    "Stejnou práci v terminálu udělá calendar-import-cli.\n";

QtMessageHandler previousHandler = nullptr;

[[noreturn]] void exitWithoutGraphicalSession()
{
    std::fputs(kNeedsGraphicalSession, stderr);
    std::fflush(stderr);
    std::_Exit(kExitNoGraphicalSession);
}

void startupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set"))
        return;
    // Qt gives up with a fatal message when no platform plugin can reach a display.
    if (type == QtFatalMsg && message.contains("platform plugin"))
        exitWithoutGraphicalSession();
    if (previousHandler)
        previousHandler(type, context, message);
}

bool environmentHas(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

}  // namespace

void silenceStartupNoise()
{
    previousHandler = qInstallMessageHandler(startupMessageHandler);
}

int refuseWithoutGraphicalSession()
{
#if defined(Q_OS_UNIX)
    if (!environmentHas("DISPLAY") && !environmentHas("WAYLAND_DISPLAY") && !environmentHas("QT_QPA_PLATFORM")) {
        std::fputs(kNeedsGraphicalSession, stderr);
        return kExitNoGraphicalSession;
    }
#endif
    return 0;
}

int refuseWithoutWindows1250()
{
    const auto missing = platform::windows1250Unavailable();
    if (!missing)
        return 0;
    const std::string_view caption = update::kNoticeCaptionError;
    QMessageBox::critical(nullptr, QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                          QString::fromUtf8(kCodePageMissingNotice) +
                              QString::fromStdString(*missing));
    return kExitCodePageMissing;
}

}  // namespace app
