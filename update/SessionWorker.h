// One session's share of a run: names from the queue, their statements streamed over the
// session, each answer counted as it comes.
#pragma once

#include "data/Pipeline.h"

#include <cstddef>
#include <deque>
#include <string>

namespace data {
class Connection;
}

namespace update {

class NameQueue;
class RunTally;

class SessionWorker final : private data::PipelineFeed {
public:
    // `depth`: statements kept unanswered at most; `earlier`, when given: answers still
    // waiting on the session that are read once its first statements have left
    // (data::streamStatements).
    SessionWorker(data::Connection& session, std::size_t depth, NameQueue& queue, RunTally& tally,
                  const data::EarlierAnswers* earlier = nullptr);

    // Sends until the queue has no name for it. A lost session, or the program's own
    // failure, ends this session's work: the names in flight are unknown, and the queue
    // is closed so that no session takes a name after them. Nothing thrown leaves it.
    void run() noexcept;

private:
    // The stop is read before every write: a name is taken only right before its statement leaves.
    std::optional<std::string> nextStatement() override;
    void answered(const data::DatabaseError* refusal) override;
    void lose(const data::Failure& why) noexcept;

    data::Connection& session_;
    const std::size_t depth_;
    NameQueue& queue_;
    RunTally& tally_;
    const data::EarlierAnswers* earlier_;
    // The names whose statements were written and not yet answered, oldest first.
    std::deque<std::string> inFlight_;
};

}  // namespace update
