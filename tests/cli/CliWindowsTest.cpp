// The Windows console program under Wine as a Windows user's machine meets it: DLLs
// planted where the loader used to look, a server asking for a login method the client
// library lacks, a Czech system code page, a console left as it was, and what the
// programs' files tell Windows about themselves.
#include "tests/support/AdminSession.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FakeLoginServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
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

// The client library's own variables name a plugin to load as it starts and the folder
// to load it from; on Windows the program takes neither, and the run works.
TEST_F(WindowsLibrarySearch, ClientLibraryVariablesLoadNoDllAndTheRunWorks)
{
    createTenant(admin, "firma_a", CalendarTable::WithKey);
    const fs::path folder = freshFolder("plugin-variables");
    const fs::path marker = plant(folder, "evilplug.dll");
    ChildOptions options;
    options.environment.emplace("MARIADB_PLUGIN_DIR", windowsPath(folder));
    options.environment.emplace("LIBMYSQL_PLUGINS", "evilplug");

    const Result result = runUnderWine(kCliProgram, {"--host", "127.0.0.1"}, options);

    EXPECT_EQ(result.exitStatus, 0) << joined(result.err);
    EXPECT_NE(std::find(result.out.begin(), result.out.end(), "firma_a: aktualizována"), result.out.end())
        << joined(result.out);
    EXPECT_FALSE(fs::exists(marker)) << "the DLL the variables name was loaded";
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

// Skips the test unless Wine, started in the Czech locale, reports code page 1250, and,
// with `localeNeeded`, unless the machine has the locale (Wine's console writes to the
// terminal in the locale's character set).
#define REQUIRE_CZECH_SYSTEM(localeNeeded)                                                            \
    do {                                                                                              \
        if ((localeNeeded) && !czechLocale())                                                         \
            GTEST_SKIP() << kCzechLocale << " is missing and could not be made: "                     \
                         << "scripts/lib/czech-locale makes it as root";                              \
        if (!czechCodePage())                                                                         \
            GTEST_SKIP() << "Wine under LC_ALL=" << kCzechLocale << " does not report GetACP() 1250"; \
    } while (false)

// Makes the locale where it is missing; true when the machine has it.
bool czechLocale()
{
    static const bool available = runChild(CZECH_LOCALE_SCRIPT, {}).exitStatus == 0;
    return available;
}

bool czechCodePage()
{
    czechLocale();
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
        REQUIRE_CZECH_SYSTEM(false);
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
    REQUIRE_CZECH_SYSTEM(true);
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

// The report as the console's screen shows it once the run is over: the progress line
// was erased each time without a trace (no escape sequence shown as text, no tail of the
// progress text after a shorter line), and the console's mode is as it was.
TEST_F(WindowsLibrarySearch, ConsoleScreenHoldsTheReportWithoutTraceOfTheProgressLine)
{
    std::vector<std::string> expected;
    for (int i = 1; i <= 24; ++i) {
        const std::string name = "t" + std::to_string(i);
        createTenant(admin, name, CalendarTable::WithKey);
        expected.push_back(name + ": aktualizována");
    }
    const fs::path folder = freshFolder("console-screen");
    ChildOptions options;
    options.workingDirectory = fs::path(kCliProgram).parent_path().string();
    // A pseudo-terminal, so that Wine gives the programs a real console.
    const std::string shell = std::string(WINE_RUN) + " console_screen.exe '" + windowsPath(folder / "screen.txt") +
                              "' calendar-import-cli.exe --host 127.0.0.1";
    const ChildResult child = runChild("/usr/bin/script", {"-qec", shell, "/dev/null"}, options);
    ASSERT_EQ(child.exitStatus, 0) << child.out;

    std::ifstream file(folder / "screen.txt", std::ios::binary);
    const std::vector<std::string> rows = linesOf(std::string(std::istreambuf_iterator<char>(file), {}));
    ASSERT_FALSE(rows.empty());
    std::istringstream modes(rows.front());
    std::string word, before, after;
    modes >> word >> before >> after;
    ASSERT_EQ(word, "mode") << rows.front();
    EXPECT_EQ(after, before) << "the console's mode was not given back";
    const std::string screen = joined(rows);
    for (const std::string& row : rows) {
        SCOPED_TRACE(row);
        EXPECT_EQ(row.find('\x1b'), std::string::npos);
        EXPECT_EQ(row.find("[K"), std::string::npos);
        EXPECT_EQ(row.find("Zpracováno"), std::string::npos) << "the progress line was left on the screen";
    }
    for (const std::string& line : expected)
        EXPECT_NE(std::find(rows.begin(), rows.end(), line), rows.end()) << line << " is not a row of its own:\n"
                                                                          << screen;
}

// What Windows itself reads from each program's file: the version information, the
// icon and the manifest.
TEST(WindowsResources, BothProgramsCarryTheVersionTheIconAndTheManifest)
{
    const std::string version = PROJECT_VERSION_TEXT;
    for (const std::string program : {"calendar-import.exe", "calendar-import-cli.exe"}) {
        SCOPED_TRACE(program);
        const fs::path file = fs::path(kCliProgram).parent_path() / program;
        const Result result = runUnderWine(kProbe, {"resources", windowsPath(file)});
        ASSERT_EQ(result.exitStatus, 0) << joined(result.err);
        const auto manifestStart = std::find(result.out.begin(), result.out.end(), "manifest");
        const std::vector<std::string> facts(result.out.begin(), manifestStart);
        ASSERT_NE(manifestStart, result.out.end()) << "no manifest";
        const std::string manifest = joined(std::vector<std::string>(std::next(manifestStart), result.out.end()));

        EXPECT_EQ(facts, (std::vector<std::string>{"FixedFileVersion " + version + ".0", "FileVersion " + version,
                                                   "ProductVersion " + version, "ProductName Calendar Import",
                                                   "OriginalFilename " + program,
                                                   "icon sizes 16 20 24 32 40 48 64 256"}));
        for (const std::string& expected :
             std::vector<std::string>{std::string("level=\"asInvoker\""), "version=\"" + version + ".0\"",
              "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
              "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
              ">false</dpiAware>"})
            EXPECT_NE(manifest.find(expected), std::string::npos) << expected << " is not in\n" << manifest;
        EXPECT_EQ(manifest.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos)
            << "the controls are to stay version 5";
    }
}

// The icon is the project's SVG picture: in its 48-pixel image (the SVG's own size) the
// header is the SVG's blue, the marked day its orange, and the corner transparent.
TEST(WindowsResources, TheIconIsDrawnFromTheProjectsSvg)
{
    std::ifstream in(WINDOWS_BUILD_DIR "/generated/windows/calendar-import.ico", std::ios::binary);
    const std::string ico((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(ico.size(), 6u);
    const auto u16 = [&](std::size_t at) { return std::uint32_t(std::uint8_t(ico[at])) | std::uint8_t(ico[at + 1]) << 8; };
    const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    std::size_t image = 0;
    for (std::size_t i = 0; i < u16(4); ++i) {
        if (std::uint8_t(ico[6 + 16 * i]) == 48)
            image = u32(6 + 16 * i + 12);
    }
    ASSERT_NE(image, 0u) << "no 48-pixel image";
    ASSERT_EQ(u32(image), 40u) << "a bitmap with its header";
    ASSERT_EQ(u16(image + 14), 32u) << "32 bits a pixel";
    // Rows bottom up, B G R A.
    const auto pixel = [&](int x, int y) {
        const std::size_t at = image + 40 + (std::size_t(47 - y) * 48 + std::size_t(x)) * 4;
        std::array<int, 4> rgba{std::uint8_t(ico[at + 2]), std::uint8_t(ico[at + 1]), std::uint8_t(ico[at]),
                                std::uint8_t(ico[at + 3])};
        return rgba;
    };
    const auto near = [](std::array<int, 4> actual, std::array<int, 4> expected) {
        for (int i = 0; i < 4; ++i) {
            if (std::abs(actual[i] - expected[i]) > 8)
                return ::testing::AssertionFailure() << "component " << i << " is " << actual[i] << ", not about "
                                                     << expected[i];
        }
        return ::testing::AssertionSuccess();
    };
    EXPECT_TRUE(near(pixel(24, 14), {0x2a, 0x6f, 0xb0, 255})) << "the header";
    EXPECT_TRUE(near(pixel(27, 31), {0xe8, 0xa3, 0x3c, 255})) << "the marked day";
    EXPECT_EQ(pixel(1, 1)[3], 0) << "the corner";
}

}  // namespace
