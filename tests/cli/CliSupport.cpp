// Child processes and extra servers for the console program's tests (POSIX).
#include "tests/cli/CliSupport.h"

#include "tests/support/ChildProcess.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iostream>
#include <thread>

extern char** environ;

namespace cli_testing {

using testing_support::ChildOptions;
using testing_support::linesOf;
using testing_support::runChild;

CliResult runCliRedirected(const Arguments& arguments, const std::string& redirections)
{
    Arguments shell = {"-c", "exec \"$0\" \"$@\" " + redirections, CLI_PROGRAM};
    shell.insert(shell.end(), arguments.begin(), arguments.end());
    ChildOptions options;
    options.environment = {{"LC_ALL", "C.UTF-8"}};
    const auto child = runChild("/bin/sh", shell, options);
    return {child.exitStatus, linesOf(child.out), linesOf(child.err)};
}

std::vector<std::string> linesOfFile(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    // A line still being written is not a line yet.
    if (!text.empty() && text.back() != '\n')
        text.erase(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
    return linesOf(text);
}

RunningCli::RunningCli(const Arguments& arguments, const std::filesystem::path& out, const std::filesystem::path& err)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> environment = {"LC_ALL=C.UTF-8"};
    for (char** entry = environ; *entry; ++entry) {
        if (!std::string_view(*entry).starts_with("LC_ALL="))
            environment.emplace_back(*entry);
    }
    const std::string program = CLI_PROGRAM;
    testing_support::SpawnVectors vectors = testing_support::spawnVectors(program, arguments, environment);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, vectors.argv.data(), vectors.envp.data()) == 0)
        pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
}

RunningCli::~RunningCli()
{
    if (pid_ > 0 && !status_) {
        ::kill(pid_, SIGKILL);
        wait();
    }
}

bool RunningCli::waitForLine(const std::filesystem::path& file, const std::string& prefix)
{
    while (true) {
        if (countStartingWith(linesOfFile(file), prefix) > 0)
            return true;
        int status = 0;
        if (!status_ && waitpid(pid_, &status, WNOHANG) == pid_)
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (status_)
            return countStartingWith(linesOfFile(file), prefix) > 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void RunningCli::signal(int number)
{
    if (!status_)
        ::kill(pid_, number);
}

int RunningCli::wait()
{
    if (!status_) {
        int status = 0;
        if (waitpid(pid_, &status, 0) != pid_)
            return -1;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return *status_;
}

ExtraServer::ExtraServer(std::string address, std::filesystem::path dir, const std::vector<std::string>& options)
    : address_(std::move(address)), dir_(std::move(dir)), socket_(dir_ / "mysqld.sock")
{
    std::filesystem::create_directories(dir_);
    started_ = script("start", options) == 0;
}

ExtraServer::~ExtraServer()
{
    script("stop");
}

int ExtraServer::script(const std::string& command, const std::vector<std::string>& options)
{
    ChildOptions child;
    child.environment = {{"TEST_SERVER_ADDRESS", address_}, {"TEST_SERVER_SOCKET", socket_.string()}};
    Arguments arguments = {command, (dir_ / "server").string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const testing_support::ChildResult result = runChild(CALENDAR_TEST_SERVER_SCRIPT, arguments, child);
    if (result.exitStatus != 0)
        std::cerr << "test-server " << command << " " << address_ << " failed (" << result.exitStatus
                  << "): " << result.err << result.out << "\n";
    return result.exitStatus;
}

std::vector<std::string> ExtraServer::sql(const std::string& statements)
{
    const auto child = runChild("/usr/bin/mariadb", {"--no-defaults", "--user=root", "--socket=" + socket_.string(),
                                                     "--batch", "--skip-column-names", "-e", statements});
    return linesOf(child.out);
}

void ExtraServer::createTenants(const std::vector<std::string>& names)
{
    std::string statements;
    for (const std::string& name : names) {
        statements += "CREATE DATABASE `" + name + "`; CREATE TABLE `" + name +
                      "`.`calendar` (`id` INT NOT NULL PRIMARY KEY, `year` INT NOT NULL, `month` INT NOT NULL, "
                      "`days` VARCHAR(31) NOT NULL); GRANT INSERT ON `" + name +
                      "`.* TO 'quorvel'@'localhost', 'quorvel'@'127.0.0.1';";
    }
    sql(statements);
}

std::size_t ExtraServer::calendarRowCount(const std::string& name)
{
    const std::vector<std::string> rows = sql("SELECT COUNT(*) FROM `" + name + "`.`calendar`");
    return rows.empty() ? 0 : std::stoul(rows.front());
}

void ExtraServer::kill()
{
    script("kill");
}

}  // namespace cli_testing
