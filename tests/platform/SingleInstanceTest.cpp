// The claim of the one running window program: the first holds it, every later claim of
// the same name finds it taken until the first is gone.
#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#if defined(_WIN32)
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace {

// A name of this test process alone, so that parallel test runs do not meet.
std::string testName(const char* purpose)
{
    return std::string("calendar-test-") + purpose + "-" + std::to_string(getpid());
}

TEST(InstanceClaim, OnlyTheFirstHoldsItUntilItIsGone)
{
    const std::string name = testName("one");
    {
        platform::InstanceClaim first(name);
        EXPECT_TRUE(first.held());
        {
            platform::InstanceClaim second(name);
            EXPECT_FALSE(second.held()) << "a second claim while the first holds it";
            platform::InstanceClaim third(name);
            EXPECT_FALSE(third.held()) << "the second's end must not free it either";
        }
        platform::InstanceClaim again(name);
        EXPECT_FALSE(again.held()) << "the first still holds it";
        platform::InstanceClaim otherName(testName("other"));
        EXPECT_TRUE(otherName.held()) << "another name is another claim";
    }
    platform::InstanceClaim afterTheFirst(name);
    EXPECT_TRUE(afterTheFirst.held()) << "the first is gone";
}

#if !defined(_WIN32)
// Here a login session is the display the window goes to: another display, another claim.
TEST(InstanceClaim, AnotherDisplayIsAnotherSession)
{
    const std::string name = testName("display");
    const char* before = std::getenv("DISPLAY");
    const std::string saved = before ? before : "";
    setenv("DISPLAY", ":71", 1);
    platform::InstanceClaim first(name);
    setenv("DISPLAY", ":72", 1);
    platform::InstanceClaim otherDisplay(name);
    setenv("DISPLAY", ":71", 1);
    platform::InstanceClaim sameDisplay(name);
    if (before)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
    EXPECT_TRUE(first.held());
    EXPECT_TRUE(otherDisplay.held());
    EXPECT_FALSE(sameDisplay.held());
}
#endif

}  // namespace
