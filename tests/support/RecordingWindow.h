// Stand-ins that record, in order, what the window's handlers and the run tell them.
#pragma once

#include "ui/MainWindowView.h"
#include "update/CalendarUpdate.h"

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// A window without a toolkit: the server field is a string, and captions, notices and
// the end request become events.
class RecordingWindow : public ui::MainWindowView {
public:
    explicit RecordingWindow(std::string serverField) : serverField(std::move(serverField)) {}

    std::string serverFieldText() const override { return serverField; }
    void setServerFieldText(std::string_view text) override { serverField = text; }
    void setStartCaption(std::string_view caption) override { events.push_back("caption " + std::string(caption)); }
    void showNotice(std::string_view text, std::string_view caption) override
    {
        events.push_back("notice " + std::string(caption) + ": " + std::string(text));
    }
    void requestEnd() override { events.push_back("end"); }

    std::string serverField;
    std::vector<std::string> events;
};

// Keeps the names the run reports, by what became of each.
class RecordingObserver : public update::RunObserver {
public:
    void database(const update::DatabaseResult& result) override
    {
        using update::DatabaseOutcome;
        std::vector<std::string>* names = nullptr;
        switch (result.outcome) {
        case DatabaseOutcome::Updated: names = &updated; break;
        case DatabaseOutcome::AlreadyThere: names = &alreadyThere; break;
        case DatabaseOutcome::Skipped: names = &skipped; break;
        case DatabaseOutcome::PossiblyPartlyWritten: names = &possiblyPartlyWritten; break;
        case DatabaseOutcome::ListedAgain: names = &listedAgain; break;
        case DatabaseOutcome::Unknown: names = &unknown; break;
        case DatabaseOutcome::NotReached: names = &notReached; break;
        case DatabaseOutcome::DryRun: names = &dryRun; break;
        }
        names->emplace_back(result.name);
        if (result.outcome == DatabaseOutcome::Updated && afterUpdate)
            afterUpdate(result.name);
    }
    void sessionNotOpened(const update::Failure& why) override { sessionsNotOpened.push_back(why.text); }

    std::vector<std::string> updated;
    std::vector<std::string> alreadyThere;
    std::vector<std::string> skipped;
    std::vector<std::string> possiblyPartlyWritten;
    std::vector<std::string> listedAgain;
    std::vector<std::string> unknown;
    std::vector<std::string> notReached;
    std::vector<std::string> dryRun;
    std::vector<std::string> sessionsNotOpened;
    // Runs after each database that took its rows, e.g. to break the session mid-run.
    std::function<void(std::string_view)> afterUpdate;
};

}  // namespace testing_support
