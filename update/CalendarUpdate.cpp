// The steps of one calendar update run.
#include "update/CalendarUpdate.h"

#include "data/DatabaseError.h"
#include "data/SqlText.h"
#include "data/uDM.h"
#include "update/CalendarStatement.h"
#include "update/SessionSettings.h"

#include <exception>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace update {

namespace {

// The server's number for a duplicate key: the rows are in the database already.
constexpr unsigned kDuplicateEntry = 1062;

RunOutcome endedEarly(RunEnd end, Failure failure)
{
    RunOutcome outcome;
    outcome.end = end;
    outcome.failure = std::move(failure);
    return outcome;
}

std::size_t atLeastOne(std::size_t value)
{
    return value == 0 ? 1 : value;
}

// Reads qryTmp's list once, then hands its databases out to one or more sessions, a
// batch at a time in list order, and keeps the counts. Every count and every call of the
// observer is made under one lock, so that sessions in other threads report one database
// at a time.
class DatabaseWalk {
public:
    DatabaseWalk(TDM& dm, RunObserver& observer, const RunOptions& options)
        : dm_(dm), observer_(observer), options_(options), batchSize_(atLeastOne(options.batchSize))
    {
    }

    RunOutcome run()
    {
        if (options_.identifyServer) {
            // Learning who the server is counts as part of reading its list.
            try {
                identity_ = dm_.conMain.serverIdentity();
            } catch (const data::Error& error) {
                return endedEarly(RunEnd::ListUnreadable, error.failure());
            }
            if (options_.claimServer) {
                if (std::optional<std::string> earlier = options_.claimServer(identity_)) {
                    RunOutcome outcome;
                    outcome.end = RunEnd::SameServer;
                    outcome.sameServerAs = std::move(*earlier);
                    return outcome;
                }
            }
            // With TLS the certificate names the host, not its address: those sessions
            // connect by name and rely on the identity alone.
            if (!dm_.conMain.RequireTls)
                firstAddress_ = dm_.conMain.peerAddress();
        }
        if (Failure failure; !dm_.OpenQuery(dm_.qryTmp, std::string(kListDatabases), &failure))
            return endedEarly(RunEnd::ListUnreadable, std::move(failure));
        try {
            listDatabases();
        } catch (const data::Error& error) {
            return endedEarly(RunEnd::ListUnreadable, error.failure());
        }
        observer_.listRead(names_.size());
        outcome_.end = RunEnd::Completed;

        // Every thread started is joined, whatever happens after it started.
        std::vector<std::jthread> further;
        for (std::size_t i = 1; i < options_.sessions && !options_.trialRun; ++i) {
            try {
                further.emplace_back([this] { workInFurtherSession(); });
            } catch (const std::exception& error) {
                // No thread for this session: the others do its share.
                const std::lock_guard<std::mutex> guard(lock_);
                observer_.sessionNotOpened(programFailure(error));
            }
        }
        work(dm_);
        further.clear();

        for (std::size_t i = next_; i < names_.size(); ++i)
            observer_.databaseNotReached(names_[i]);
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

    // Nothing thrown leaves a session's thread: what the session could not do is
    // reported as the server's failure.
    void workInFurtherSession() noexcept
    {
        std::optional<Failure> notOpened;
        try {
            TDM session;
            session.conMain.copySettingsFrom(dm_.conMain);
            if (!firstAddress_.empty())
                session.conMain.HostName = firstAddress_;
            try {
                session.conMain.connect();
                if (options_.identifyServer) {
                    const std::string identity = session.conMain.serverIdentity();
                    if (identity != identity_) {
                        session.conMain.disconnect();
                        notOpened = Failure{std::nullopt, "spojení vedlo k jinému serveru (" + identity + ")"};
                    }
                }
            } catch (const data::Error& error) {
                notOpened = error.failure();
            }
            if (!notOpened) {
                work(session);
                return;
            }
        } catch (const std::exception& error) {
            notOpened = programFailure(error);
        }
        try {
            const std::lock_guard<std::mutex> guard(lock_);
            observer_.sessionNotOpened(*notOpened);
        } catch (...) {
            // Reporting failed as well; the run's counts still hold.
        }
    }

    // Sends batches over `session` until the list is done, a session is lost or the
    // run is stopped.
    void work(TDM& session) noexcept
    {
        std::vector<std::string> batch;
        try {
            workOn(session, batch);
        } catch (const std::exception& error) {
            // Whatever the session had taken and not reported may or may not have run.
            try {
                const std::lock_guard<std::mutex> guard(lock_);
                lost(batch, programFailure(error));
            } catch (...) {
            }
        }
    }

    void workOn(TDM& session, std::vector<std::string>& batch)
    {
        while (true) {
            {
                const std::lock_guard<std::mutex> guard(lock_);
                // Once a session is lost, none takes another name: the list after the
                // databases in flight stays untouched.
                if (outcome_.end == RunEnd::SessionLost || stopRequested(batch)) {
                    if (outcome_.end == RunEnd::Completed)
                        outcome_.end = RunEnd::Interrupted;
                    notReached(batch);
                    return;
                }
                takeNames(batch);
            }
            if (batch.empty())
                return;
            if (!send(session, batch))
                return;
        }
    }

    // Only a stop that leaves work undone ends the run as interrupted.
    bool stopRequested(const std::vector<std::string>& batch) const
    {
        return options_.stop && options_.stop->load() && (!batch.empty() || next_ < names_.size());
    }

    // Fills `batch` up from the list; a name the list held before is reported, not taken.
    void takeNames(std::vector<std::string>& batch)
    {
        while (batch.size() < batchSize_ && next_ < names_.size()) {
            const std::string& name = names_[next_++];
            // The server lists no name twice; a repeat is a name the session's code page
            // turned into another's, and its statement would reach the wrong database.
            if (!seen_.insert(name).second) {
                ++outcome_.listedAgain;
                observer_.databaseListedAgain(name);
                continue;
            }
            batch.push_back(name);
        }
    }

    // Sends `batch` as one pipeline (the window's run: a pipeline of one) and reports what
    // it did, each name taken out of it once reported. False when the session is gone:
    // every further statement on it would fail as well.
    bool send(TDM& session, std::vector<std::string>& batch)
    {
        if (options_.trialRun)
            return keepBack(session, batch);
        std::vector<std::string> statements;
        for (const std::string& name : batch)
            statements.push_back(data::firstStatement(calendarStatement(name)));
        data::PipelineResult result;
        try {
            result = session.conMain.executePipeline(statements);
        } catch (const data::Error& error) {
            // The program's own failure before anything was sent: no statement ran.
            const std::lock_guard<std::mutex> guard(lock_);
            for (const std::string& name : batch)
                skipped(name, error.failure());
            batch.clear();
            return true;
        }

        const std::lock_guard<std::mutex> guard(lock_);
        for (const std::shared_ptr<const data::DatabaseError>& refusal : result.answers) {
            if (refusal)
                skipped(batch.front(), refusal->failure());
            else
                updated(batch.front());
            batch.erase(batch.begin());
        }
        if (!result.lost)
            return true;
        // Those written and not answered may have run; those never written have not.
        std::vector<std::string> unsent(batch.begin() + static_cast<std::ptrdiff_t>(result.inFlight), batch.end());
        batch.resize(result.inFlight);
        lost(batch, result.lost->failure());
        notReached(unsent);
        return false;
    }

    bool keepBack(TDM& session, std::vector<std::string>& batch)
    {
        const std::lock_guard<std::mutex> guard(lock_);
        for (const std::string& name : batch) {
            session.qryServer.setSql(calendarStatement(name));
            ++outcome_.keptBack;
            observer_.statementKeptBack(name, session.qryServer.sql());
        }
        batch.clear();
        return true;
    }

    void updated(const std::string& name)
    {
        ++outcome_.updated;
        observer_.databaseUpdated(name);
    }

    void skipped(const std::string& name, const Failure& why)
    {
        ++outcome_.skipped;
        if (why.number == kDuplicateEntry)
            ++outcome_.alreadyPresent;
        observer_.databaseSkipped(name, why);
    }

    // Names taken for sending that no statement will be sent for.
    void notReached(std::vector<std::string>& names)
    {
        for (const std::string& name : names)
            observer_.databaseNotReached(name);
        names.clear();
    }

    // The run's failure is the first session's loss; a later one only adds its databases.
    void lost(std::vector<std::string>& inFlight, const Failure& why)
    {
        if (outcome_.end != RunEnd::SessionLost) {
            outcome_.end = RunEnd::SessionLost;
            outcome_.failure = why;
        }
        while (!inFlight.empty()) {
            outcome_.unknown.push_back(inFlight.front());
            observer_.databaseUnknown(inFlight.front(), why);
            inFlight.erase(inFlight.begin());
        }
    }

    TDM& dm_;
    RunObserver& observer_;
    const RunOptions& options_;
    const std::size_t batchSize_;
    std::mutex lock_;
    RunOutcome outcome_;
    std::vector<std::string> names_;
    std::size_t next_ = 0;  // the first name no session has taken yet
    std::unordered_set<std::string> seen_;
    // With RunOptions::identifyServer: who the first session reached, and where.
    std::string identity_;
    std::string firstAddress_;
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

Failure programFailure(const std::exception& error)
{
    return Failure{std::nullopt, std::string("Program nemohl pokračovat: ") + error.what()};
}

RunOutcome failedInItself(const std::exception& error)
{
    return endedEarly(RunEnd::SessionLost, programFailure(error));
}

}  // namespace update
