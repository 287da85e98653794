// Counting each database once and passing it on.
#include "update/RunTally.h"

namespace update {

void RunTally::listRead(std::size_t count)
{
    const std::lock_guard<std::mutex> guard(lock_);
    outcome_.listed = count;
    observer_.listRead(count);
}

bool RunTally::takeTheQuestion()
{
    const std::lock_guard<std::mutex> guard(lock_);
    if (questionTaken_ || enginesKnown_ || enginesUnknown_)
        return false;
    questionTaken_ = true;
    return true;
}

void RunTally::nonTransactionalAnswerAtMost(std::size_t bytes)
{
    const std::lock_guard<std::mutex> guard(lock_);
    nonTransactionalAnswerBytes_ = bytes;
}

std::size_t RunTally::nonTransactionalAnswerBytes() const
{
    const std::lock_guard<std::mutex> guard(lock_);
    return nonTransactionalAnswerBytes_;
}

void RunTally::nonTransactional(std::set<std::string> names)
{
    {
        const std::lock_guard<std::mutex> guard(lock_);
        if (enginesKnown_ || enginesUnknown_)
            return;
        nonTransactional_ = std::move(names);
        enginesKnown_ = true;
    }
    enginesTold_.notify_all();
}

void RunTally::nonTransactionalUnknown()
{
    {
        const std::lock_guard<std::mutex> guard(lock_);
        if (enginesKnown_ || enginesUnknown_)
            return;
        enginesUnknown_ = true;
    }
    enginesTold_.notify_all();
}

bool RunTally::transactional(const std::string& name) const
{
    std::unique_lock<std::mutex> guard(lock_);
    enginesTold_.wait(guard, [this] { return enginesKnown_ || enginesUnknown_; });
    return enginesKnown_ && nonTransactional_.count(name) == 0;
}

void RunTally::database(const DatabaseResult& result)
{
    const std::lock_guard<std::mutex> guard(lock_);
    ++outcome_.counts[static_cast<std::size_t>(result.outcome)];
    observer_.database(result);
}

void RunTally::sessionLost(const std::deque<std::string>& inFlight, const Failure& why)
{
    const std::lock_guard<std::mutex> guard(lock_);
    if (!lost_) {
        lost_ = true;
        outcome_.failure = why;
    }
    for (const std::string& name : inFlight) {
        ++outcome_.counts[static_cast<std::size_t>(DatabaseOutcome::Unknown)];
        observer_.database({name, DatabaseOutcome::Unknown, &why, {}});
    }
}

void RunTally::sessionNotOpened(const Failure& why)
{
    const std::lock_guard<std::mutex> guard(lock_);
    observer_.sessionNotOpened(why);
}

bool RunTally::lost() const
{
    const std::lock_guard<std::mutex> guard(lock_);
    return lost_;
}

void RunTally::takenOverBy(std::string address)
{
    const std::lock_guard<std::mutex> guard(lock_);
    outcome_.takenOverBy = std::move(address);
}

RunOutcome RunTally::outcome(bool interrupted) const
{
    const std::lock_guard<std::mutex> guard(lock_);
    RunOutcome outcome = outcome_;
    outcome.end = lost_ ? RunEnd::SessionLost : interrupted ? RunEnd::Interrupted : RunEnd::Completed;
    return outcome;
}

}  // namespace update
