// The host text's rules: a host and nothing more, an IPv6 address taken whole.
#include "data/DatabaseError.h"
#include "data/HostText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// ':' would carry a port in a host text, so it is refused there, except in a text that
// is an IPv6 address as a whole.
TEST(HostText, CarriesAHostAndNothingMore)
{
    const struct {
        std::string host;
        bool accepted;
    } cases[] = {
        {"localhost", true},
        {"db.example.cz", true},
        {"192.0.2.10", true},
        {"::1", true},
        {"0:0:0:0:0:0:0:1", true},
        {"fd00::10", true},
        {"", true},
        {"localhost:3306", false},
        {"127.0.0.1:3306", false},
        {"[::1]:3306", false},
        {"::1,127.0.0.1", false},
        {"::1/64", false},
        {"/run/mysqld/mysqld.sock", false},
        {"db?ssl=1", false},
        {"db?ssl", false},
        {"host=db;port=3306", false},
        {std::string("127.0.0.2\0x", 11), false},
        {std::string("::1\0", 4), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        if (c.accepted) {
            EXPECT_NO_THROW(data::checkHostText(c.host, c.host));
            continue;
        }
        try {
            data::checkHostText(c.host, c.host);
            ADD_FAILURE() << "accepted";
        } catch (const data::ProgramError& error) {
            // The message names the text up to a NUL, which no message may carry.
            EXPECT_NE(error.text().find('"' + c.host.substr(0, c.host.find('\0')) + '"'), std::string::npos)
                << error.text();
            EXPECT_EQ(error.text().find('\0'), std::string::npos);
        }
    }
}

// Only a name is looked up (with a time limit of the program's own); an address is not.
TEST(HostText, TellsAnAddressFromANameToLookUp)
{
    const struct {
        const char* host;
        bool literal;
    } cases[] = {
        {"", true},
        {"localhost", true},
        {"127.0.0.1", true},
        {"192.0.2.10", true},
        {"::1", true},
        {"fd00::10", true},
        {"db.example.cz", false},
        {"server", false},
        {"127.0.0.1.example.cz", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        EXPECT_EQ(data::isAddressLiteral(c.host), c.literal);
    }
}

}  // namespace
