// The run as the console shows it: a line for each database, notices and a summary.
#pragma once

#include "app/cli/Terminal.h"
#include "update/CalendarUpdate.h"

#include <cstdio>
#include <string>

namespace cli {

// Database lines (and, in a trial run, the statements) go to `out`; notices, failures,
// the summary and the progress line go to `err`. Each line is written out at once, so
// the report holds every database done even when the program is stopped.
class ConsoleReport : public update::RunObserver {
public:
    ConsoleReport(const Terminal& terminal, std::FILE* out, std::FILE* err, bool showProgress);

    void listRead(std::size_t count) override;
    void databaseUpdated(std::string_view name) override;
    void databaseSkipped(std::string_view name, const update::Failure& why) override;
    void databaseListedAgain(std::string_view name) override;
    void databaseUnknown(std::string_view name, const update::Failure& why) override;
    void statementKeptBack(std::string_view name, std::string_view statement) override;

    void connectFailed(std::string_view host, const update::Failure& why);
    void listFailed(const update::Failure& why);
    void notice(std::string_view text, std::string_view caption);
    void summary(const update::RunOutcome& outcome, bool trialRun);

    // False when a line could not be written (a full disk, a closed pipe).
    bool allWritten() const noexcept { return allWritten_; }

private:
    std::string failureText(const update::Failure& why) const;
    void report(const std::string& line);
    void diagnostic(const std::string& line);
    void write(std::FILE* stream, const std::string& line);
    void visited();
    void clearProgress();

    const Terminal& terminal_;
    std::FILE* out_;
    std::FILE* err_;
    bool showProgress_;
    bool progressShown_ = false;
    bool allWritten_ = true;
    std::size_t listed_ = 0;
    std::size_t visited_ = 0;
};

}  // namespace cli
