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

// A statement with rows that a feed asks between its own: written in their order, its
// answer read once every statement before it has its answer.
struct Question {
    // UTF-8.
    std::string text;
    // The most bytes its answer may take, rows and all: that much of the receive buffer is
    // kept for it while it is unread.
    std::size_t mostBytes = 0;
    // Reads its answer (Connection::sendQuery of the same text, then storeResult).
    std::function<void()> read;
};

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
    // A question to write before any further statement, asked for before every statement
    // and after every answer while none is under way; none when there is none.
    virtual std::optional<Question> question() { return std::nullopt; }
};

// Streams `feed`'s statements over `connection`'s open session, keeping up to `depth`
// (at least 1, at most the connection's mostStatementsInFlight()) unanswered: a place
// freed by an answer is filled with the next statement before the following answer is
// read. A question goes as soon as the receive buffer has room for its answer beside those
// under way (at once when none is), and while it is unread the statements after it keep
// that room free. Returns when the feed has ended and every statement and question has
// its answer; a refusal stops nothing. Throws DatabaseError when the session is lost (the
// connection is then closed): the statements written and not answered may or may not
// have run, none after them was written. Whatever the feed or a question's reading throws
// leaves as it is. Answers an earlier statement left waiting are dropped unread first.
void streamStatements(Connection& connection, std::size_t depth, PipelineFeed& feed);

}  // namespace data
