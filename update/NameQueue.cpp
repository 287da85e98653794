// Handing out the list's names, each once.
#include "update/NameQueue.h"

#include "update/RunTally.h"

#include <string_view>
#include <unordered_set>

namespace update {

NameQueue::NameQueue(const std::atomic<bool>* stop, RunTally& tally) : stop_(stop), tally_(tally) {}

void NameQueue::open(std::vector<std::string> names)
{
    {
        const std::lock_guard<std::mutex> guard(lock_);
        names_ = std::move(names);
        repeat_.assign(names_.size(), false);
        // The server lists no name twice; a repeat is a name the session's code page
        // turned into another's, and its statement would reach the wrong database.
        std::unordered_set<std::string_view> seen;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            repeat_[i] = !seen.insert(names_[i]).second;
            waiting_ += repeat_[i] ? 0 : 1;
        }
        opened_ = true;
    }
    listArrived_.notify_all();
}

void NameQueue::noList()
{
    {
        const std::lock_guard<std::mutex> guard(lock_);
        closed_ = closed_ || !opened_;
    }
    listArrived_.notify_all();
}

void NameQueue::close()
{
    {
        const std::lock_guard<std::mutex> guard(lock_);
        closed_ = true;
    }
    listArrived_.notify_all();
}

void NameQueue::reopen()
{
    const std::lock_guard<std::mutex> guard(lock_);
    closed_ = interrupted_ || !opened_;
}

std::optional<std::string> NameQueue::take()
{
    std::unique_lock<std::mutex> guard(lock_);
    listArrived_.wait(guard, [this] { return opened_ || closed_; });
    while (!closed_ && next_ < names_.size()) {
        // Only a stop that leaves a statement unsent interrupts the run.
        if (waiting_ > 0 && stopSeen()) {
            interrupted_ = true;
            closed_ = true;
            break;
        }
        const std::size_t i = next_++;
        if (repeat_[i]) {
            tally_.database({names_[i], DatabaseOutcome::ListedAgain, nullptr, {}});
            continue;
        }
        --waiting_;
        return names_[i];
    }
    return std::nullopt;
}

bool NameQueue::finished() const
{
    const std::lock_guard<std::mutex> guard(lock_);
    return closed_ || stopSeen() || (opened_ && waiting_ == 0);
}

bool NameQueue::interrupted() const
{
    const std::lock_guard<std::mutex> guard(lock_);
    return interrupted_;
}

std::vector<std::string> NameQueue::untaken() const
{
    const std::lock_guard<std::mutex> guard(lock_);
    return {names_.begin() + static_cast<std::ptrdiff_t>(next_), names_.end()};
}

bool NameQueue::namesLeft() const
{
    const std::lock_guard<std::mutex> guard(lock_);
    return opened_ && next_ < names_.size();
}

}  // namespace update
