// The run's parts that need no server: the hand-out of the listed names and the one place
// that counts what became of each database.
#include "tests/support/RecordingWindow.h"
#include "update/NameQueue.h"
#include "update/RunTally.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <future>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using testing_support::RecordingObserver;
using update::DatabaseOutcome;
using update::NameQueue;
using update::RunEnd;
using update::RunTally;

// Takes names until the queue gives none, setting the stop after `stopAfter` of them.
std::vector<std::string> takeAll(NameQueue& queue, std::atomic<bool>& stop, std::optional<std::size_t> stopAfter)
{
    std::vector<std::string> taken;
    if (stopAfter == 0u)
        stop = true;
    while (const std::optional<std::string> name = queue.take()) {
        taken.push_back(*name);
        if (stopAfter == taken.size())
            stop = true;
    }
    return taken;
}

// A stop interrupts the run only when it leaves a statement unsent; names listed again
// are told as such in their turn and never handed out; what no session took stays in
// list order for the report of those not reached.
TEST(NameQueue, HandsOutEachNameOnceAndOnlyAStopThatLeavesWorkInterrupts)
{
    const struct {
        const char* description;
        std::vector<std::string> listed;
        std::optional<std::size_t> stopAfter;
        std::vector<std::string> taken;
        std::vector<std::string> listedAgain;
        bool interrupted;
        std::vector<std::string> untaken;
    } cases[] = {
        {"no stop", {"a", "b", "c"}, std::nullopt, {"a", "b", "c"}, {}, false, {}},
        {"a stop before the first", {"a", "b"}, 0u, {}, {}, true, {"a", "b"}},
        {"a stop in the middle", {"a", "b", "c"}, 1u, {"a"}, {}, true, {"b", "c"}},
        {"a stop after the last name", {"a", "b", "c"}, 3u, {"a", "b", "c"}, {}, false, {}},
        {"names listed again", {"a", "v_?", "b", "v_?", "v_?"}, std::nullopt, {"a", "v_?", "b"}, {"v_?", "v_?"},
         false, {}},
        {"a stop with only names listed again left", {"a", "a"}, 1u, {"a"}, {"a"}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        RecordingObserver observer;
        RunTally tally(observer);
        std::atomic<bool> stop = false;
        NameQueue queue(&stop, tally);
        queue.open(c.listed);

        EXPECT_EQ(takeAll(queue, stop, c.stopAfter), c.taken);
        EXPECT_EQ(observer.listedAgain, c.listedAgain);
        EXPECT_EQ(queue.interrupted(), c.interrupted);
        EXPECT_EQ(queue.untaken(), c.untaken);
        EXPECT_TRUE(queue.finished());
        EXPECT_FALSE(queue.take()) << "a finished queue stays finished";
        EXPECT_EQ(tally.outcome(queue.interrupted()).end, c.interrupted ? RunEnd::Interrupted : RunEnd::Completed);
    }
}

TEST(NameQueue, NoNameLeavesOnceASessionIsLostOrWhenTheListNeverCame)
{
    RecordingObserver observer;
    RunTally tally(observer);
    NameQueue lost(nullptr, tally);
    lost.open({"a", "b", "c"});
    EXPECT_EQ(lost.take(), "a");
    lost.close();
    EXPECT_TRUE(lost.finished());
    EXPECT_FALSE(lost.take());
    EXPECT_FALSE(lost.interrupted());
    EXPECT_EQ(lost.untaken(), (std::vector<std::string>{"b", "c"}));

    // A session that logged in before the list waits for it, and takes nothing when the
    // run ends without one.
    NameQueue neverListed(nullptr, tally);
    EXPECT_FALSE(neverListed.finished());
    neverListed.noList();
    EXPECT_TRUE(neverListed.finished());
    EXPECT_FALSE(neverListed.take());
}

// Two sessions lost one after the other: the run's failure stays the first one's, which
// ended the run, and the databases under way in each become unknown.
TEST(RunTally, TheFirstLostSessionsFailureStaysAndEveryDatabaseInFlightIsUnknown)
{
    RecordingObserver observer;
    RunTally tally(observer);
    tally.listRead(5);
    tally.database({"a", DatabaseOutcome::Updated, nullptr, {}});
    const update::Failure first{2013u, "Lost connection to server during query"};
    const update::Failure later{2006u, "Server has gone away"};
    tally.sessionLost(std::deque<std::string>{"b", "c"}, first);
    tally.sessionLost(std::deque<std::string>{"d"}, later);

    const update::RunOutcome outcome = tally.outcome(true);
    EXPECT_EQ(outcome.end, RunEnd::SessionLost) << "a lost session outweighs a stop";
    ASSERT_TRUE(outcome.failure);
    EXPECT_EQ(outcome.failure->number, first.number);
    EXPECT_EQ(outcome.failure->text, first.text);
    EXPECT_EQ(outcome.listed, 5u);
    EXPECT_EQ(outcome.count(DatabaseOutcome::Updated), 1u);
    EXPECT_EQ(outcome.count(DatabaseOutcome::Unknown), 3u);
    EXPECT_EQ(observer.unknown, (std::vector<std::string>{"b", "c", "d"}));
}

// Another session's refusal may come before the first session has read which tables keep
// rows without transactions: it waits for that answer rather than taking every table as
// transactional. What the first session told stands; unknown is only what nobody told.
TEST(RunTally, ARefusalWaitsUntilTheTablesWithoutTransactionsAreTold)
{
    using namespace std::chrono_literals;
    RecordingObserver observer;
    {
        RunTally tally(observer);
        std::future<bool> keyed = std::async(std::launch::async, [&] { return tally.transactional("keyed"); });
        std::future<bool> plain = std::async(std::launch::async, [&] { return tally.transactional("plain"); });
        EXPECT_EQ(keyed.wait_for(200ms), std::future_status::timeout) << "answered before it was told";
        tally.nonTransactional(std::set<std::string>{"plain"});
        tally.nonTransactionalUnknown();
        EXPECT_TRUE(keyed.get());
        EXPECT_FALSE(plain.get());
        EXPECT_TRUE(tally.transactional("keyed")) << "told once: the later unknown changes nothing";
    }
    {
        RunTally tally(observer);
        std::future<bool> keyed = std::async(std::launch::async, [&] { return tally.transactional("keyed"); });
        tally.nonTransactionalUnknown();
        EXPECT_FALSE(keyed.get()) << "nobody knows: any table may have kept rows";
    }
}

}  // namespace
