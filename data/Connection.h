// The connection to the MySQL server: its settings and the one session it opens.
#pragma once

#include "data/ConnectionSettings.h"
#include "data/DatabaseError.h"
#include "data/Pipeline.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct st_mysql;
struct st_mysql_res;

namespace data {

class ClientLibrary;
struct MysqlApi;
class StoredResult;

class Connection {
public:
    Connection() = default;
    explicit Connection(ConnectionSettings settings) : settings(std::move(settings)) {}
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Used by the next connect; assigning them does nothing by itself.
    ConnectionSettings settings;

    // Opens a session with the settings as they stand; does nothing when one is open.
    // After the login it writes the code-page statement and then `thenSend` (UTF-8)
    // without waiting, and reads only the code page's answer: the others' answers wait
    // for the sendQuery of the same text (see there). So the statements that open a run
    // cost one round trip together. Throws DatabaseError (the server's or client
    // library's failure, a refused code page included) or ProgramError (settings this
    // program refuses, no client library) and stays closed.
    // `stillWanted`, when given, is asked once the server has taken the login: when it
    // says no, the session is closed at once, nothing more is sent, and the connect
    // returns without one (connected() is false).
    // `loggedIn`, when given, is called once the statements have left and before their
    // first answer is read, so that what needs only a server that took the login (other
    // sessions to it) starts one round trip earlier. The session is open while it runs.
    void connect(std::span<const std::string> thenSend = {}, const std::function<bool()>& stillWanted = {},
                 const std::function<void()>& loggedIn = {});
    bool connected() const noexcept { return handle_ != nullptr; }
    // Closes the session, if one is open.
    void disconnect() noexcept;

    // Sends one statement that returns rows (UTF-8, sent in Windows-1250). When it is
    // the text whose answer waits first, that answer is taken instead of sending it
    // again; any other statement first reads and drops every waiting answer. Throws
    // DatabaseError when the server refuses it; when the session itself is gone, the
    // connection is closed as well. Throws ProgramError when no session is open.
    void sendQuery(std::string_view statement);
    // The whole result of the statement just sent, moved to the client.
    StoredResult storeResult();

    // The numeric IP address this session reached, empty for a local socket or pipe, a
    // link-local IPv6 address (its zone would be lost) or when it cannot be told.
    // Connecting to it reaches the same listener again, where the host name may stand for
    // several.
    std::string peerAddress() const;

    // A pipeline's two steps (data::streamStatements keeps them in step). `write` sends
    // a statement (UTF-8) without waiting for its answer; `readAnswer` reads the answer of
    // the oldest statement written and not yet answered: none when it went through, the
    // server's refusal otherwise. Both throw DatabaseError when the session is lost (the
    // connection is then closed; a statement that failed to leave may have left in part),
    // and ProgramError when no session is open.
    void write(std::string_view statement);
    std::optional<DatabaseError> readAnswer();
    // Statements written whose answers have not been read.
    std::size_t answersWaiting() const noexcept { return waiting_.size(); }
    // How many statements may wait for their answers at once without the server's answers
    // filling this session's receive buffer (data::streamStatements): set at the connect
    // from the buffer the system gave, kStatementsInFlightUntold where it does not tell.
    std::size_t mostStatementsInFlight() const noexcept { return mostStatementsInFlight_; }
    // Reads every waiting answer and drops it; throws as readAnswer does.
    void dropWaitingAnswers();

private:
    // Holds the library's functions rather than a pointer to one: their calling
    // convention is the library's (stdcall on 32-bit Windows), known only to its header.
    struct HandleCloser {
        const MysqlApi* api;
        void operator()(st_mysql* handle) const noexcept;
    };
    using Handle = std::unique_ptr<st_mysql, HandleCloser>;

    void loadLibrary();
    Handle openSession();
    void sendOpeningFlight(std::span<const std::string> thenSend, const std::function<void()>& loggedIn);
    void writeBytes(const std::string& bytes);
    // Asks for a receive buffer that holds the answers of the statements the settings want
    // in flight; how many the buffer given holds.
    std::size_t statementsTheBufferHolds() const;
    // The session's last error, thrown; a lost session is closed first.
    [[noreturn]] void raiseSessionError();
    const MysqlApi& api() const;

    std::shared_ptr<const ClientLibrary> library_;
    // The names the loaded library was found by: other names load again.
    std::vector<std::string> libraryLoadedFrom_;
    Handle handle_{nullptr, HandleCloser{nullptr}};
    // The statements written and not yet answered, oldest first, as sent (Windows-1250).
    std::deque<std::string> waiting_;
    std::size_t mostStatementsInFlight_ = kStatementsInFlightUntold;
};

// A statement's complete result held on the client; walking it never talks to the server.
class StoredResult {
public:
    StoredResult() = default;
    StoredResult(std::shared_ptr<const ClientLibrary> library, st_mysql_res* result);
    StoredResult(StoredResult&&) noexcept = default;
    StoredResult& operator=(StoredResult&&) noexcept = default;
    StoredResult(const StoredResult&) = delete;
    StoredResult& operator=(const StoredResult&) = delete;
    ~StoredResult() = default;

    // Moves to the next row; false after the last row.
    bool fetchRow();
    // The current row's first column as UTF-8 text (a NULL reads as the empty text).
    std::string firstColumn() const;
    // The current row's column `index` as UTF-8 text; none for a NULL.
    std::optional<std::string> column(std::size_t index) const;

private:
    struct ResultFreer {
        const MysqlApi* api;
        void operator()(st_mysql_res* result) const noexcept;
    };

    std::shared_ptr<const ClientLibrary> library_;
    std::unique_ptr<st_mysql_res, ResultFreer> result_{nullptr, ResultFreer{nullptr}};
    char** row_ = nullptr;
    unsigned long* lengths_ = nullptr;
};

}  // namespace data
