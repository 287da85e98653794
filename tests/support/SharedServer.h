// The suite's shared test server, checked before each test that needs it.
#pragma once

namespace testing_support {

// Returns when the suite's server answers. When it does not, the first test to find it
// gone fails with one message that says so (the server's folder, its process, the end of
// its log) and leaves a note in the server's folder; every later test of the suite is then
// skipped with a line pointing at that message, instead of failing for a reason of its own.
// `test-server start` and `restart` remove the note.
void requireSharedServer();

}  // namespace testing_support
