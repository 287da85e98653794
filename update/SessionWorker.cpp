// The streaming window over one session.
#include "update/SessionWorker.h"

#include "data/Connection.h"
#include "data/SqlText.h"
#include "update/CalendarStatement.h"
#include "update/NameQueue.h"
#include "update/Refusals.h"
#include "update/RunTally.h"

namespace update {

SessionWorker::SessionWorker(data::Connection& session, std::size_t depth, NameQueue& queue, RunTally& tally,
                             const data::EarlierAnswers* earlier)
    : session_(session), depth_(depth), queue_(queue), tally_(tally), earlier_(earlier)
{
}

void SessionWorker::run() noexcept
{
    try {
        data::streamStatements(session_, depth_, *this, earlier_);
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
    const std::string name = std::move(inFlight_.front());
    inFlight_.pop_front();
    const std::optional<data::Failure> why = refusal ? std::optional(refusal->failure()) : std::nullopt;
    tally_.database({name, outcomeOfAnswer(refusal, !refusal || tally_.transactional(name)), why ? &*why : nullptr, {}});
}

void SessionWorker::lose(const data::Failure& why) noexcept
{
    // Whatever is still written on it is not read: the session ends with its work.
    session_.disconnect();
    queue_.close();
    try {
        tally_.sessionLost(inFlight_, why);
    } catch (...) {
        // Reporting failed as well; nothing more can be said of these databases.
    }
    inFlight_.clear();
}

}  // namespace update
