// The program's account (quorvel) on a server over TCP, as the program logs in, for tests
// that ask a server what that account may see and do; independent of the program's code.
#pragma once

#include "tests/support/AdminSession.h"

#include <string>
#include <string_view>

struct st_mysql;

namespace testing_support {

// A statement's answer: its rows, or the server's refusal.
struct Answer {
    unsigned error = 0;  // 0 when it succeeded
    std::string text;    // the server's text for the error
    Rows rows;

    bool ok() const { return error == 0; }
};

class AccountSession {
public:
    // Logs in to `address`:3306, character set utf8mb4; a failure fails the test at once.
    explicit AccountSession(const std::string& address);
    ~AccountSession();
    AccountSession(const AccountSession&) = delete;
    AccountSession& operator=(const AccountSession&) = delete;

    Answer query(std::string_view sql);
    // The first value of a statement that must succeed.
    std::string scalar(std::string_view sql);
    unsigned long connectionId();
    // Ends the session now, as the program's end or a lost client would.
    void close();

private:
    st_mysql* handle_;
};

}  // namespace testing_support
