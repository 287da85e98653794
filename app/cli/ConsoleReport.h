// The run as the console shows it: a line for each database, failures and a summary, for
// a person and, with --format json, for a program.
#pragma once

#include "app/cli/CommandLine.h"
#include "app/cli/Terminal.h"
#include "update/CalendarUpdate.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace cli {

// The two streams every server's report writes to. One lock keeps the lines of servers
// that run at once whole, and one progress line counts the databases of all of them.
// Each line is written out at once, so the report holds every database done even when
// the program is stopped.
class ConsoleOutput {
public:
    ConsoleOutput(std::FILE* out, std::FILE* err, bool showProgress);

    void write(std::FILE* stream, const std::string& line);
    // A database line: written, then the progress line redrawn.
    void writeVisited(std::FILE* stream, const std::string& line);
    void listed(std::size_t count);
    void setTerminal(const Terminal& terminal) { terminal_ = &terminal; }

    std::FILE* out() const noexcept { return out_; }
    std::FILE* err() const noexcept { return err_; }
    // False when a line could not be written (a full disk, a closed pipe).
    bool allWritten() const;

private:
    void writeLocked(std::FILE* stream, const std::string& line);
    void clearProgress();

    std::FILE* out_;
    std::FILE* err_;
    bool showProgress_;
    const Terminal* terminal_ = nullptr;
    mutable std::mutex lock_;
    bool progressShown_ = false;
    bool allWritten_ = true;
    std::size_t listed_ = 0;
    std::size_t visited_ = 0;
};

// What became of one server, for its closing lines and the exit status.
struct ServerResult {
    update::RunOutcome outcome;
    bool trialRun = false;
    bool interrupted = false;

    // Went through the list yet wrote nothing, and no database had the rows before.
    bool nothingWritten() const;
};

// The report of one server. With several servers each human line starts with the server.
class ConsoleReport : public update::RunObserver {
public:
    ConsoleReport(const Terminal& terminal, ConsoleOutput& output, ReportFormat format, std::string server,
                  bool prefixLines);

    void listRead(std::size_t count) override;
    void databaseUpdated(std::string_view name) override;
    void databaseSkipped(std::string_view name, const update::Failure& why) override;
    void databaseListedAgain(std::string_view name) override;
    void databaseUnknown(std::string_view name, const update::Failure& why) override;
    void statementKeptBack(std::string_view name, std::string_view statement) override;
    void databaseNotReached(std::string_view name) override;
    void sessionNotOpened(const update::Failure& why) override;

    // The failure line, the closing notice and the summary.
    void finished(const ServerResult& result, int exitStatus);

private:
    std::string failureText(const update::Failure& why) const;
    void databaseLine(const std::string& line);
    void databaseJson(std::string_view name, std::string_view outcome, const update::Failure* why = nullptr,
                      std::string_view statement = {});
    void diagnostic(const std::string& utf8);
    void summaryJson(const ServerResult& result, int exitStatus);

    const Terminal& terminal_;
    ConsoleOutput& output_;
    const ReportFormat format_;
    const std::string server_;
    const std::string prefix_;
};

// The closing line over several servers, and the JSON object that closes every report.
void reportTotal(const Terminal& terminal, ConsoleOutput& output, ReportFormat format,
                 const std::vector<ServerResult>& results, int exitStatus);

// Before the run, when the server's address comes from the configuration file: the file
// read (on Windows perhaps the per-user copy of UAC's virtualisation), whether it was
// there, and the address it gave.
void reportConfigurationFile(const Terminal& terminal, ConsoleOutput& output, ReportFormat format,
                             const std::string& file, bool fileExists, const std::string& server);

// `number` with its thousands set apart by a space, as Czech writes them: "1 234".
std::string groupedDigits(std::size_t number);

}  // namespace cli
