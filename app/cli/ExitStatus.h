// The console program's exit statuses, for scripts and cron: one table that the code's
// constants, --help, the manual page and the order over several servers are made from.
#pragma once

#include <algorithm>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct ExitStatusRow {
    // How the code names it (exitStatusNamed).
    std::string_view name;
    int number;
    // Among the outcomes of servers' runs, the heavier one is the program's status when
    // several servers end differently. 0: a status of the program as a whole, which
    // outweighs every server's outcome (a stop signal) or ends it before any run.
    int weight;
    // How --help and the manual page write the number, when not as it stands.
    std::string_view shown;
    // What it means: in Czech for --help, in English for the manual page (in the
    // markup of the option table's texts, OptionTable.h).
    std::string_view czech;
    std::string_view english;
};

// In the order --help and the manual page give them. The numbers from 64 on are those
// of sysexits.h for the same kind of failure.
inline constexpr ExitStatusRow kExitStatuses[] = {
    {"completed", 0, 1, {},
     "běh doběhl a něco zapsal nebo kalendář už v databázích byl (i s přeskočenými)",
     "The run went through the whole list of databases and wrote rows, or found them there already; skipped "
     "databases included. Also after `--help` and `--version`."},
    {"no-connection", 1, 5, {},
     "nepodařilo se připojit",
     "The connection to the server failed."},
    {"run-broken", 2, 6, {},
     "seznam databází nešel načíst nebo se spojení přerušilo",
     "The list of databases could not be read, or the connection was lost during the run."},
    {"nothing-written", 3, 3, {},
     "nic nebylo zapsáno: všechny databáze příkaz odmítly",
     "Nothing was written: every database refused the rows (an account without the right to insert), and none "
     "had them already, and no refusal could have left rows."},
    {"another-run", 4, 4, {},
     "server právě aktualizuje jiný běh programu, nic tam nebylo zapsáno",
     "Another run of the program holds the server's named lock `calendar-import` (it is updating the server now): "
     "nothing was written there."},
    {"not-writable", 5, 2, {},
     "server zápisy nepřijímá (replika, server jen pro čtení nebo uzel clusteru bez zápisů), nikdy se nezapisuje",
     "The server is a replica whose replication runs, is read-only, or is a Galera node that takes no writes: it is "
     "never written."},
    {"wrong-command-line", 64, 0, {},
     "chybný příkazový řádek",
     "The command line was wrong: an unknown argument, an option without its value, or a value out of range."},
    {"hosts-file-unreadable", 66, 0, {},
     "soubor se seznamem serverů nejde přečíst nebo v něm není žádná adresa",
     "The `--hosts-file` cannot be read or lists no address."},
    {"code-page-missing", 69, 0, {},
     "kódování Windows-1250 není v systému k dispozici",
     "The system cannot convert text to and from Windows-1250."},
    {"internal-error", 70, 0, {},
     "vnitřní chyba programu (vypíše jeden řádek s popisem)",
     "The program failed in itself: an error nothing else handled. It prints one line that says what failed, and no "
     "other outcome uses this status."},
    {"output-failed", 74, 0, {},
     "výstup nejde zapsat",
     "The report could not be written (a full disk, a closed pipe)."},
    {"configuration-unreadable", 78, 0, {},
     "konfigurační soubor existuje, ale nejde přečíst nebo v něm adresa serveru nemůže být (třeba s portem), nebo "
     "soubor z --config neexistuje",
     "The configuration file is there but cannot be read, or its address cannot be one (it names a port, say: the "
     "port is always {port}), or the file named with `--config` is not there."},
    {"by-signal", 128, 0, "130, 143",
     "běh přerušen signálem SIGINT, SIGTERM (128 + číslo signálu; souhrn se vypíše)",
     "The run was stopped by SIGINT or SIGTERM (128 plus the signal's number; on Windows, Ctrl+C or Ctrl+Break give "
     "130): it ended after the statements under way, printed the summary, and left the rest not reached. A second "
     "signal ends the program at once."},
};

// The number of the row named `name`; a name not in the table does not compile.
consteval int exitStatusNamed(std::string_view name)
{
    for (const ExitStatusRow& row : kExitStatuses) {
        if (row.name == name)
            return row.number;
    }
    throw std::logic_error("no such exit status");
}

inline constexpr int kExitCompleted = exitStatusNamed("completed");
inline constexpr int kExitNoConnection = exitStatusNamed("no-connection");
inline constexpr int kExitRunBroken = exitStatusNamed("run-broken");
inline constexpr int kExitNothingWritten = exitStatusNamed("nothing-written");
inline constexpr int kExitAnotherRun = exitStatusNamed("another-run");
inline constexpr int kExitNotWritable = exitStatusNamed("not-writable");
inline constexpr int kExitWrongCommandLine = exitStatusNamed("wrong-command-line");
inline constexpr int kExitHostsFileUnreadable = exitStatusNamed("hosts-file-unreadable");
inline constexpr int kExitCodePageMissing = exitStatusNamed("code-page-missing");
inline constexpr int kExitInternalError = exitStatusNamed("internal-error");
inline constexpr int kExitOutputFailed = exitStatusNamed("output-failed");
inline constexpr int kExitConfigurationUnreadable = exitStatusNamed("configuration-unreadable");
// Plus the signal's number, as a shell reports a program it killed.
inline constexpr int kExitBySignal = exitStatusNamed("by-signal");

// A status's weight over several servers; one outside the servers' outcomes (a signal's
// 128 + n) outweighs them all.
constexpr int weightOfStatus(int status)
{
    const auto row = std::find_if(std::begin(kExitStatuses), std::end(kExitStatuses),
                                  [&](const ExitStatusRow& candidate) { return candidate.number == status; });
    if (row == std::end(kExitStatuses) || row->weight == 0)
        return std::numeric_limits<int>::max();
    return row->weight;
}

// The worse of two servers' statuses: a broken run leaves databases whose outcome is not
// known, so it weighs more than a server not reached at all, which weighs more than one
// that another run is updating (it gets its rows, only not from this run), which weighs
// more than one that refused everything. A server never written by design (a replica
// beside its primary) weighs least after a completed run: the others say whether its rows came.
constexpr int worseStatus(int a, int b)
{
    return weightOfStatus(b) > weightOfStatus(a) ? b : a;
}

// The statuses of servers' runs, heaviest first, as --help and the manual page give
// them: "2, 1, 4, 3, 5, 0".
inline std::string serverStatusOrder()
{
    std::vector<ExitStatusRow> rows;
    std::copy_if(std::begin(kExitStatuses), std::end(kExitStatuses), std::back_inserter(rows),
                 [](const ExitStatusRow& row) { return row.weight > 0; });
    std::sort(rows.begin(), rows.end(), [](const ExitStatusRow& a, const ExitStatusRow& b) { return a.weight > b.weight; });
    std::string order;
    for (const ExitStatusRow& row : rows)
        order += (order.empty() ? "" : ", ") + std::to_string(row.number);
    return order;
}

}  // namespace cli
