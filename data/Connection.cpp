// Opening, using and closing the session through the client library.
#include "data/Connection.h"

#include "data/ClientLibrary.h"
#include "data/DatabaseError.h"
#include "data/MysqlApi.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace data {

namespace {

constexpr std::string_view kSupportedProtocol = "mysql-4.1";
constexpr unsigned kDefaultPort = 3306;
constexpr std::string_view kCodePageProperty = "codepage";
constexpr std::string_view kSetCharacterSet = "SET CHARACTER SET ";

// A host text must carry a host and nothing more. The client library would read a
// port after ':', a path after '/', options after '?', a fail-over list after ',' and a
// connection string with ';' or '='; a NUL would silently cut the text short.
constexpr std::string_view kCharactersNotInHostNames = std::string_view(":/?,;=\0", 7);

std::string_view trimmed(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

void checkProtocol(const std::string& protocol)
{
    if (protocol != kSupportedProtocol)
        throw DatabaseError(0, "Unsupported protocol \"" + protocol + "\"; this program speaks only " +
                                   std::string(kSupportedProtocol));
}

void checkHostName(const std::string& hostName)
{
    if (hostName.find_first_of(kCharactersNotInHostNames) != std::string::npos)
        throw DatabaseError(0, "The host name \"" + hostName.substr(0, hostName.find('\0')) +
                                   "\" holds a character that no host name has (: / ? , ; =)");
}

unsigned portToUse(std::int32_t port)
{
    if (port < 0 || port > std::numeric_limits<std::uint16_t>::max())
        throw DatabaseError(0, "The port " + std::to_string(port) + " is out of range");
    return port == 0 ? kDefaultPort : static_cast<unsigned>(port);
}

DatabaseError errorOf(const MysqlApi& api, MYSQL* handle)
{
    return DatabaseError(api.error_number(handle), api.error_text(handle));
}

}  // namespace

void Connection::HandleCloser::operator()(st_mysql* handle) const noexcept
{
    close(handle);
}

void StoredResult::ResultFreer::operator()(st_mysql_res* result) const noexcept
{
    free(result);
}

Connection::Connection() : libraryNames_(ClientLibrary::defaultNames()) {}

Connection::~Connection() = default;

void Connection::setLibraryNames(std::vector<std::string> names)
{
    libraryNames_ = std::move(names);
    if (!connected())
        library_.reset();
}

void Connection::connect()
{
    if (connected())
        return;
    checkProtocol(Protocol);
    checkHostName(HostName);
    if (!library_)
        library_ = ClientLibrary::acquire(libraryNames_);
    handle_ = openSession();
}

void Connection::disconnect() noexcept
{
    handle_.reset();
}

Connection::Handle Connection::openSession()
{
    const MysqlApi& api = library_->api();
    const unsigned port = portToUse(Port);

    // A fresh handle on every attempt: nothing of a failed one is reused.
    Handle handle(api.init(nullptr), HandleCloser{api.close});
    if (!handle)
        throw DatabaseError(2008, "The client library ran out of memory");

    unsigned int connectTimeout = 0;
    if (api.options(handle.get(), MYSQL_OPT_CONNECT_TIMEOUT, &connectTimeout) != 0)
        raiseSessionError(handle.get());

    if (!api.real_connect(handle.get(), HostName.c_str(), User.c_str(), Password.c_str(),
                          Database.empty() ? nullptr : Database.c_str(), port, nullptr,
                          CLIENT_CONNECT_WITH_DB))
        raiseSessionError(handle.get());

    applyCodePage(handle.get());
    return handle;
}

std::string Connection::codePage() const
{
    for (const std::string& line : Properties) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        if (equalsIgnoringCase(trimmed(std::string_view(line).substr(0, equals)), kCodePageProperty))
            return std::string(trimmed(std::string_view(line).substr(equals + 1)));
    }
    return {};
}

void Connection::applyCodePage(st_mysql* handle)
{
    const std::string codePage = this->codePage();
    if (codePage.empty())
        return;
    const std::string statement = std::string(kSetCharacterSet) + codePage;
    if (library_->api().real_query(handle, statement.data(), statement.size()) != 0)
        raiseSessionError(handle);
}

void Connection::raiseSessionError(st_mysql* handle)
{
    throw errorOf(library_->api(), handle);
}

void Connection::sendQuery(std::string_view statement)
{
    if (!handle_)
        throw DatabaseError(2006, "No session is open");
    const MysqlApi& api = library_->api();
    if (api.real_query(handle_.get(), statement.data(), statement.size()) == 0)
        return;
    DatabaseError error = errorOf(api, handle_.get());
    if (error.sessionLost())
        disconnect();
    throw error;
}

StoredResult Connection::storeResult()
{
    if (!handle_)
        throw DatabaseError(2006, "No session is open");
    const MysqlApi& api = library_->api();
    if (MYSQL_RES* result = api.store_result(handle_.get()))
        return StoredResult(library_, result);
    if (api.field_count(handle_.get()) == 0)
        throw DatabaseError(0, "The statement returned no rows to open");
    DatabaseError error = errorOf(api, handle_.get());
    if (error.sessionLost())
        disconnect();
    throw error;
}

void Connection::discardResult()
{
    if (!handle_)
        return;
    const MysqlApi& api = library_->api();
    if (MYSQL_RES* result = api.store_result(handle_.get()))
        api.free_result(result);
}

std::uint64_t Connection::affectedRows() const
{
    return handle_ ? library_->api().affected_rows(handle_.get()) : 0;
}

StoredResult::StoredResult(std::shared_ptr<const ClientLibrary> library, st_mysql_res* result)
    : library_(std::move(library)), result_(result, ResultFreer{library_->api().free_result})
{
}

bool StoredResult::fetchRow()
{
    if (!result_)
        return false;
    const MysqlApi& api = library_->api();
    row_ = api.fetch_row(result_.get());
    lengths_ = row_ ? api.fetch_lengths(result_.get()) : nullptr;
    return row_ != nullptr;
}

std::string StoredResult::firstColumn() const
{
    if (!row_ || library_->api().num_fields(result_.get()) == 0)
        throw DatabaseError(0, "There is no current row to read");
    if (!row_[0])
        return {};
    return std::string(row_[0], lengths_[0]);
}

}  // namespace data
