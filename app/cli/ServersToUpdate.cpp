// The command line's servers, the hosts file's and the configuration file's, in that order.
#include "app/cli/ServersToUpdate.h"

#include "app/cli/ConsoleOutput.h"
#include "app/cli/ConsoleTexts.h"
#include "app/cli/ExitStatus.h"
#include "platform/FilePath.h"
#include "platform/TextFile.h"
#include "update/Configuration.h"

#include <algorithm>

namespace cli {

std::variant<ServerList, int> serversToUpdate(const Terminal& terminal, const CommandLine& commandLine,
                                              const std::string& installedFile, std::FILE* err)
{
    ServerList servers;
    std::vector<std::string> hosts;
    for (const std::string& host : commandLine.hosts)
        hosts.push_back(terminal.argument(host));
    if (commandLine.hostsFile) {
        const std::string file = terminal.argument(*commandLine.hostsFile);
        // Decoded as Windows tools write text: PowerShell's ">" writes UTF-16LE with a mark.
        const platform::TextFile read = platform::readTextFile(platform::pathFromUtf8(file));
        if (read.problem) {
            printLines(err, terminal,
                       {fill(texts::kHostsFileUnreadable,
                             {texts::kProgramName, terminal.path(file), terminal.message(*read.problem)})});
            return kExitHostsFileUnreadable;
        }
        const std::vector<std::string> listed = hostsInFile(read.text);
        if (listed.empty()) {
            printLines(err, terminal, {fill(texts::kHostsFileEmpty, {texts::kProgramName, terminal.path(file)})});
            return kExitHostsFileUnreadable;
        }
        for (const std::string& host : listed)
            hosts.push_back(terminal.argument(host));
    }
    if (hosts.empty()) {
        const std::string file =
            commandLine.configurationFile ? terminal.argument(*commandLine.configurationFile) : installedFile;
        update::ConfiguredServer configured = update::readConfiguredServer(platform::pathFromUtf8(file));
        if (configured.unreadable) {
            printLines(err, terminal,
                       {fill(texts::kConfigurationUnreadable,
                             {texts::kProgramName, terminal.path(file), *configured.unreadable})});
            return kExitConfigurationUnreadable;
        }
        // Only the installed file may be missing (the business application's default
        // then holds); a file the user names is one they expect to be read.
        if (configured.fileMissing && commandLine.configurationFile) {
            printLines(err, terminal,
                       {fill(texts::kConfigurationMissing, {texts::kProgramName, terminal.path(file)})});
            return kExitConfigurationUnreadable;
        }
        servers.configuration = ConfigurationRead{file, !configured.fileMissing};
        hosts.push_back(std::move(configured.address));
    }
    for (std::string& host : hosts) {
        if (std::find(servers.hosts.begin(), servers.hosts.end(), host) == servers.hosts.end())
            servers.hosts.push_back(std::move(host));
    }
    return servers;
}

}  // namespace cli
