// The one place that keeps a run's counts and tells its observer, under one lock, so that
// sessions in other threads report one database at a time.
#pragma once

#include "update/RunOutcome.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>

namespace update {

class RunTally {
public:
    explicit RunTally(RunObserver& observer) : observer_(observer) {}
    RunTally(const RunTally&) = delete;
    RunTally& operator=(const RunTally&) = delete;

    void listRead(std::size_t count);
    // Which tables keep rows without transactions is asked only once a refusal by a row
    // needs it, by the one session that takes the question: true for the first caller
    // while nobody has told it, false after. That session then tells it below (unknown
    // when it cannot), and sessions whose refusals need it meanwhile wait in transactional().
    bool takeTheQuestion();
    // The most bytes the question's answer may take, from the list's names.
    void nonTransactionalAnswerAtMost(std::size_t bytes);
    std::size_t nonTransactionalAnswerBytes() const;
    // The databases whose calendar table keeps rows without transactions; none known:
    // every one may (nonTransactionalUnknown). Told once: what comes after is ignored.
    void nonTransactional(std::set<std::string> names);
    void nonTransactionalUnknown();
    // Whether a refusal by a row of `name`'s table leaves none of the statement's rows;
    // waits until the session that took the question has told it.
    bool transactional(const std::string& name) const;
    // Counts the database's outcome, then tells the observer.
    void database(const DatabaseResult& result);
    // A session was lost with `inFlight` written and not answered: each is unknown. The
    // run's failure stays the first lost session's; a later loss only adds its databases.
    void sessionLost(const std::deque<std::string>& inFlight, const Failure& why);
    void sessionNotOpened(const Failure& why);
    // Whether a session was lost.
    bool lost() const;
    // The node that went on with the run after a session was lost (RunOutcome::takenOverBy).
    void takenOverBy(std::string address);

    // The run's outcome once every session has ended: lost when a session was, else
    // interrupted when the stop left names undone, else completed.
    RunOutcome outcome(bool interrupted) const;

private:
    mutable std::mutex lock_;
    RunObserver& observer_;
    RunOutcome outcome_;
    bool lost_ = false;
    mutable std::condition_variable enginesTold_;
    bool questionTaken_ = false;
    std::size_t nonTransactionalAnswerBytes_ = 0;
    bool enginesKnown_ = false;
    bool enginesUnknown_ = false;
    std::set<std::string> nonTransactional_;
};

}  // namespace update
