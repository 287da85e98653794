// Linked into every test program that needs the suite's server (add_server_tests): before
// its tests, the server is checked, so that a server that died is reported once.
#include "tests/support/SharedServer.h"

#include <gtest/gtest.h>

namespace {

// Before any fixture is made: the fixtures of the server tests connect in their
// constructors, which would fail for a reason of their own.
class SharedServerCheck : public ::testing::Environment {
public:
    void SetUp() override { testing_support::requireSharedServer(); }
};

[[maybe_unused]] ::testing::Environment* const gCheck = ::testing::AddGlobalTestEnvironment(new SharedServerCheck);

}  // namespace
