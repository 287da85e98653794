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
    void databaseUpdated(std::string_view name) override
    {
        updated.emplace_back(name);
        if (afterUpdate)
            afterUpdate(name);
    }
    void databaseSkipped(std::string_view name, const update::Failure&) override { skipped.emplace_back(name); }
    void databaseListedAgain(std::string_view name) override { listedAgain.emplace_back(name); }
    void databaseUnknown(std::string_view name, const update::Failure&) override { unknown.emplace_back(name); }

    std::vector<std::string> updated;
    std::vector<std::string> skipped;
    std::vector<std::string> listedAgain;
    std::vector<std::string> unknown;
    // Runs after each database that took its rows, e.g. to break the session mid-run.
    std::function<void(std::string_view)> afterUpdate;
};

}  // namespace testing_support
