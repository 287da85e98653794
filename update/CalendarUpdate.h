// The calendar update run: connect if needed, then write the 2008 calendar into every
// database the server lists, and end the program.
#pragma once

#include <string>
#include <string_view>

class TDM;

namespace update {

// What the run needs of the window. Texts are Windows-1250.
class RunWindow {
public:
    virtual ~RunWindow() = default;

    virtual std::string serverFieldText() const = 0;
    virtual void setStartCaption(std::string_view caption) = 0;
    // Returns when the user has dismissed the notice.
    virtual void showNotice(std::string_view text, std::string_view caption) = 0;
    // Takes effect once control is back in the event loop.
    virtual void requestEnd() = 0;

    // Reports of the run's steps. The window keeps them to itself; a console shows them.
    virtual void connectFailed(std::string_view /*reason*/) {}
    virtual void databaseUpdated(std::string_view /*name*/) {}
    virtual void databaseSkipped(std::string_view /*name*/, std::string_view /*reason*/) {}
    // Asked with each database's statement just before it is sent; false keeps it back
    // and the database counts as neither updated nor skipped. The window lets all go;
    // a console's trial run prints them instead.
    virtual bool approveStatement(std::string_view /*name*/, std::string_view /*statement*/) { return true; }
};

inline constexpr std::string_view kListDatabases = "SHOW DATABASES";

// Connects with the server field's text when no session is open; on failure shows the
// connect notice and returns with the program still running. Otherwise sends each
// listed database its calendar statement, passing over those that refuse it, shows
// the closing notice and requests the end of the program.
void runCalendarUpdate(TDM& dm, RunWindow& window);

}  // namespace update
