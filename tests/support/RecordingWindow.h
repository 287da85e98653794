// A stand-in for the window that records, in order, what the run asks of it.
#pragma once

#include "update/CalendarUpdate.h"

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

class RecordingWindow : public update::RunWindow {
public:
    explicit RecordingWindow(std::string serverField) : serverField(std::move(serverField)) {}

    std::string serverFieldText() const override { return serverField; }
    void setStartCaption(std::string_view caption) override
    {
        caption_ = caption;
        events.push_back("caption " + std::string(caption));
    }
    void showNotice(std::string_view text, std::string_view caption) override
    {
        events.push_back("notice " + std::string(caption) + ": " + std::string(text));
    }
    void requestEnd() override { events.push_back("end"); }
    void databaseUpdated(std::string_view name) override
    {
        updated.emplace_back(name);
        if (afterUpdate)
            afterUpdate(name);
    }
    void databaseSkipped(std::string_view name, std::string_view) override { skipped.emplace_back(name); }

    const std::string& startCaption() const { return caption_; }

    std::string serverField;
    std::vector<std::string> events;
    std::vector<std::string> updated;
    std::vector<std::string> skipped;
    // Runs after each database that took its rows, e.g. to break the session mid-run.
    std::function<void(std::string_view)> afterUpdate;

private:
    std::string caption_ = "SPUSTIT >>>";
};

}  // namespace testing_support
