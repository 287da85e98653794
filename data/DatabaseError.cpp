// Classification of the database layer's errors.
#include "data/DatabaseError.h"

#include <algorithm>
#include <array>

namespace data {

namespace {

// Client errors when the server closes the socket or stops answering, and the server's
// own notices to a session that another session killed or that a shutdown ends.
constexpr std::array<unsigned, 5> kSessionLostNumbers = {
    2006,  // server has gone away
    2013,  // lost connection to server during query
    2055,  // lost connection to server at '%s', system error
    1927,  // connection was killed
    1053,  // server shutdown in progress
};

}  // namespace

DatabaseError::DatabaseError(unsigned number, const std::string& text) : Error(text), number_(number) {}

bool DatabaseError::sessionLost() const noexcept
{
    return std::find(kSessionLostNumbers.begin(), kSessionLostNumbers.end(), number_) != kSessionLostNumbers.end();
}

}  // namespace data
