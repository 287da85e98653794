// One line and status 70 for whatever escaped the program's own handling.
#include "app/cli/CatchAll.h"

#include "app/cli/ConsoleTexts.h"
#include "app/cli/ExitStatus.h"
#include "platform/ConsoleText.h"

#include <exception>
#include <string>

namespace cli {

int statusCatchingEverything(std::FILE* err, const Terminal& terminal, const std::function<int()>& work)
{
    std::string what;
    try {
        return work();
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
        what = "neznámá výjimka";
    }
    try {
        // One line, whatever the exception's text holds.
        platform::writeText(err, terminal.message(fill(texts::kInternalError,
                                                       {texts::kProgramName, escapedText(what, false, false)})) +
                                     '\n');
    } catch (...) {
    }
    return kExitInternalError;
}

}  // namespace cli
