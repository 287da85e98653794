// The command line's servers, the hosts file's and the configuration file's, in that order.
#include "app/cli/ServersToUpdate.h"

#include "app/cli/ConsoleOutput.h"
#include "app/cli/ConsoleTexts.h"
#include "app/cli/ExitStatus.h"
#include "data/DatabaseError.h"
#include "data/HostText.h"
#include "platform/FilePath.h"
#include "platform/TextFile.h"
#include "update/Configuration.h"
#include "update/SessionSettings.h"

#include <algorithm>

namespace cli {

namespace {

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "host:3306" or "[::1]:3306": a port written after the host, which the configuration
// file's address cannot carry (an IPv6 address alone has colons of its own).
bool namesAPort(std::string_view address)
{
    const std::size_t colon = address.rfind(':');
    if (colon == std::string_view::npos || colon == 0 || !allDigits(address.substr(colon + 1)))
        return false;
    const std::string_view host = address.substr(0, colon);
    return host.find(':') == std::string_view::npos || (host.front() == '[' && host.back() == ']');
}

// Why the configured address cannot be a host, in one line; none when it can. The
// business application's own reading is left alone: an empty address still means the
// local server to both.
std::optional<std::string> configuredAddressProblem(const Terminal& terminal, const std::string& file,
                                                    const std::string& address)
{
    try {
        data::checkHostText(address, terminal.escaped(address));
        return std::nullopt;
    } catch (const data::ProgramError& error) {
        if (namesAPort(address)) {
            return fill(texts::kConfiguredPort, {texts::kProgramName, terminal.path(file), terminal.escaped(address),
                                                 std::to_string(update::kServerPort)});
        }
        return fill(texts::kConfiguredAddressWrong, {texts::kProgramName, terminal.path(file), error.text()});
    }
}

}  // namespace

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
        if (const auto problem = configuredAddressProblem(terminal, file, configured.address)) {
            printLines(err, terminal, {*problem});
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
