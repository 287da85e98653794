// The streaming window over one session.
#include "update/SessionWorker.h"

#include "data/Connection.h"
#include "data/SqlText.h"
#include "update/CalendarStatement.h"
#include "update/CalendarUpdate.h"
#include "update/NameQueue.h"
#include "update/Refusals.h"
#include "update/RunTally.h"

#include <set>

namespace update {

SessionWorker::SessionWorker(data::Connection& session, std::size_t depth, NameQueue& queue, RunTally& tally)
    : session_(session), depth_(depth), queue_(queue), tally_(tally)
{
}

void SessionWorker::run() noexcept
{
    try {
        data::streamStatements(session_, depth_, *this);
        tellHeld();
    } catch (const data::Error& error) {
        lose(error.failure());
    } catch (const std::exception& error) {
        lose(programFailure(error));
    }
}

std::optional<std::string> SessionWorker::nextStatement()
{
    std::optional<std::string> name = queue_.take();
    if (!name)
        return std::nullopt;
    // In flight from here on: a statement that fails to leave may have left in part.
    inFlight_.push_back(std::move(*name));
    return data::firstStatement(calendarStatement(inFlight_.back()));
}

void SessionWorker::answered(const data::DatabaseError* refusal)
{
    std::string name = std::move(inFlight_.front());
    inFlight_.pop_front();
    // The first refusal by a row that finds the question unasked asks it; until its answer
    // is read, this session's answers are told in their order after it.
    if (held_.empty() && refusal && refusedByARow(*refusal) && tally_.takeTheQuestion()) {
        questionWanted_ = true;
        questionOpen_ = true;
    }
    if (questionOpen_ || !held_.empty()) {
        held_.push_back({std::move(name), refusal ? std::optional(*refusal) : std::nullopt});
        return;
    }
    tell(name, refusal);
}

std::optional<data::Question> SessionWorker::question()
{
    if (!questionWanted_)
        return std::nullopt;
    questionWanted_ = false;
    return data::Question{std::string(kNonTransactionalTables), tally_.nonTransactionalAnswerBytes(),
                          [this] { readQuestion(); }};
}

// Unknown when the server would not say; then every refusal by a row may have left rows.
// A lost session is thrown on: the statements behind the question are lost with it.
void SessionWorker::readQuestion()
{
    std::set<std::string> names;
    try {
        session_.sendQuery(kNonTransactionalTables);
        data::StoredResult rows = session_.storeResult();
        while (rows.fetchRow())
            names.insert(rows.firstColumn());
        tally_.nonTransactional(std::move(names));
    } catch (const data::DatabaseError& error) {
        tally_.nonTransactionalUnknown();
        if (error.sessionLost())
            throw;
    } catch (const data::Error&) {
        tally_.nonTransactionalUnknown();
    }
    questionOpen_ = false;
    tellHeld();
}

void SessionWorker::tell(const std::string& name, const data::DatabaseError* refusal)
{
    // Only a refusal by a row asks whether the table is transactional (and may wait for it).
    const bool transactional = !refusal || !refusedByARow(*refusal) || tally_.transactional(name);
    const std::optional<data::Failure> why = refusal ? std::optional(refusal->failure()) : std::nullopt;
    tally_.database({name, outcomeOfAnswer(refusal, transactional), why ? &*why : nullptr, {}});
}

void SessionWorker::tellHeld() noexcept
{
    if (questionOpen_) {
        questionOpen_ = false;
        tally_.nonTransactionalUnknown();
    }
    try {
        for (; !held_.empty(); held_.pop_front())
            tell(held_.front().name, held_.front().refusal ? &*held_.front().refusal : nullptr);
    } catch (...) {
        // Reporting failed; nothing more can be said of these databases.
        held_.clear();
    }
}

void SessionWorker::lose(const data::Failure& why) noexcept
{
    // Whatever is still written on it is not read: the session ends with its work.
    session_.disconnect();
    queue_.close();
    // Answered before the loss: told as they came, before the databases in flight.
    tellHeld();
    try {
        tally_.sessionLost(inFlight_, why);
    } catch (...) {
        // Reporting failed as well; nothing more can be said of these databases.
    }
    inFlight_.clear();
}

}  // namespace update
