// The Windows console program under Wine as a Windows user's machine meets it: DLLs
// planted where the loader used to look, a server asking for a login method the client
// library lacks, a Czech system code page, and a console left as it was.
#include "tests/support/AdminSession.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FakeLoginServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

constexpr char kCliProgram[] = WINDOWS_BUILD_DIR "/bin/calendar-import-cli.exe";
constexpr char kProbe[] = WINDOWS_BUILD_DIR "/bin/windows_probe.exe";
constexpr char kPlantedDll[] = WINDOWS_BUILD_DIR "/test-dlls/planted-marker.dll";
// A loopback address of its own for the server that asks for an unknown login method.
constexpr char kFakeServerAddress[] = "127.0.0.12";
// Nothing listens there.
constexpr char kNobodyThere[] = "127.0.0.2";
// Wine in this locale is a Czech Windows: system code page 1250, console code page 852.
constexpr char kCzechLocale[] = "cs_CZ.UTF-8";

struct Result {
    int exitStatus = -1;
    std::vector<std::string> out;
    std::vector<std::string> err;
};

// A file of this machine as a Windows program names it: drive Z: is the root.
std::string windowsPath(const fs::path& path)
{
    std::string text = "Z:" + path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

Result runUnderWine(const std::string& program, const std::vector<std::string>& arguments,
                    const ChildOptions& given = {})
{
    ChildOptions options = given;
    options.environment.emplace("LC_ALL", "C.UTF-8");
    std::vector<std::string> launched{program};
    launched.insert(launched.end(), arguments.begin(), arguments.end());
    const ChildResult child = runChild(WINE_RUN, launched, options);
    return {child.exitStatus, linesOf(child.out), linesOf(child.err)};
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + '\n';
    return text;
}

// A fresh folder for one test's files.
fs::path freshFolder(const std::string& name)
{
    const fs::path folder = fs::path(WINDOWS_TEST_DIR) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// A copy of the marker DLL under `name` in `folder`; its marker file, which appears when
// a process loads that copy.
fs::path plant(const fs::path& folder, const std::string& name)
{
    fs::copy_file(kPlantedDll, folder / name, fs::copy_options::overwrite_existing);
    return folder / (name + ".loaded");
}

class WindowsLibrarySearch : public ::testing::Test {
protected:
    void SetUp() override { dropTenantDatabases(admin); }
    void TearDown() override { dropTenantDatabases(admin); }

    AdminSession admin;
};

// The tests below trust the marker: a copy that is loaded does leave it.
TEST(WindowsPlantedDll, LeavesItsMarkerWhenLoaded)
{
    const fs::path folder = freshFolder("marker-works");
    const fs::path marker = plant(folder, "libmysql41.dll");

    const Result result = runUnderWine(kProbe, {"load", windowsPath(folder / "libmysql41.dll")});

    EXPECT_EQ(joined(result.out), "1\n");
    EXPECT_TRUE(fs::exists(marker));
}

TEST_F(WindowsLibrarySearch, PlantedClientLibraryIsNotLoadedAndTheRunWorks)
{
    struct Case {
        const char* where;
        bool inCurrentFolder;
        bool onPath;
    };
    const Case cases[] = {{"current folder", true, false}, {"PATH", false, true}, {"both", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        dropTenantDatabases(admin);
        createTenant(admin, "firma_a", CalendarTable::WithKey);
        const fs::path current = freshFolder("planted-current");
        const fs::path onPath = freshFolder("planted-path");
        std::vector<fs::path> markers;
        if (c.inCurrentFolder)
            markers.push_back(plant(current, "libmysql41.dll"));
        if (c.onPath)
            markers.push_back(plant(onPath, "libmysql41.dll"));
        ChildOptions options;
        options.workingDirectory = current.string();
        // Wine puts WINEPATH's folders in front of the Windows PATH.
        options.environment.emplace("WINEPATH", windowsPath(onPath));

        const Result result = runUnderWine(kCliProgram, {"--host", "127.0.0.1"}, options);

        EXPECT_EQ(result.exitStatus, 0) << joined(result.err);
        EXPECT_NE(std::find(result.out.begin(), result.out.end(), "firma_a: aktualizována"), result.out.end())
            << joined(result.out);
        for (const fs::path& marker : markers)
            EXPECT_FALSE(fs::exists(marker)) << marker << ": the planted DLL was loaded";
    }
}

TEST(WindowsLoginMethod, UnknownMethodLoadsNoDllAndFailsWithTheLibrarysError)
{
    FakeLoginServer server(kFakeServerAddress, "evilplug");
    const fs::path current = freshFolder("plugin-current");
    const fs::path onPath = freshFolder("plugin-path");
    const fs::path markers[] = {plant(current, "evilplug.dll"), plant(onPath, "evilplug.dll")};
    ChildOptions options;
    options.workingDirectory = current.string();
    options.environment.emplace("WINEPATH", windowsPath(onPath));

    const Result result = runUnderWine(kCliProgram, {"--host", kFakeServerAddress}, options);

    EXPECT_GE(server.switchesSent(), 1) << "the program never got as far as the login method";
    EXPECT_EQ(result.exitStatus, 1);
    const std::string err = joined(result.err);
    // The library's own words, naming the one place it looked: the program's folder (the
    // report writes each backslash of the library's text as two).
    std::string looked = windowsPath(fs::path(kCliProgram).parent_path() / "evilplug.dll");
    for (std::size_t at = looked.find('\\'); at != std::string::npos; at = looked.find('\\', at + 2))
        looked.insert(at, 1, '\\');
    EXPECT_NE(err.find("nepodařilo se připojit k serveru 127.0.0.12: Plugin evilplug could not be loaded"),
              std::string::npos) << err;
    EXPECT_NE(err.find("Library path is '" + looked + "'"), std::string::npos) << err;
    for (const fs::path& marker : markers)
        EXPECT_FALSE(fs::exists(marker)) << marker << ": the planted login method was loaded";
}

// Skips the test unless Wine, started in the Czech locale, reports code page 1250.
#define REQUIRE_CZECH_CODE_PAGE()                                                                      \
    do {                                                                                               \
        if (!czechCodePage())                                                                          \
            GTEST_SKIP() << "Wine under LC_ALL=" << kCzechLocale << " does not report GetACP() 1250; " \
                         << "scripts/lib/czech-locale makes the locale";                              \
    } while (false)

bool czechCodePage()
{
    ChildOptions options;
    options.environment.emplace("LC_ALL", kCzechLocale);
    return joined(runUnderWine(kProbe, {"acp"}, options).out) == "1250\n";
}

void writeFile(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

class WindowsCzechSystem : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_CZECH_CODE_PAGE();
        dropTenantDatabases(admin);
        createTenant(admin, "firma_a", CalendarTable::WithKey);
    }
    void TearDown() override { dropTenantDatabases(admin); }

    AdminSession admin;
};

// Folder names in the system's code page and outside it: the command line reaches the
// program as UTF-16, every file opens, and every path is printed as given.
TEST_F(WindowsCzechSystem, FilesNamedOnTheCommandLineOpenAndArePrintedRight)
{
    ChildOptions czech;
    czech.environment.emplace("LC_ALL", kCzechLocale);
    for (const std::string name : {"Jiří", "Žluťoučký kůň", "Жанна"}) {
        SCOPED_TRACE(name);
        const fs::path folder = freshFolder("czech") / name;
        fs::create_directories(folder);
        writeFile(folder / "q.ini", "[DATABASE]\r\nIP=127.0.0.1\r\n");
        writeFile(folder / "servery.txt", "127.0.0.1\r\n");
        writeFile(folder / "prázdný.txt", "# nic\r\n");
        const std::string config = windowsPath(folder / "q.ini");
        const std::string hosts = windowsPath(folder / "servery.txt");
        const std::string empty = windowsPath(folder / "prázdný.txt");

        for (const std::vector<std::string>& arguments :
             {std::vector<std::string>{"--dry-run", "--config", config},
              std::vector<std::string>{"--dry-run", "--hosts-file", hosts}}) {
            const Result result = runUnderWine(kCliProgram, arguments, czech);
            EXPECT_EQ(result.exitStatus, 0) << arguments[1] << "\n" << joined(result.err);
            EXPECT_NE(result.out.size(), 0u) << arguments[1];
        }

        const Result noAddress = runUnderWine(kCliProgram, {"--hosts-file", empty}, czech);
        EXPECT_EQ(noAddress.exitStatus, 66);
        EXPECT_EQ(joined(noAddress.err),
                  "calendar-import-cli: soubor se seznamem serverů " + empty + " neobsahuje žádnou adresu\n");

        const Result folderAsFile = runUnderWine(kCliProgram, {"--config", windowsPath(folder)}, czech);
        EXPECT_EQ(folderAsFile.exitStatus, 78);
        EXPECT_TRUE(joined(folderAsFile.err)
                        .starts_with("calendar-import-cli: konfigurační soubor " + windowsPath(folder) + " nejde přečíst: "))
            << joined(folderAsFile.err);
    }
}

// What a console shows: the program runs between two readings of the console's output
// code page in one console (a pseudo-terminal, so that Wine gives the programs a real
// console), and writes a Czech line there.
TEST(WindowsConsole, OutputCodePageStaysAndCzechLinesArriveWhole)
{
    REQUIRE_CZECH_CODE_PAGE();
    ChildOptions czech;
    czech.environment.emplace("LC_ALL", kCzechLocale);
    // From the programs' own folder: cmd's quoting of full paths is its own.
    czech.workingDirectory = fs::path(kCliProgram).parent_path().string();
    const std::string commands = std::string("windows_probe.exe output-cp & calendar-import-cli.exe --host ") +
                                 kNobodyThere + " --connect-timeout 5 & windows_probe.exe output-cp";
    const std::string shell = std::string(WINE_RUN) + " cmd /c '" + commands + "'";
    const ChildResult child = runChild("/usr/bin/script", {"-qec", shell, "/dev/null"}, czech);

    // The console's own sequences (cursor shown and hidden, line erased) and line ends out.
    std::string text = child.out;
    for (const std::string sequence : {"\x1b[?25l", "\x1b[?25h", "\x1b[K", "\r"}) {
        for (std::size_t at = text.find(sequence); at != std::string::npos; at = text.find(sequence, at))
            text.erase(at, sequence.size());
    }
    const std::vector<std::string> lines = linesOf(text);
    ASSERT_GE(lines.size(), 3u) << text;
    EXPECT_EQ(lines.front(), "852") << "Wine's console code page for the Czech locale";
    EXPECT_EQ(lines.back(), lines.front()) << "the program changed the console's output code page";
    const std::string failed = std::string("calendar-import-cli: nepodařilo se připojit k serveru ") + kNobodyThere;
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.starts_with(failed); }))
        << text;
}

}  // namespace
