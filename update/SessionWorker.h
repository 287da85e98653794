// One session's share of a run: names from the queue, their statements streamed over the
// session, each answer counted as it comes.
#pragma once

#include "data/DatabaseError.h"
#include "data/Pipeline.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace data {
class Connection;
}

namespace update {

class NameQueue;
class RunTally;

class SessionWorker final : private data::PipelineFeed {
public:
    // `depth`: statements kept unanswered at most (data::streamStatements).
    SessionWorker(data::Connection& session, std::size_t depth, NameQueue& queue, RunTally& tally);

    // Sends until the queue has no name for it. A lost session, or the program's own
    // failure, ends this session's work: the names in flight are unknown, and the queue
    // is closed so that no session takes a name after them. Nothing thrown leaves it.
    void run() noexcept;

private:
    // An answer read and not yet told, because it comes after a refusal by a row that
    // waits for the question which tables keep rows without transactions.
    struct HeldAnswer {
        std::string name;
        std::optional<data::DatabaseError> refusal;
    };

    // The stop is read before every write: a name is taken only right before its statement leaves.
    std::optional<std::string> nextStatement() override;
    void answered(const data::DatabaseError* refusal) override;
    std::optional<data::Question> question() override;
    void readQuestion();
    void tell(const std::string& name, const data::DatabaseError* refusal);
    // Tells the answers held back, in the order they came; unknown tables for them when the
    // question this session took was never answered.
    void tellHeld() noexcept;
    void lose(const data::Failure& why) noexcept;

    data::Connection& session_;
    const std::size_t depth_;
    NameQueue& queue_;
    RunTally& tally_;
    // The names whose statements were written and not yet answered, oldest first.
    std::deque<std::string> inFlight_;
    std::deque<HeldAnswer> held_;
    // This session took the question: it is to be written, or its answer is still unread.
    bool questionWanted_ = false;
    bool questionOpen_ = false;
};

}  // namespace update
