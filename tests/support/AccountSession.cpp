// The program's account over the client library linked in directly.
#include "tests/support/AccountSession.h"

#include "tests/support/StoredRows.h"

#include <mysql.h>

#include <stdexcept>

namespace testing_support {

namespace {

constexpr const char kUser[] = "quorvel";
constexpr const char kPassword[] = "selvado";
// Bounds for a loaded machine; a server that does not answer at all fails the test.
constexpr unsigned kConnectSeconds = 30;
constexpr unsigned kAnswerSeconds = 120;

}  // namespace

AccountSession::AccountSession(const std::string& address) : handle_(mysql_init(nullptr))
{
    mysql_options(handle_, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    mysql_options(handle_, MYSQL_OPT_CONNECT_TIMEOUT, &kConnectSeconds);
    mysql_options(handle_, MYSQL_OPT_READ_TIMEOUT, &kAnswerSeconds);
    mysql_options(handle_, MYSQL_OPT_WRITE_TIMEOUT, &kAnswerSeconds);
    if (!mysql_real_connect(handle_, address.c_str(), kUser, kPassword, nullptr, 3306, nullptr, 0)) {
        std::string reason = mysql_error(handle_);
        mysql_close(handle_);
        throw std::runtime_error("account session to " + address + ": connect: " + reason);
    }
}

AccountSession::~AccountSession()
{
    close();
}

Answer AccountSession::query(std::string_view sql)
{
    if (!handle_)
        throw std::runtime_error("account session: closed");
    Answer answer;
    if (mysql_real_query(handle_, sql.data(), sql.size()) != 0) {
        answer.error = mysql_errno(handle_);
        answer.text = mysql_error(handle_);
        return answer;
    }
    if (MYSQL_RES* result = mysql_store_result(handle_)) {
        answer.rows = storedRows(result);
        mysql_free_result(result);
    } else if (mysql_field_count(handle_) != 0) {
        answer.error = mysql_errno(handle_);
        answer.text = mysql_error(handle_);
    }
    return answer;
}

std::string AccountSession::scalar(std::string_view sql)
{
    const Answer answer = query(sql);
    if (!answer.ok())
        throw std::runtime_error("account session: " + std::string(sql) + ": " + answer.text);
    if (answer.rows.empty() || answer.rows.front().empty())
        throw std::runtime_error("account session: no value from " + std::string(sql));
    return answer.rows.front().front();
}

unsigned long AccountSession::connectionId()
{
    return mysql_thread_id(handle_);
}

void AccountSession::close()
{
    if (handle_)
        mysql_close(handle_);
    handle_ = nullptr;
}

}  // namespace testing_support
