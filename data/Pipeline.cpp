// The window of statements in flight over one session.
#include "data/Pipeline.h"

#include "data/Connection.h"

#include <algorithm>

namespace data {

namespace {

// Longest answers' worth of the receive buffer that `bytes` of answer may take.
std::size_t roomFor(std::size_t bytes)
{
    return std::max<std::size_t>(1, (bytes + kLongestAnswerBytes - 1) / kLongestAnswerBytes);
}

// One session's window: the statements and the question under way, counted in longest
// answers' worth of the receive buffer.
class Window {
public:
    Window(Connection& connection, std::size_t depth, PipelineFeed& feed)
        : connection_(connection),
          most_(connection.mostStatementsInFlight()),
          depth_(std::clamp<std::size_t>(depth, 1, most_)),
          feed_(feed)
    {
    }

    void run()
    {
        // Answers an earlier statement left waiting are not this feed's.
        connection_.dropWaitingAnswers();
        while (true) {
            if (!wanted_ && !asked_)
                wanted_ = feed_.question();
            if (wanted_)
                writeQuestionWhenItFits();
            if (!wanted_)
                fill();
            if (connection_.answersWaiting() == 0)
                return;
            readNext();
        }
    }

private:
    // The question's answer takes its own place and the rest of its room.
    std::size_t underWay() const
    {
        return connection_.answersWaiting() + (asked_ ? roomFor(asked_->mostBytes) - 1 : 0);
    }

    void writeQuestionWhenItFits()
    {
        const std::size_t room = roomFor(wanted_->mostBytes);
        // Alone on the session its answer cannot hold anything back, however long it is.
        if (connection_.answersWaiting() != 0 && underWay() + room > most_)
            return;
        answersBeforeQuestion_ = connection_.answersWaiting();
        connection_.write(wanted_->text);
        asked_ = std::move(wanted_);
        wanted_.reset();
    }

    void fill()
    {
        while (fed_ && connection_.answersWaiting() < depth_ && underWay() < most_) {
            std::optional<std::string> statement = feed_.nextStatement();
            fed_ = statement.has_value();
            if (fed_)
                connection_.write(*statement);
        }
    }

    void readNext()
    {
        if (asked_ && answersBeforeQuestion_ == 0) {
            const Question question = std::move(*asked_);
            asked_.reset();
            question.read();
            return;
        }
        const std::optional<DatabaseError> refusal = connection_.readAnswer();
        if (asked_)
            --answersBeforeQuestion_;
        feed_.answered(refusal ? &*refusal : nullptr);
    }

    Connection& connection_;
    const std::size_t most_;
    const std::size_t depth_;
    PipelineFeed& feed_;
    bool fed_ = true;
    // The question the feed wants written, and the one written whose answer is unread.
    std::optional<Question> wanted_;
    std::optional<Question> asked_;
    std::size_t answersBeforeQuestion_ = 0;
};

}  // namespace

void streamStatements(Connection& connection, std::size_t depth, PipelineFeed& feed)
{
    Window(connection, depth, feed).run();
}

}  // namespace data
