// The listed names, handed out one at a time to whichever session has room for the next
// statement, in list order.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace update {

class RunTally;

class NameQueue {
public:
    // `stop`, when given, is read before each name is handed out. A name the list held
    // before is told to `tally` as listed again when its turn comes, and is not handed out.
    NameQueue(const std::atomic<bool>* stop, RunTally& tally);
    NameQueue(const NameQueue&) = delete;
    NameQueue& operator=(const NameQueue&) = delete;

    // The list has been read: its names, as listed, are handed out from now on. Sessions
    // opened before it wait for it in take().
    void open(std::vector<std::string> names);
    // No name is handed out after this: a session was lost, and the list after the
    // databases in flight stays untouched.
    void close();
    // Hands out the names after those already taken again, over a session that took over
    // from a lost one. Does nothing once a stop ended the hand-out.
    void reopen();
    // The list will not come (the run ended before it): sessions waiting for it take no
    // name. Does nothing once the list is there.
    void noList();

    // The next name to send a statement to, once the list is there; none once the list
    // is done, the stop is seen or the queue is closed, and then never again.
    std::optional<std::string> take();
    // True when take() would give no name now or later: a session that has not taken
    // one yet would have no work.
    bool finished() const;
    // Whether a stop ended the hand-out while names were left.
    bool interrupted() const;
    // The names never handed out nor told as listed again, in list order.
    std::vector<std::string> untaken() const;
    // Whether names are left that were never handed out.
    bool namesLeft() const;

private:
    bool stopSeen() const { return stop_ && stop_->load(); }

    mutable std::mutex lock_;
    std::condition_variable listArrived_;
    std::vector<std::string> names_;
    // Per name: the list held it before.
    std::vector<bool> repeat_;
    const std::atomic<bool>* const stop_;
    RunTally& tally_;
    std::size_t next_ = 0;     // the first name not yet handed out
    std::size_t waiting_ = 0;  // names still to hand out, repeats not counted
    bool opened_ = false;
    bool closed_ = false;
    bool interrupted_ = false;
};

}  // namespace update
