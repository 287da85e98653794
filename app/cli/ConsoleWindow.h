// The run's window on a terminal: each step of the run becomes a line of text.
#pragma once

#include "app/cli/ExitStatus.h"
#include "app/cli/TerminalText.h"
#include "update/CalendarUpdate.h"

#include <cstdio>
#include <string>

namespace cli {

// Database lines (and, in a trial run, the statements) go to `out`; notices, the
// connect failure, the summary and the progress line go to `err`.
class ConsoleWindow : public update::RunWindow {
public:
    struct Options {
        std::string host;  // Windows-1250
        bool trialRun = false;
        bool showProgress = false;
    };

    ConsoleWindow(Options options, TerminalText& terminal, std::FILE* out, std::FILE* err);

    std::string serverFieldText() const override { return options_.host; }
    void setStartCaption(std::string_view) override {}
    void showNotice(std::string_view text, std::string_view caption) override;
    void requestEnd() override { ended_ = true; }

    void connectFailed(std::string_view reason) override;
    void databaseUpdated(std::string_view name) override;
    void databaseSkipped(std::string_view name, std::string_view reason) override;
    bool approveStatement(std::string_view name, std::string_view statement) override;

    // The counts, once the run got past the connect.
    void printSummary();
    ExitStatus exitStatus() const;

private:
    void printReport(const QString& line);
    void printDiagnostic(const QString& line);
    void visited();
    void clearProgress();

    Options options_;
    TerminalText& terminal_;
    std::FILE* out_;
    std::FILE* err_;

    std::string lastNotice_;
    bool ended_ = false;
    bool progressShown_ = false;
    // Every database the run reached, whatever became of it.
    int visitedCount() const { return updated_ + skipped_ + keptBack_; }

    int updated_ = 0;
    int skipped_ = 0;
    int keptBack_ = 0;
};

}  // namespace cli
