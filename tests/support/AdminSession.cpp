// The administrator's session over the client library linked in directly.
#include "tests/support/AdminSession.h"

#include "platform/CodePage.h"

#include "tests/support/GeneralLog.h"
#include "tests/support/StoredRows.h"

#include <gtest/gtest.h>
#include <mysql.h>

#include <array>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <stdexcept>

namespace testing_support {

namespace {

constexpr const char kSocket[] = "/run/mysqld/mysqld.sock";

[[noreturn]] void fail(MYSQL* handle, std::string_view what)
{
    throw std::runtime_error("admin session: " + std::string(what) + ": " + mysql_error(handle));
}

}  // namespace

AdminSession::AdminSession(const char* characterSet) : AdminSession(std::filesystem::path(kSocket), characterSet)
{
}

AdminSession::AdminSession(const std::filesystem::path& socket, const char* characterSet) : handle_(mysql_init(nullptr))
{
    mysql_options(handle_, MYSQL_SET_CHARSET_NAME, characterSet);
    if (!mysql_real_connect(handle_, "localhost", "root", nullptr, nullptr, 0, socket.c_str(), 0)) {
        std::string reason = mysql_error(handle_);
        mysql_close(handle_);
        throw std::runtime_error("admin session: connect: " + reason);
    }
}

AdminSession::~AdminSession()
{
    mysql_close(handle_);
}

void AdminSession::exec(std::string_view sql)
{
    if (mysql_real_query(handle_, sql.data(), sql.size()) != 0)
        fail(handle_, sql);
    if (MYSQL_RES* result = mysql_store_result(handle_))
        mysql_free_result(result);
}

Rows AdminSession::rows(std::string_view sql)
{
    if (mysql_real_query(handle_, sql.data(), sql.size()) != 0)
        fail(handle_, sql);
    MYSQL_RES* result = mysql_store_result(handle_);
    if (!result)
        fail(handle_, sql);
    Rows rows = storedRows(result);
    mysql_free_result(result);
    return rows;
}

std::map<std::string, std::string> AdminSession::namedRow(std::string_view sql)
{
    if (mysql_real_query(handle_, sql.data(), sql.size()) != 0)
        fail(handle_, sql);
    MYSQL_RES* result = mysql_store_result(handle_);
    if (!result)
        fail(handle_, sql);
    std::map<std::string, std::string> named;
    const Rows rows = storedRows(result);
    if (!rows.empty()) {
        const MYSQL_FIELD* fields = mysql_fetch_fields(result);
        for (std::size_t i = 0; i < rows.front().size(); ++i)
            named.emplace(fields[i].name, rows.front()[i]);
    }
    mysql_free_result(result);
    return named;
}

std::string AdminSession::scalar(std::string_view sql)
{
    Rows result = rows(sql);
    if (result.empty() || result.front().empty())
        throw std::runtime_error("admin session: no value from " + std::string(sql));
    return result.front().front();
}

unsigned long AdminSession::connectionId()
{
    return mysql_thread_id(handle_);
}

std::string identifier(std::string_view name)
{
    std::string quoted = "`";
    for (char c : name) {
        if (c == '`')
            quoted += '`';
        quoted += c;
    }
    return quoted + "`";
}

std::string literal(std::string_view text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

bool isSystemDatabase(std::string_view name)
{
    static constexpr std::array<std::string_view, 4> kSystem = {"information_schema", "mysql",
                                                                "performance_schema", "sys"};
    for (std::string_view system : kSystem)
        if (name == system)
            return true;
    return false;
}

std::vector<std::string> databasesListedInWindows1250()
{
    AdminSession cp1250("cp1250");
    std::vector<std::string> names;
    for (const std::vector<std::string>& row : cp1250.rows("SHOW DATABASES"))
        names.push_back(row.front());
    return names;
}

std::vector<std::string> databasesAsTheProgramSeesThem()
{
    std::vector<std::string> names;
    for (const std::string& name : databasesListedInWindows1250())
        names.push_back(platform::windows1250ToUtf8(name));
    return names;
}

void dropTenantDatabases(AdminSession& admin)
{
    for (const std::vector<std::string>& row : admin.rows("SHOW DATABASES"))
        if (!isSystemDatabase(row.front()))
            admin.exec("DROP DATABASE " + identifier(row.front()));
}

void createTenant(AdminSession& admin, std::string_view name, CalendarTable table)
{
    createTenant(admin, name, CalendarShape{.table = table});
}

void createTenant(AdminSession& admin, std::string_view name, const CalendarShape& shape)
{
    const std::string database = identifier(name);
    admin.exec("CREATE DATABASE " + database);
    if (shape.table != CalendarTable::Missing) {
        const char* key = shape.table == CalendarTable::WithKey ? " PRIMARY KEY" : "";
        const char* engine = shape.engine == Engine::MyISAM ? "MyISAM" : "InnoDB";
        admin.exec("CREATE TABLE " + database + ".`calendar` (`id` INT NOT NULL" + key +
                   ", `year` INT NOT NULL, `month` INT NOT NULL, `days` VARCHAR(31) NOT NULL) ENGINE=" + engine);
        if (shape.refusesJuly)
            admin.exec("CREATE TRIGGER " + database + ".`refuses_july` BEFORE INSERT ON " + database +
                       ".`calendar` FOR EACH ROW IF NEW.`month` = 7 THEN"
                       " SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'Červenec je uzavřen'; END IF");
    }
    // In a grant the database name is a pattern: '_' and '%' are wildcards and '\\'
    // escapes, so each of them is escaped to grant exactly this one database.
    std::string pattern;
    for (char c : name) {
        if (c == '\\' || c == '_' || c == '%')
            pattern += '\\';
        pattern += c;
    }
    for (const char* host : {"localhost", "127.0.0.1", "::1"})
        admin.exec("GRANT INSERT ON " + identifier(pattern) + ".* TO 'quorvel'@'" + host + "'");
}

std::vector<std::string> calendarRows(AdminSession& admin, std::string_view name)
{
    std::vector<std::string> result;
    for (const std::vector<std::string>& row :
         admin.rows("SELECT `id`, `year`, `month`, `days` FROM " + identifier(name) +
                    ".`calendar` ORDER BY `id`, `month`"))
        result.push_back(row[0] + "," + row[1] + "," + row[2] + "," + row[3]);
    return result;
}

void killSessionsOf(AdminSession& admin, std::string_view user)
{
    for (const std::vector<std::string>& row :
         admin.rows("SELECT ID FROM information_schema.PROCESSLIST WHERE USER = " + literal(user)))
        admin.exec("KILL CONNECTION " + row.front());
}

int sessionsOf(AdminSession& admin, std::string_view user)
{
    return std::stoi(
        admin.scalar("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER = " + literal(user)));
}

int sessionsSettledAt(AdminSession& admin, std::string_view user, int expected)
{
    // The server lets a closed session go a moment after the client has closed it; on a
    // loaded machine that moment can last seconds, so the wait is bounded generously.
    int count = sessionsOf(admin, user);
    for (int i = 0; i < 1500 && count != expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        count = sessionsOf(admin, user);
    }
    return count;
}

std::string checksumOutsideCalendars(AdminSession& admin)
{
    std::string checksums;
    for (const std::vector<std::string>& table : admin.rows(
             "SELECT TABLE_SCHEMA, TABLE_NAME FROM information_schema.TABLES"
             " WHERE TABLE_TYPE = 'BASE TABLE' AND TABLE_NAME <> 'calendar'"
             " AND TABLE_SCHEMA NOT IN ('information_schema', 'performance_schema')"
             " AND NOT (TABLE_SCHEMA = 'mysql' AND TABLE_NAME IN"
             "   ('innodb_table_stats', 'innodb_index_stats', 'general_log', 'slow_log'))"
             " ORDER BY TABLE_SCHEMA, TABLE_NAME")) {
        const std::string name = identifier(table[0]) + "." + identifier(table[1]);
        checksums += name + "=" + admin.rows("CHECKSUM TABLE " + name).front().back() + "\n";
    }
    return checksums;
}

void serverCommand(const std::string& command, const std::string& options)
{
    const std::string line = std::string(CALENDAR_TEST_SERVER_SCRIPT) + " " + command + " " + testServerDir().string() + " " + options;
    if (std::system(line.c_str()) != 0)
        throw std::runtime_error("failed: " + line);
}

void awaitNoRunOn(AdminSession& admin)
{
    // The server's own wait: it hands the lock over the moment the holder ends.
    if (admin.scalar("SELECT GET_LOCK('calendar-import', 60) + RELEASE_LOCK('calendar-import')") != "2")
        throw std::runtime_error("a run still holds the server after a minute");
}

}  // namespace testing_support
