// Opening, using and closing the session through the client library.
#include "data/Connection.h"

#include "data/ClientLibrary.h"
#include "data/DatabaseError.h"
#include "data/HostText.h"
#include "data/MysqlApi.h"
#include "platform/CodePage.h"
#include "platform/FilePath.h"
#include "platform/SharedLibrary.h"

#if defined(_WIN32)
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#endif

#include <algorithm>
#include <cctype>
#include <chrono>
#include <future>
#include <limits>
#include <thread>

namespace data {

namespace {

constexpr std::string_view kSupportedProtocol = "mysql-4.1";
constexpr unsigned kDefaultPort = 3306;
constexpr std::string_view kCodePageProperty = "codepage";
constexpr std::string_view kSetCharacterSet = "SET CHARACTER SET ";
constexpr const char kNoSession[] = "Spojení se serverem není otevřené";

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
        throw ProgramError("Protokol \"" + protocol + "\" program neumí; umí jen " + std::string(kSupportedProtocol));
}

unsigned portToUse(std::int32_t port)
{
    if (port < 0 || port > std::numeric_limits<std::uint16_t>::max())
        throw ProgramError("Port " + std::to_string(port) + " je mimo rozsah");
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

// The client library's connect timeout does not cover finding the name's address, which
// can take half a minute where the name servers do not answer. The look-up runs in a
// thread of its own that is left to finish alone when the time is up; the client
// library then looks the name up again, from the system's cache where it has one.
void waitForAddressOf(const std::string& host, const std::string& shownName, unsigned seconds)
{
    if (seconds == 0 || isAddressLiteral(host))
        return;
    auto found = std::make_shared<std::promise<void>>();
    std::future<void> done = found->get_future();
    std::thread([host, found] {
        addrinfo hints{};
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* addresses = nullptr;
        if (getaddrinfo(host.c_str(), nullptr, &hints, &addresses) == 0)
            freeaddrinfo(addresses);
        found->set_value();
    }).detach();
    if (done.wait_for(std::chrono::seconds(seconds)) == std::future_status::timeout)
        throw ProgramError("Adresu serveru \"" + shownName + "\" se nepodařilo zjistit do " + std::to_string(seconds) +
                           " s");
}

}  // namespace

void Connection::HandleCloser::operator()(st_mysql* handle) const noexcept
{
    api->close(handle);
}

void StoredResult::ResultFreer::operator()(st_mysql_res* result) const noexcept
{
    api->free_result(result);
}

Connection::Connection() : libraryNames_(ClientLibrary::defaultNames()) {}

Connection::~Connection() = default;

void Connection::copySettingsFrom(const Connection& other)
{
    Protocol = other.Protocol;
    HostName = other.HostName;
    Port = other.Port;
    Database = other.Database;
    User = other.User;
    Password = other.Password;
    Properties = other.Properties;
    ConnectTimeout = other.ConnectTimeout;
    AnswerTimeout = other.AnswerTimeout;
    RequireTls = other.RequireTls;
    TlsCaFile = other.TlsCaFile;
    setLibraryNames(other.libraryNames_);
}

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
    checkHostText(platform::utf8ToWindows1250(HostName), HostName);
    if (!library_)
        library_ = ClientLibrary::acquire(libraryNames_);
    ClientLibrary::useInThisThread(library_);
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
    Handle handle(api.init(nullptr), HandleCloser{&api});
    if (!handle)
        throw ProgramError("Klientská knihovna nevytvořila spojení");

    applyOptions(handle.get());

    // The settings are UTF-8; the server gets them in the session's code page.
    const std::string host = platform::utf8ToWindows1250(HostName);
    const std::string user = platform::utf8ToWindows1250(User);
    const std::string password = platform::utf8ToWindows1250(Password);
    const std::string database = platform::utf8ToWindows1250(Database);
    waitForAddressOf(host, HostName, ConnectTimeout);
    if (!api.real_connect(handle.get(), host.c_str(), user.c_str(), password.c_str(), orNull(database), port,
                          nullptr, CLIENT_CONNECT_WITH_DB))
        raiseSessionError(handle.get());

    applyCodePage(handle.get());
    return handle;
}

// The time limits, the folder of login methods on Windows, and TLS when it is required.
void Connection::applyOptions(st_mysql* handle)
{
    const MysqlApi& api = library_->api();
    const auto set = [&](mysql_option option, const void* value) {
        if (api.options(handle, option, value) != 0)
            raiseSessionError(handle);
    };
    // The client library's connect limit covers both reaching the server and waiting for
    // its greeting, and the greeting is an answer like any other: the answer limit bounds
    // it as well, so the smaller of the two limits, when there is one, applies to both.
    const unsigned int connectTimeout =
        ConnectTimeout == 0 ? AnswerTimeout : AnswerTimeout == 0 ? ConnectTimeout : std::min(ConnectTimeout, AnswerTimeout);
    set(MYSQL_OPT_CONNECT_TIMEOUT, &connectTimeout);
#if defined(_WIN32)
    // A login method the library lacks is loaded as "<plugin folder>\<name>.dll", by
    // bare name when no folder is set: only the program's folder may supply one.
    if (const auto folder = platform::pathInSystemCodePage(platform::programFolder()))
        set(MYSQL_PLUGIN_DIR, folder->c_str());
#endif
    if (AnswerTimeout != 0) {
        const unsigned int answerTimeout = AnswerTimeout;
        set(MYSQL_OPT_READ_TIMEOUT, &answerTimeout);
        set(MYSQL_OPT_WRITE_TIMEOUT, &answerTimeout);
    }
    if (RequireTls) {
        const my_bool yes = 1;
        set(MYSQL_OPT_SSL_ENFORCE, &yes);
        set(MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &yes);
        if (!TlsCaFile.empty())
            set(MYSQL_OPT_SSL_CA, TlsCaFile.c_str());
    }
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
        throw ProgramError(kNoSession);
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
        throw ProgramError(kNoSession);
    const MysqlApi& api = library_->api();
    if (MYSQL_RES* result = api.store_result(handle_.get()))
        return StoredResult(library_, result);
    // A session lost while the rows came in also leaves no column count behind: the
    // error number tells it from a statement that returns no rows.
    if (api.error_number(handle_.get()) == 0)
        throw ProgramError("Příkaz nevrátil žádné řádky");
    DatabaseError error = errorOf(api, handle_.get());
    if (error.sessionLost())
        disconnect();
    throw error;
}

std::uint64_t Connection::affectedRows() const
{
    return handle_ ? library_->api().affected_rows(handle_.get()) : 0;
}

std::string Connection::serverIdentity()
{
    sendQuery("SELECT CONCAT_WS(':', @@hostname, @@port, @@datadir)");
    StoredResult result = storeResult();
    if (!result.fetchRow())
        throw ProgramError("Server neřekl, kdo je");
    return result.firstColumn();
}

std::string Connection::peerAddress() const
{
    if (!handle_)
        return {};
    const auto socket = library_->api().get_socket(handle_.get());
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return {};
    char text[INET6_ADDRSTRLEN] = {};
    const void* bytes = nullptr;
    if (address.ss_family == AF_INET)
        bytes = &reinterpret_cast<const sockaddr_in*>(&address)->sin_addr;
    else if (address.ss_family == AF_INET6 && reinterpret_cast<const sockaddr_in6*>(&address)->sin6_scope_id == 0)
        bytes = &reinterpret_cast<const sockaddr_in6*>(&address)->sin6_addr;  // a scoped one has no text of its own here
    if (!bytes || !inet_ntop(address.ss_family, bytes, text, sizeof text))
        return {};
    return text;
}

PipelineResult Connection::executePipeline(const std::vector<std::string>& statements)
{
    if (!handle_)
        throw ProgramError(kNoSession);
    const MysqlApi& api = library_->api();
    PipelineResult result;
    result.answers.reserve(statements.size());
    std::vector<std::string> bytes;
    bytes.reserve(statements.size());
    for (const std::string& statement : statements)
        bytes.push_back(platform::utf8ToWindows1250(statement));

    const auto loseSession = [&](std::shared_ptr<const DatabaseError> error, std::size_t written) {
        result.lost = std::move(error);
        result.inFlight = written - result.answers.size();
        disconnect();
        return result;
    };
    std::size_t written = 0;
    while (result.answers.size() < bytes.size()) {
        while (written < bytes.size() && written - result.answers.size() < kMostStatementsInFlight) {
            const std::string& statement = bytes[written];
            // A statement that failed to leave may have left in part: it is in flight too.
            if (api.send_query(handle_.get(), statement.data(), statement.size()) != 0)
                return loseSession(std::make_shared<DatabaseError>(errorOf(api, handle_.get())), written + 1);
            ++written;
        }
        if (api.read_query_result(handle_.get()) != 0) {
            auto error = std::make_shared<DatabaseError>(errorOf(api, handle_.get()));
            if (error->sessionLost())
                return loseSession(std::move(error), written);
            result.answers.push_back(std::move(error));
            continue;
        }
        if (MYSQL_RES* rows = api.store_result(handle_.get()))
            api.free_result(rows);
        result.answers.push_back(nullptr);
    }
    return result;
}

StoredResult::StoredResult(std::shared_ptr<const ClientLibrary> library, st_mysql_res* result)
    : library_(std::move(library)), result_(result, ResultFreer{&library_->api()})
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
        throw ProgramError("Není žádný řádek ke čtení");
    if (!row_[0])
        return {};
    return platform::windows1250ToUtf8(std::string_view(row_[0], lengths_[0]));
}

}  // namespace data
