// The one error type raised by the database layer: a number and a text.
#pragma once

#include <stdexcept>
#include <string>

namespace data {

class DatabaseError : public std::runtime_error {
public:
    // Number 0 marks a failure found by this program itself, before or instead of the
    // client library; any other number is the client library's or the server's.
    DatabaseError(unsigned number, const std::string& text);

    unsigned number() const noexcept { return number_; }
    std::string text() const { return what(); }

    // True when the failure means the session itself is gone (the server went away,
    // the connection was killed), as opposed to one statement being refused.
    bool sessionLost() const noexcept;

private:
    unsigned number_;
};

}  // namespace data
