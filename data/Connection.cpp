// Opening, using and closing the session through the client library.
#include "data/Connection.h"

#include "data/ClientLibrary.h"
#include "data/DatabaseError.h"
#include "data/MysqlApi.h"
#include "platform/CodePage.h"

#if defined(_WIN32)
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

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
// connection string with ';' or '='; a NUL would silently cut the text short. An IPv6
// address is the one host text with ':' in it, and it is taken whole.
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
        throw ProgramError("Unsupported protocol \"" + protocol + "\"; this program speaks only " +
                           std::string(kSupportedProtocol));
}

bool isIpv6Address(const std::string& text)
{
    in6_addr address{};
    return text.find('\0') == std::string::npos && inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

// `hostName` is the Windows-1250 text the client library gets.
void checkHostName(const std::string& hostName, const std::string& shownName)
{
    if (hostName.find_first_of(kCharactersNotInHostNames) != std::string::npos && !isIpv6Address(hostName))
        throw ProgramError("The host name \"" + shownName.substr(0, shownName.find('\0')) +
                           "\" holds a character that no host name has (: / ? , ; =)");
}

unsigned portToUse(std::int32_t port)
{
    if (port < 0 || port > std::numeric_limits<std::uint16_t>::max())
        throw ProgramError("The port " + std::to_string(port) + " is out of range");
    return port == 0 ? kDefaultPort : static_cast<unsigned>(port);
}

// The session speaks Windows-1250, so the server's texts arrive in it.
DatabaseError errorOf(const MysqlApi& api, MYSQL* handle)
{
    return DatabaseError(api.error_number(handle), platform::windows1250ToUtf8(api.error_text(handle)));
}

const char* orNull(const std::string& text)
{
    return text.empty() ? nullptr : text.c_str();
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
    checkHostName(platform::utf8ToWindows1250(HostName), HostName);
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
        throw ProgramError("The client library could not make a session handle");

    unsigned int connectTimeout = 0;
    if (api.options(handle.get(), MYSQL_OPT_CONNECT_TIMEOUT, &connectTimeout) != 0)
        raiseSessionError(handle.get());

    // The settings are UTF-8; the server gets them in the session's code page.
    const std::string host = platform::utf8ToWindows1250(HostName);
    const std::string user = platform::utf8ToWindows1250(User);
    const std::string password = platform::utf8ToWindows1250(Password);
    const std::string database = platform::utf8ToWindows1250(Database);
    if (!api.real_connect(handle.get(), host.c_str(), user.c_str(), password.c_str(), orNull(database), port,
                          nullptr, CLIENT_CONNECT_WITH_DB))
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
    const std::string statement = std::string(kSetCharacterSet) + platform::utf8ToWindows1250(codePage);
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
        throw ProgramError("No session is open");
    const MysqlApi& api = library_->api();
    const std::string bytes = platform::utf8ToWindows1250(statement);
    if (api.real_query(handle_.get(), bytes.data(), bytes.size()) == 0)
        return;
    DatabaseError error = errorOf(api, handle_.get());
    if (error.sessionLost())
        disconnect();
    throw error;
}

StoredResult Connection::storeResult()
{
    if (!handle_)
        throw ProgramError("No session is open");
    const MysqlApi& api = library_->api();
    if (MYSQL_RES* result = api.store_result(handle_.get()))
        return StoredResult(library_, result);
    if (api.field_count(handle_.get()) == 0)
        throw ProgramError("The statement returned no rows to open");
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
        throw ProgramError("There is no current row to read");
    if (!row_[0])
        return {};
    return platform::windows1250ToUtf8(std::string_view(row_[0], lengths_[0]));
}

}  // namespace data
