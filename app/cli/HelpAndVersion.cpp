// Help, version and usage on the standard streams.
#include "app/cli/HelpAndVersion.h"

#include "app/InstalledPaths.h"
#include "app/cli/ConsoleOutput.h"
#include "app/cli/ConsoleTexts.h"
#include "app/cli/ExitStatus.h"
#include "app/cli/HelpText.h"

namespace cli {

int finishedPrinting(bool written, const Terminal& terminal, int status)
{
    if (written)
        return status;
    printLines(stderr, terminal, {fill(texts::kWriteFailed, {texts::kProgramName})});
    return kExitOutputFailed;
}

int showHelp(const Terminal& terminal)
{
    const bool written = printLines(stdout, terminal, {helpText(app::kInstalledConfigurationFile)});
    return finishedPrinting(written, terminal, kExitCompleted);
}

int showVersion(const Terminal& terminal)
{
    const bool written = printLines(stdout, terminal, {fill("%1 %2", {texts::kProgramName, app::kVersion})});
    return finishedPrinting(written, terminal, kExitCompleted);
}

int showWrongCommandLine(const Terminal& terminal, const CommandLine& commandLine)
{
    printLines(stderr, terminal,
               {fill(commandLine.problemText, {texts::kProgramName, terminal.argument(commandLine.wrongArgument)}),
                texts::kUsage});
    return kExitWrongCommandLine;
}

}  // namespace cli
