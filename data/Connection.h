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
class StoredResult;

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

    // The client library's file names, tried in order on the first connect (and on
    // every later one until a file has loaded).
    void setLibraryNames(std::vector<std::string> names);

    // Sends one statement (UTF-8, sent in Windows-1250). Throws DatabaseError when the
    // server refuses it; when the session itself is gone, the connection is closed as
    // well. Throws ProgramError when no session is open.
    void sendQuery(std::string_view statement);
    // The whole result of the statement just sent, moved to the client.
    StoredResult storeResult();
    // Reads and drops whatever result the statement just sent left on the session.
    void discardResult();
    std::uint64_t affectedRows() const;

private:
    struct HandleCloser {
        void (*close)(st_mysql*);
        void operator()(st_mysql* handle) const noexcept;
    };
    using Handle = std::unique_ptr<st_mysql, HandleCloser>;

    Handle openSession();
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
        void (*free)(st_mysql_res*);
        void operator()(st_mysql_res* result) const noexcept;
    };

    std::shared_ptr<const ClientLibrary> library_;
    std::unique_ptr<st_mysql_res, ResultFreer> result_{nullptr, ResultFreer{nullptr}};
    char** row_ = nullptr;
    unsigned long* lengths_ = nullptr;
};

}  // namespace data
