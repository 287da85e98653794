// Starting a child with pipes for its three standard streams and reading both outputs
// together, so that neither pipe fills up and stops the child.
#include "tests/support/ChildProcess.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace testing_support {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

#if defined(_WIN32)

namespace {

// One argument quoted the way the C runtime of the child splits its command line.
std::wstring quoted(const std::wstring& argument)
{
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

std::wstring wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
    return text;
}

struct Handle {
    HANDLE value = nullptr;
    ~Handle()
    {
        if (value)
            CloseHandle(value);
    }
};

DWORD WINAPI drain(void* context)
{
    auto* pipe = static_cast<std::pair<HANDLE, std::string*>*>(context);
    std::array<char, 4096> buffer{};
    DWORD count = 0;
    while (ReadFile(pipe->first, buffer.data(), buffer.size(), &count, nullptr) && count > 0)
        pipe->second->append(buffer.data(), count);
    return 0;
}

}  // namespace

ChildResult runChild(const std::string& program, const std::vector<std::string>& arguments,
                     const ChildOptions& options)
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle inRead, inWrite, outRead, outWrite, errRead, errWrite;
    CreatePipe(&inRead.value, &inWrite.value, &inherit, 0);
    CreatePipe(&outRead.value, &outWrite.value, &inherit, 0);
    CreatePipe(&errRead.value, &errWrite.value, &inherit, 0);
    SetHandleInformation(inWrite.value, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead.value, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead.value, HANDLE_FLAG_INHERIT, 0);

    std::wstring commandLine = quoted(wide(program));
    for (const std::string& argument : arguments)
        commandLine += L" " + quoted(wide(argument));

    // The parent's environment with the changes, as a block of NUL-ended entries.
    std::map<std::wstring, std::wstring> variables;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
            const std::wstring text(entry);
            const std::size_t equals = text.find(L'=', 1);
            if (equals != std::wstring::npos)
                variables[text.substr(0, equals)] = text.substr(equals + 1);
        }
        FreeEnvironmentStringsW(block);
    }
    for (const auto& [name, value] : options.environment) {
        if (value)
            variables[wide(name)] = wide(*value);
        else
            variables.erase(wide(name));
    }
    std::wstring environment;
    for (const auto& [name, value] : variables)
        environment += name + L"=" + value + L'\0';
    environment += L'\0';

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead.value;
    startup.hStdOutput = outWrite.value;
    startup.hStdError = errWrite.value;
    PROCESS_INFORMATION process{};
    ChildResult result;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                        environment.data(), nullptr, &startup, &process))
        return result;
    CloseHandle(inRead.value), inRead.value = nullptr;
    CloseHandle(outWrite.value), outWrite.value = nullptr;
    CloseHandle(errWrite.value), errWrite.value = nullptr;

    std::pair<HANDLE, std::string*> outPipe{outRead.value, &result.out}, errPipe{errRead.value, &result.err};
    HANDLE readers[] = {CreateThread(nullptr, 0, drain, &outPipe, 0, nullptr),
                        CreateThread(nullptr, 0, drain, &errPipe, 0, nullptr)};
    DWORD written = 0;
    WriteFile(inWrite.value, options.input.data(), static_cast<DWORD>(options.input.size()), &written, nullptr);
    CloseHandle(inWrite.value), inWrite.value = nullptr;
    WaitForMultipleObjects(2, readers, TRUE, INFINITE);
    CloseHandle(readers[0]);
    CloseHandle(readers[1]);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    result.exitStatus = static_cast<int>(exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

#else

SpawnVectors spawnVectors(const std::string& program, const std::vector<std::string>& arguments,
                          std::vector<std::string>& environment)
{
    SpawnVectors vectors;
    vectors.argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        vectors.argv.push_back(const_cast<char*>(argument.c_str()));
    vectors.argv.push_back(nullptr);
    for (std::string& entry : environment)
        vectors.envp.push_back(entry.data());
    vectors.envp.push_back(nullptr);
    return vectors;
}

ChildResult runChild(const std::string& program, const std::vector<std::string>& arguments,
                     const ChildOptions& options)
{
    std::array<int, 2> in{}, out{}, err{};
    if (pipe(in.data()) != 0 || pipe(out.data()) != 0 || pipe(err.data()) != 0)
        throw std::runtime_error("pipe failed");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    for (int descriptor : {in[0], in[1], out[0], out[1], err[0], err[1]})
        posix_spawn_file_actions_addclose(&actions, descriptor);
    if (!options.workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.workingDirectory.c_str());

    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        const std::string name = text.substr(0, text.find('='));
        if (!options.environment.contains(name))
            environment.push_back(text);
    }
    for (const auto& [name, value] : options.environment)
        if (value)
            environment.push_back(name + "=" + *value);

    SpawnVectors vectors = spawnVectors(program, arguments, environment);

    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, vectors.argv.data(), vectors.envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    ChildResult result;
    if (spawned != 0) {
        close(in[1]), close(out[0]), close(err[0]);
        return result;
    }

    // The input goes in while the output comes out: a child that answers each line as it
    // reads it would otherwise fill its output pipe and wait for us while we wait for it.
    std::size_t inputWritten = 0;
    const auto writeInput = [&] {
        const ssize_t count =
            write(in[1], options.input.data() + inputWritten, options.input.size() - inputWritten);
        if (count >= 0)
            inputWritten += static_cast<std::size_t>(count);
        else if (errno != EAGAIN && errno != EINTR)
            inputWritten = options.input.size();  // the child closed its input: the rest is not wanted
        if (inputWritten == options.input.size()) {
            close(in[1]);
            in[1] = -1;
        }
    };
    fcntl(in[1], F_SETFL, fcntl(in[1], F_GETFL) | O_NONBLOCK);
    writeInput();

    std::array<pollfd, 3> pipes = {pollfd{out[0], POLLIN, 0}, pollfd{err[0], POLLIN, 0}, pollfd{in[1], POLLOUT, 0}};
    std::array<std::string*, 2> targets = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        pipes[2].fd = in[1];
        if (poll(pipes.data(), pipes.size(), -1) < 0)
            break;
        if (in[1] >= 0 && (pipes[2].revents & (POLLOUT | POLLERR | POLLHUP)))
            writeInput();
        for (std::size_t i = 0; i < targets.size(); ++i) {
            if (pipes[i].fd < 0 || !(pipes[i].revents & (POLLIN | POLLHUP)))
                continue;
            std::array<char, 4096> buffer{};
            const ssize_t count = read(pipes[i].fd, buffer.data(), buffer.size());
            if (count > 0) {
                targets[i]->append(buffer.data(), static_cast<std::size_t>(count));
            } else {
                close(pipes[i].fd);
                pipes[i].fd = -1;
                --open;
            }
        }
    }
    if (in[1] >= 0)
        close(in[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

#endif

}  // namespace testing_support
