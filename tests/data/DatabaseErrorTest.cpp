// Which failures mean that the session is gone, and which are the program's own.
#include "data/DatabaseError.h"

#include <gtest/gtest.h>

namespace {

// 2006 and 2013 are what the fault tests against the real server meet and prove. These are
// the numbers none of those faults brings about (every kill and shutdown tried there reaches
// the client as 2006 or 2013): 2055, a socket's system error, and the server's own notices
// of a kill or a shutdown; and the refusals of one statement, which must never end the run.
TEST(DatabaseError, SessionLostOnlyForTheNumbersThatEndASession)
{
    const struct {
        unsigned number;
        bool lost;
    } cases[] = {
        {2055, true},   // lost connection, system error
        {1927, true},   // connection killed
        {1053, true},   // server shutdown in progress
        {1062, false},  // duplicate entry: one statement refused
        {1146, false},  // no such table
        {1142, false},  // command denied
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(data::DatabaseError(c.number, "x").sessionLost(), c.lost);
    }
}

TEST(DatabaseError, TheProgramsOwnFailuresCarryNoNumber)
{
    const data::ProgramError own("No session is open");
    EXPECT_FALSE(own.failure().number);
    const data::DatabaseError fromServer(2006, "MySQL server has gone away");
    EXPECT_EQ(fromServer.failure().number, 2006u);
}

}  // namespace
