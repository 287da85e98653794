// The connection to the MySQL server: its settings and the one session it opens.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct st_mysql;
struct st_mysql_res;

namespace data {

class ClientLibrary;
struct MysqlApi;
class DatabaseError;
class StoredResult;

// What a pipeline of statements did. Each of the first `answers.size()` statements got its
// own answer: none for one that went through, the server's refusal otherwise. When the
// session was lost (`lost`), the next `inFlight` statements had been written and may or
// may not have run, and none after them was written.
struct PipelineResult {
    std::vector<std::shared_ptr<const DatabaseError>> answers;
    std::shared_ptr<const DatabaseError> lost;
    std::size_t inFlight = 0;
};

// Statements written ahead of their answers, at most. The server writes each answer as it
// goes; answers left unread wait in the sockets' buffers, and were those full, the server
// would stop reading while the program still wrote, and neither would go on. The longest
// answer to a statement without rows is an error (header, marker, number, state and at
// most 512 bytes of text); this many of them fit in the 64 KiB that a connection's receive
// buffer holds by default on the systems the program runs on (Linux 128 KiB, Windows
// 64 KiB), before the server's own send buffer is counted.
inline constexpr std::size_t kMostStatementsInFlight = 64 * 1024 / (4 + 1 + 2 + 6 + 512);

class Connection {
public:
    // Settings, used by the next connect; assigning them does nothing by itself.
    // Texts are UTF-8; the server gets them in Windows-1250, the session's code page.
    std::string Protocol;
    std::string HostName;
    std::int32_t Port = 0;
    std::string Database;
    std::string User;
    std::string Password;
    // Lines "name=value"; the value of "Codepage" becomes the session's character set.
    std::vector<std::string> Properties;

    // Settings the data module gives the window's session and the console program its own.
    // Seconds to wait for the server's address and its acceptance; 0: no limit.
    unsigned ConnectTimeout = 0;
    // Seconds to wait for any one answer of the server (its greeting included), or for a
    // request to leave; 0: no limit. Reaching the server then takes at most the smaller
    // limit, since the client library waits for both with one.
    unsigned AnswerTimeout = 0;
    // Requires an encrypted session and verifies the server's certificate and name against
    // TlsCaFile, or the system's certificate store when it is empty.
    bool RequireTls = false;
    std::string TlsCaFile;

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens a session with the settings as they stand; does nothing when one is open.
    // Throws DatabaseError (the server's or client library's failure) or ProgramError
    // (settings this program refuses, no client library) and stays closed.
    void connect();
    bool connected() const noexcept { return handle_ != nullptr; }
    // Closes the session, if one is open.
    void disconnect() noexcept;

    // Takes every setting of `other` (not its session), for another session to the same server.
    void copySettingsFrom(const Connection& other);

    // The client library's file names, tried in order on the first connect (and on
    // every later one until a file has loaded).
    void setLibraryNames(std::vector<std::string> names);

    // Sends one statement that returns rows (UTF-8, sent in Windows-1250); a statement
    // without rows goes through executePipeline. Throws DatabaseError when the
    // server refuses it; when the session itself is gone, the connection is closed as
    // well. Throws ProgramError when no session is open.
    void sendQuery(std::string_view statement);
    // The whole result of the statement just sent, moved to the client.
    StoredResult storeResult();
    // Rows changed by the last statement that went through.
    std::uint64_t affectedRows() const;

    // The server's own account of who it is (its host name, port and data folder) as one
    // text: two sessions with the same text reached the same server, whatever address
    // each was given. Throws as sendQuery and storeResult do.
    std::string serverIdentity();
    // The numeric IP address this session reached, empty for a local socket or pipe, a
    // link-local IPv6 address (its zone would be lost) or when it cannot be told. Connecting to it reaches the same listener again, where
    // the host name may stand for several.
    std::string peerAddress() const;

    // Sends each of `statements` (UTF-8, without rows to return) as a query of its own,
    // writing the next ones before the answers to the earlier ones have come (at most
    // kMostStatementsInFlight ahead), and reads every answer in order. A refusal stops
    // nothing; a lost session ends the pipeline and closes the connection. Throws
    // ProgramError when no session is open.
    PipelineResult executePipeline(const std::vector<std::string>& statements);

private:
    // Holds the library's functions rather than a pointer to one: their calling
    // convention is the library's (stdcall on 32-bit Windows), known only to its header.
    struct HandleCloser {
        const MysqlApi* api;
        void operator()(st_mysql* handle) const noexcept;
    };
    using Handle = std::unique_ptr<st_mysql, HandleCloser>;

    Handle openSession();
    void applyOptions(st_mysql* handle);
    void applyCodePage(st_mysql* handle);
    [[noreturn]] void raiseSessionError(st_mysql* handle);
    std::string codePage() const;

    std::vector<std::string> libraryNames_;
    std::shared_ptr<const ClientLibrary> library_;
    Handle handle_{nullptr, HandleCloser{nullptr}};
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
