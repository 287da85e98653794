// The window of statements in flight over one session.
#include "data/Pipeline.h"

#include "data/Connection.h"

#include <algorithm>

namespace data {

void streamStatements(Connection& connection, std::size_t depth, PipelineFeed& feed)
{
    const std::size_t window = std::clamp<std::size_t>(depth, 1, connection.mostStatementsInFlight());
    // Answers an earlier statement left waiting are not this feed's.
    connection.dropWaitingAnswers();
    bool fed = true;
    while (true) {
        while (fed && connection.answersWaiting() < window) {
            std::optional<std::string> statement = feed.nextStatement();
            fed = statement.has_value();
            if (fed)
                connection.write(*statement);
        }
        if (connection.answersWaiting() == 0)
            return;
        const std::optional<DatabaseError> refusal = connection.readAnswer();
        feed.answered(refusal ? &*refusal : nullptr);
    }
}

}  // namespace data
