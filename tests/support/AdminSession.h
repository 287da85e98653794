// An administrator's session to the test server, independent of the program's own code.
#pragma once

#include "tests/support/ExpectedCalendar.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct st_mysql;

namespace testing_support {

using Rows = std::vector<std::vector<std::string>>;

// root over the socket, character set utf8mb4; every failure fails the test at once.
class AdminSession {
public:
    // The test server's socket.
    explicit AdminSession(const char* characterSet = "utf8mb4");
    // Another server's socket (a server of a fleet).
    explicit AdminSession(const std::filesystem::path& socket, const char* characterSet = "utf8mb4");
    ~AdminSession();
    AdminSession(const AdminSession&) = delete;
    AdminSession& operator=(const AdminSession&) = delete;

    void exec(std::string_view sql);
    Rows rows(std::string_view sql);
    // The first row by column name (empty when there is none), for statements such as
    // SHOW SLAVE STATUS whose columns are many.
    std::map<std::string, std::string> namedRow(std::string_view sql);
    std::string scalar(std::string_view sql);
    unsigned long connectionId();

private:
    st_mysql* handle_;
};

// `name` quoted as an identifier (backquotes doubled).
std::string identifier(std::string_view name);
// `text` as a string literal (quotes and backslashes escaped).
std::string literal(std::string_view text);

// Waits until no session holds the run lock that every run of the program takes on its
// server: a session that a run closed lets it go only once the server has ended it.
void awaitNoRunOn(AdminSession& admin);

// The databases the server keeps for itself; everything else is a tenant.
bool isSystemDatabase(std::string_view name);

enum class CalendarTable { WithKey, WithoutKey, Missing };
enum class Engine { InnoDB, MyISAM };

// A tenant's calendar table as a test wants it. MyISAM keeps the rows a refused multi-row
// insert wrote before the refusal; InnoDB keeps none.
struct CalendarShape {
    CalendarTable table = CalendarTable::WithKey;
    Engine engine = Engine::InnoDB;
    // A trigger refuses the row of month 7 (SIGNAL, error 1644 "Červenec je uzavřen").
    bool refusesJuly = false;
};

// The databases as the program's session lists them (Windows-1250), in the server's order.
std::vector<std::string> databasesListedInWindows1250();
// The same names as the program holds them: decoded from Windows-1250 to UTF-8.
std::vector<std::string> databasesAsTheProgramSeesThem();

// Removes every tenant database, so that each test starts with the server's own only.
void dropTenantDatabases(AdminSession& admin);
// A tenant database (name in utf8mb4) whose account may insert into it.
void createTenant(AdminSession& admin, std::string_view name, CalendarTable table);
void createTenant(AdminSession& admin, std::string_view name, const CalendarShape& shape);
// The rows of the tenant's calendar as "id,year,month,days", ordered by id and month.
std::vector<std::string> calendarRows(AdminSession& admin, std::string_view name);

// Ends every session of the program's account, as an administrator's KILL would.
void killSessionsOf(AdminSession& admin, std::string_view user);
// How many sessions the account has open on the server now.
int sessionsOf(AdminSession& admin, std::string_view user);
// The same, once it is `expected` or after half a minute of waiting for it.
int sessionsSettledAt(AdminSession& admin, std::string_view user, int expected);

// A checksum of every table outside the `calendar` tables (and outside what the server
// changes on its own: statistics, performance and information schemas).
std::string checksumOutsideCalendars(AdminSession& admin);

// Controls the test server through tests/server/test-server (CALENDAR_TEST_SERVER_SCRIPT).
void serverCommand(const std::string& command, const std::string& options = "");

}  // namespace testing_support
