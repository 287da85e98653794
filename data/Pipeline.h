// Statements streamed over one session: written ahead of their answers, each still a
// query of its own with its own answer.
#pragma once

#include "data/DatabaseError.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace data {

class Connection;

// Statements written ahead of their answers. The server writes each answer as it goes;
// answers left unread wait in the sockets' buffers, and were those full, the server would
// stop reading while the program still wrote, and neither would go on. So a session keeps
// no more statements unanswered than its receive buffer holds of the longest answer to a
// statement without rows: an error (header, marker, number, state and at most 512 bytes
// of text).
inline constexpr std::size_t kLongestAnswerBytes = 4 + 1 + 2 + 6 + 512;
// The most a session ever keeps unanswered (and the most `--batch` takes); a TCP session
// asks the system for a receive buffer that holds this many (Connection).
inline constexpr std::size_t kMostStatementsInFlight = 1000;
// Where the system does not tell (a local socket, a pipe), the 64 KiB that a connection's
// receive buffer holds by default on the systems the program runs on (Linux 128 KiB,
// Windows 64 KiB) are counted on, before the server's own send buffer is.
inline constexpr std::size_t kStatementsInFlightUntold = 64 * 1024 / kLongestAnswerBytes;

// What a pipeline asks of the one who feeds it.
class PipelineFeed {
public:
    virtual ~PipelineFeed() = default;
    // The next statement to write (UTF-8, without rows to return), asked for right before
    // it would be written; none ends the feed, and it is not asked again.
    virtual std::optional<std::string> nextStatement() = 0;
    // The answer to the oldest statement not yet answered, in the order written: none
    // when it went through, the server's refusal otherwise.
    virtual void answered(const DatabaseError* refusal) = 0;
};

// Answers still waiting for statements written before the feed's own (a session's opening
// flight), which the one who wrote them reads rather than the pipeline dropping them.
struct EarlierAnswers {
    // The most bytes those answers may take, rows and all.
    std::size_t mostBytes = 0;
    // Reads every one of them (Connection::sendQuery of each text, in the order written).
    std::function<void()> take;
};

// Streams `feed`'s statements over `connection`'s open session, keeping up to `depth`
// (at least 1, at most the connection's mostStatementsInFlight()) unanswered: a place
// freed by an answer is filled with the next statement before the following answer is
// read. Returns when the feed has ended and every statement has its answer; a refusal
// stops nothing. Throws DatabaseError when the session is lost (the connection is then
// closed): the statements written and not answered may or may not have run, none after
// them was written. Whatever the feed or `earlier` throws leaves as it is.
// Answers waiting from before are dropped unread, unless `earlier` takes them: then the
// first statements are written behind them, as many as the receive buffer holds beside
// their most bytes, before they are taken, so that the server has the statements as
// soon as it has answered them.
void streamStatements(Connection& connection, std::size_t depth, PipelineFeed& feed,
                      const EarlierAnswers* earlier = nullptr);

}  // namespace data
