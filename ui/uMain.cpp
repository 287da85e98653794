// The main window's handlers, the same for every toolkit.
#include "ui/uMain.h"

#include "data/uDM.h"
#include "update/CalendarUpdate.h"
#include "update/Configuration.h"
#include "update/Texts.h"

#include <optional>
#include <string>
#include <string_view>

namespace {

struct Notice {
    std::string_view text;
    std::string_view caption;
};

// The closing notice. A run cut short says so: "done" would hide databases left
// without their rows.
Notice closingNotice(update::RunEnd end)
{
    switch (end) {
    case update::RunEnd::ListUnreadable: return {update::kNoticeListUnreadable, update::kNoticeCaptionError};
    case update::RunEnd::SessionLost: return {update::kNoticeSessionLost, update::kNoticeCaptionError};
    case update::RunEnd::NoConnection: return {update::kNoticeConnectFailed, update::kNoticeCaptionError};
    case update::RunEnd::AnotherRun: return {update::kNoticeAnotherRun, update::kNoticeCaptionError};
    case update::RunEnd::Replica:
    case update::RunEnd::ReadOnly:
    case update::RunEnd::NodeNotWritable: return {update::kNoticeNotWritable, update::kNoticeCaptionError};
    case update::RunEnd::Completed:
    case update::RunEnd::Interrupted:  // the window never asks a run to stop
    case update::RunEnd::SameServer:   // nor runs more than one
    case update::RunEnd::SameCluster: break;
    }
    return {update::kNoticeDone, update::kNoticeCaptionOk};
}

std::string replaced(std::string_view text, std::string_view placeholder, std::string_view value)
{
    std::string out(text);
    if (const std::size_t at = out.find(placeholder); at != std::string::npos)
        out.replace(at, placeholder.size(), value);
    return out;
}

// Where the client library was looked for, so that the user can put it there.
std::string clientLibraryMissingNotice(const data::LibraryLookup& lookup)
{
    std::string names;
    for (const std::string& name : lookup.names)
        names += (names.empty() ? "" : std::string(update::kOr)) + name;
    const std::string where =
        lookup.folder.empty() ? replaced(update::kLibraryLookedForBySystem, "%2", names)
                              : replaced(replaced(update::kLibraryLookedForInFolder, "%1", lookup.folder), "%2", names);
    return std::string(update::kNoticeClientLibraryMissing) + "\n" + where;
}

// Why the start button's connect failed, as the user can act on it: a missing client
// library is not the network's fault.
std::string connectFailedNotice(const std::optional<data::Failure>& failure)
{
    if (failure && failure->missingLibrary)
        return clientLibraryMissingNotice(*failure->missingLibrary);
    return std::string(update::kNoticeConnectFailed);
}

}  // namespace

TfrmMain::TfrmMain(ui::MainWindowView& view, TDM& dataModule, std::filesystem::path configurationFile)
    : view_(view), DM(dataModule), configurationFile_(std::move(configurationFile))
{
}

void TfrmMain::FormShow()
{
    const update::ConfiguredServer configured = update::readConfiguredServer(configurationFile_);
    view_.setServerFieldText(configured.address);
    // A file that is there but cannot be read gave no address: the empty field shows
    // that, and nothing is sent anywhere until the user presses the start button.
    if (configured.unreadable)
        return;
    // Nothing is said when this connect fails: the window appears, and a press of the
    // start button reports a second failure.
    (void)update::connectToServer(DM, view_.serverFieldText(), runOptions_);
    if (DM.conMain.connected())
        BitBtn3Click();
}

void TfrmMain::BitBtn3Click()
{
    std::optional<data::Failure> failure;
    if (!DM.conMain.connected()) {
        view_.setStartCaption(update::kCaptionConnecting);
        failure = update::connectToServer(DM, view_.serverFieldText(), runOptions_);
    }
    if (!DM.conMain.connected()) {
        view_.showNotice(connectFailedNotice(failure), update::kNoticeCaptionError);
        view_.setStartCaption(update::kCaptionStart);
        return;
    }
    update::RunObserver nothingShown;
    const update::RunOutcome outcome = update::updateEveryDatabase(DM, nothingShown, runOptions_);
    const Notice notice = closingNotice(outcome.end);
    view_.showNotice(notice.text, notice.caption);
    view_.requestEnd();
}

void TfrmMain::BitBtn4Click()
{
    view_.requestEnd();
}
