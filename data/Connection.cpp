// Opening, using and closing the session through the client library.
#include "data/Connection.h"

#include "data/ClientLibrary.h"
#include "data/HostText.h"
#include "data/MysqlApi.h"
#include "data/NameLookup.h"
#include "data/PeerAddress.h"
#include "data/SessionOptions.h"
#include "platform/CodePage.h"
#include "platform/ReceiveBuffer.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace data {

namespace {

constexpr std::string_view kSupportedProtocol = "mysql-4.1";
constexpr unsigned kDefaultPort = 3306;
constexpr const char kNoSession[] = "Spojení se serverem není otevřené";

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

}  // namespace

void Connection::HandleCloser::operator()(st_mysql* handle) const noexcept
{
    api->close(handle);
}

void StoredResult::ResultFreer::operator()(st_mysql_res* result) const noexcept
{
    api->free_result(result);
}

Connection::~Connection() = default;

const MysqlApi& Connection::api() const
{
    return library_->api();
}

void Connection::connect(std::span<const std::string> thenSend, const std::function<bool()>& stillWanted,
                         const std::function<void()>& loggedIn)
{
    if (connected())
        return;
    checkProtocol(settings.Protocol);
    checkHostText(platform::utf8ToWindows1250(settings.HostName), settings.HostName);
    loadLibrary();
    ClientLibrary::useInThisThread(library_);
    Handle session = openSession();
    if (stillWanted && !stillWanted())
        return;
    handle_ = std::move(session);
    mostStatementsInFlight_ = statementsTheBufferHolds();
    try {
        sendOpeningFlight(thenSend, loggedIn);
    } catch (...) {
        disconnect();
        throw;
    }
}

void Connection::disconnect() noexcept
{
    handle_.reset();
    waiting_.clear();
}

void Connection::loadLibrary()
{
    const std::vector<std::string>& names =
        settings.LibraryNames.empty() ? ClientLibrary::defaultNames() : settings.LibraryNames;
    if (library_ && libraryLoadedFrom_ == names)
        return;
    // A library that failed to load is looked for again on the next connect.
    library_.reset();
    library_ = ClientLibrary::acquire(names);
    libraryLoadedFrom_ = names;
}

Connection::Handle Connection::openSession()
{
    const MysqlApi& api = this->api();
    const unsigned port = portToUse(settings.Port);

    // A fresh handle on every attempt: nothing of a failed one is reused.
    Handle handle(api.init(nullptr), HandleCloser{&api});
    if (!handle)
        throw ProgramError("Klientská knihovna nevytvořila spojení");
    if (!applyOptions(api, handle.get(), settings))
        throw errorOf(api, handle.get());

    // The settings are UTF-8; the server gets them in the session's code page.
    const std::string host = platform::utf8ToWindows1250(settings.HostName);
    const std::string user = platform::utf8ToWindows1250(settings.User);
    const std::string password = platform::utf8ToWindows1250(settings.Password);
    const std::string database = platform::utf8ToWindows1250(settings.Database);
    waitForAddressOf(host, settings.HostName, settings.ConnectTimeout);
    if (!api.real_connect(handle.get(), host.c_str(), user.c_str(), password.c_str(), orNull(database), port,
                          nullptr, CLIENT_CONNECT_WITH_DB))
        throw errorOf(api, handle.get());
    return handle;
}

// Nothing the server says to the code page changes what follows it, so the statements
// after it leave with it; a refused code page still fails the connect.
void Connection::sendOpeningFlight(std::span<const std::string> thenSend, const std::function<void()>& loggedIn)
{
    const std::optional<std::string> codePage = codePageStatement(settings);
    if (codePage)
        write(*codePage);
    for (const std::string& statement : thenSend)
        write(statement);
    if (loggedIn)
        loggedIn();
    if (codePage) {
        if (std::optional<DatabaseError> refusal = readAnswer())
            throw *refusal;
    }
}

void Connection::raiseSessionError()
{
    DatabaseError error = errorOf(api(), handle_.get());
    if (error.sessionLost())
        disconnect();
    throw error;
}

void Connection::sendQuery(std::string_view statement)
{
    if (!handle_)
        throw ProgramError(kNoSession);
    const std::string bytes = platform::utf8ToWindows1250(statement);
    if (!waiting_.empty() && waiting_.front() == bytes) {
        waiting_.pop_front();
        if (api().read_query_result(handle_.get()) != 0)
            raiseSessionError();
        return;
    }
    dropWaitingAnswers();
    if (api().real_query(handle_.get(), bytes.data(), bytes.size()) != 0)
        raiseSessionError();
}

StoredResult Connection::storeResult()
{
    if (!handle_)
        throw ProgramError(kNoSession);
    const MysqlApi& api = this->api();
    if (MYSQL_RES* result = api.store_result(handle_.get()))
        return StoredResult(library_, result);
    // A session lost while the rows came in also leaves no column count behind: the
    // error number tells it from a statement that returns no rows.
    if (api.error_number(handle_.get()) == 0)
        throw ProgramError("Příkaz nevrátil žádné řádky");
    raiseSessionError();
}

std::string Connection::peerAddress() const
{
    if (!handle_)
        return {};
    return peerAddressOf(api().get_socket(handle_.get()));
}

std::size_t Connection::statementsTheBufferHolds() const
{
    const std::size_t wanted = settings.StatementsInFlightWanted == 0
                                   ? kMostStatementsInFlight
                                   : std::min(settings.StatementsInFlightWanted, kMostStatementsInFlight);
    const auto socket = static_cast<std::uintptr_t>(api().get_socket(handle_.get()));
    const std::optional<std::size_t> bytes = platform::enlargeReceiveBuffer(socket, wanted * kLongestAnswerBytes);
    if (!bytes)
        return kStatementsInFlightUntold;
    return std::clamp<std::size_t>(*bytes / kLongestAnswerBytes, 1, kMostStatementsInFlight);
}

void Connection::write(std::string_view statement)
{
    if (!handle_)
        throw ProgramError(kNoSession);
    writeBytes(platform::utf8ToWindows1250(statement));
}

void Connection::writeBytes(const std::string& bytes)
{
    if (api().send_query(handle_.get(), bytes.data(), bytes.size()) != 0) {
        // Part of it may have left: nothing further can be told apart on this session.
        DatabaseError error = errorOf(api(), handle_.get());
        disconnect();
        throw error;
    }
    waiting_.push_back(bytes);
}

std::optional<DatabaseError> Connection::readAnswer()
{
    if (!handle_)
        throw ProgramError(kNoSession);
    if (waiting_.empty())
        throw ProgramError("Na odpověď nečeká žádný příkaz");
    waiting_.pop_front();
    const MysqlApi& api = this->api();
    if (api.read_query_result(handle_.get()) == 0) {
        // Rows nobody asked for are read and dropped, so that the next answer is in front.
        if (MYSQL_RES* rows = api.store_result(handle_.get()))
            api.free_result(rows);
        return std::nullopt;
    }
    DatabaseError error = errorOf(api, handle_.get());
    if (error.sessionLost()) {
        disconnect();
        throw error;
    }
    return error;
}

void Connection::dropWaitingAnswers()
{
    while (!waiting_.empty())
        (void)readAnswer();
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

std::optional<std::string> StoredResult::column(std::size_t index) const
{
    if (!row_ || library_->api().num_fields(result_.get()) <= index)
        throw ProgramError("Není žádný řádek ke čtení");
    if (!row_[index])
        return std::nullopt;
    return platform::windows1250ToUtf8(std::string_view(row_[index], lengths_[index]));
}

}  // namespace data
