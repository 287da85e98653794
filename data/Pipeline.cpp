// The window of statements in flight over one session.
#include "data/Pipeline.h"

#include "data/Connection.h"

#include <algorithm>

namespace data {

namespace {

// Writes the feed's statements while fewer than `window` are unanswered; false once the
// feed has ended.
bool fill(Connection& connection, std::size_t window, PipelineFeed& feed)
{
    while (connection.answersWaiting() < window) {
        std::optional<std::string> statement = feed.nextStatement();
        if (!statement)
            return false;
        connection.write(*statement);
    }
    return true;
}

// Statements that fit in the receive buffer beside `bytes` of answers already due.
std::size_t statementsBeside(const Connection& connection, std::size_t bytes)
{
    const std::size_t taken = (bytes + kLongestAnswerBytes - 1) / kLongestAnswerBytes;
    const std::size_t most = connection.mostStatementsInFlight();
    return taken < most ? most - taken : 0;
}

}  // namespace

void streamStatements(Connection& connection, std::size_t depth, PipelineFeed& feed, const EarlierAnswers* earlier)
{
    const std::size_t window = std::clamp<std::size_t>(depth, 1, connection.mostStatementsInFlight());
    bool fed = true;
    if (earlier && earlier->take) {
        const std::size_t before = connection.answersWaiting();
        // None waiting: they were dropped, and whatever `take` sends goes first.
        const std::size_t ahead =
            before == 0 ? 0 : std::min(window, statementsBeside(connection, earlier->mostBytes));
        if (ahead > 0)
            fed = fill(connection, before + ahead, feed);
        const std::size_t written = connection.answersWaiting() - before;
        earlier->take();
        // What is waiting now must be the feed's own, or answers would be paired wrongly.
        if (!connection.connected() || connection.answersWaiting() != written)
            throw ProgramError("Odpovědi na úvodní příkazy nebyly přečteny");
    } else {
        // Answers an earlier statement left waiting are not this feed's.
        connection.dropWaitingAnswers();
    }
    while (true) {
        if (fed)
            fed = fill(connection, window, feed);
        if (connection.answersWaiting() == 0)
            return;
        const std::optional<DatabaseError> refusal = connection.readAnswer();
        feed.answered(refusal ? &*refusal : nullptr);
    }
}

}  // namespace data
