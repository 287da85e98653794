// The steps of one calendar update run.
#include "update/CalendarUpdate.h"

#include "data/DatabaseError.h"
#include "data/uDM.h"
#include "update/CalendarStatement.h"
#include "update/SessionSettings.h"

#include <unordered_set>

namespace update {

namespace {

RunOutcome endedEarly(RunEnd end, Failure failure)
{
    RunOutcome outcome;
    outcome.end = end;
    outcome.failure = std::move(failure);
    return outcome;
}

bool sessionLost(const data::Error& error)
{
    const auto* fromServer = dynamic_cast<const data::DatabaseError*>(&error);
    return fromServer && fromServer->sessionLost();
}

// Walks qryTmp's list and keeps the counts.
class DatabaseWalk {
public:
    DatabaseWalk(TDM& dm, RunObserver& observer, const RunOptions& options)
        : dm_(dm), observer_(observer), options_(options)
    {
    }

    RunOutcome run()
    {
        if (Failure failure; !dm_.OpenQuery(dm_.qryTmp, std::string(kListDatabases), &failure))
            return endedEarly(RunEnd::ListUnreadable, std::move(failure));
        try {
            listDatabases();
        } catch (const data::Error& error) {
            return endedEarly(RunEnd::ListUnreadable, error.failure());
        }
        observer_.listRead(names_.size());
        outcome_.end = RunEnd::Completed;
        for (const std::string& name : names_) {
            if (!updateDatabase(name))
                break;
        }
        return outcome_;
    }

private:
    // The whole list is on the client already; walking it does not talk to the server.
    void listDatabases()
    {
        for (; !dm_.qryTmp.eof(); dm_.qryTmp.next())
            names_.push_back(dm_.qryTmp.firstColumnText());
        outcome_.listed = names_.size();
    }

    // False when the session is gone: every further statement would fail as well, and
    // the databases after this one would silently miss their rows.
    bool updateDatabase(const std::string& name)
    {
        // The server lists no name twice; a repeat is a name the session's code page
        // turned into another's, and its statement would reach the wrong database.
        if (!seen_.insert(name).second) {
            ++outcome_.listedAgain;
            observer_.databaseListedAgain(name);
            return true;
        }
        try {
            dm_.qryServer.setSql(calendarStatement(name));
            if (options_.trialRun) {
                ++outcome_.keptBack;
                observer_.statementKeptBack(name, dm_.qryServer.sql());
                return true;
            }
            dm_.qryServer.execSql();
        } catch (const data::Error& error) {
            return refused(name, error);
        }
        ++outcome_.updated;
        observer_.databaseUpdated(name);
        return true;
    }

    bool refused(const std::string& name, const data::Error& error)
    {
        const Failure failure = error.failure();
        if (sessionLost(error)) {
            outcome_.end = RunEnd::SessionLost;
            outcome_.unknown = name;
            outcome_.failure = failure;
            observer_.databaseUnknown(name, failure);
            return false;
        }
        ++outcome_.skipped;
        observer_.databaseSkipped(name, failure);
        return true;
    }

    TDM& dm_;
    RunObserver& observer_;
    const RunOptions& options_;
    RunOutcome outcome_;
    std::vector<std::string> names_;
    std::unordered_set<std::string> seen_;
};

}  // namespace

std::optional<Failure> connectToServer(TDM& dm, const std::string& hostName)
{
    if (dm.conMain.connected())
        return std::nullopt;
    assignSessionSettings(dm.conMain, hostName);
    try {
        dm.conMain.connect();
    } catch (const data::Error& error) {
        return error.failure();
    }
    return std::nullopt;
}

RunOutcome updateEveryDatabase(TDM& dm, RunObserver& observer, const RunOptions& options)
{
    if (!dm.conMain.connected())
        return endedEarly(RunEnd::NoConnection, Failure{std::nullopt, "No session is open"});
    return DatabaseWalk(dm, observer, options).run();
}

RunOutcome runCalendarUpdate(TDM& dm, const std::string& hostName, RunObserver& observer, const RunOptions& options)
{
    if (std::optional<Failure> failure = connectToServer(dm, hostName))
        return endedEarly(RunEnd::NoConnection, std::move(*failure));
    return updateEveryDatabase(dm, observer, options);
}

}  // namespace update
