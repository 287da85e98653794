// Opening the further sessions, proving where each arrived, and their work.
#include "update/FurtherSessions.h"

#include "data/Connection.h"
#include "update/NameQueue.h"
#include "update/RunTally.h"
#include "update/SessionWorker.h"

namespace update {

namespace {

// Why `session` may not take a name: none when its server is the first one's.
std::optional<data::Failure> differentServer(data::Connection& session, const ServerProbe& first,
                                            std::string_view commandLock)
{
    // The command's lock is the first session's on its server only: held there by that
    // session's id, it proves the server; ids of other servers prove nothing, since only
    // the server that holds the lock answers with a holder.
    const std::optional<std::uint64_t> holder = readProof(session, commandLock);
    if (holder == first.connectionId)
        return std::nullopt;
    return data::Failure{std::nullopt, "spojení vedlo k jinému serveru (" + session.peerAddress() + ")"};
}

}  // namespace

FurtherSessions::FurtherSessions(FirstSession first, std::size_t count, std::size_t depth, NameQueue& queue,
                                 RunTally& tally)
    : first_(std::move(first)),
      openingStatements_(first_.proofWanted ? std::vector<std::string>{proofStatement(first_.commandLock)} : std::vector<std::string>{}),
      depth_(depth),
      queue_(queue),
      tally_(tally)
{
    for (std::size_t i = 0; i < count; ++i) {
        try {
            threads_.emplace_back([this] { work(); });
        } catch (const std::exception& error) {
            // No thread for this session: the others do its share.
            tally_.sessionNotOpened(programFailure(error));
        }
    }
}

FurtherSessions::~FurtherSessions()
{
    {
        const std::lock_guard<std::mutex> guard(lock_);
        abandoned_ = !firstServerKnown_;
    }
    decided_.notify_all();
    queue_.noList();
    threads_.clear();
}

void FurtherSessions::firstServerIs(const ServerProbe& probe)
{
    {
        const std::lock_guard<std::mutex> guard(lock_);
        firstServer_ = probe;
        firstServerKnown_ = true;
    }
    decided_.notify_all();
}

std::optional<ServerProbe> FurtherSessions::awaitFirstServer()
{
    std::unique_lock<std::mutex> guard(lock_);
    decided_.wait(guard, [this] { return firstServerKnown_ || abandoned_; });
    if (!firstServerKnown_)
        return std::nullopt;
    return firstServer_;
}

// Nothing thrown leaves a session's thread: a session that could not be opened or proven
// says why, even when the others have meanwhile done all the work, once its run has gone
// on to read the list. One that finds no work left before or while it logs in, or whose
// run ended without a list (the first session's own failure is the run's story then),
// closes at once and says nothing.
void FurtherSessions::work() noexcept
{
    const auto noWork = [this] { return queue_.finished(); };
    std::optional<data::Failure> notOpened;
    try {
        if (noWork())
            return;
        data::Connection session(first_.settings);
        if (!first_.address.empty())
            session.settings.HostName = first_.address;
        try {
            session.connect(openingStatements_, [&] { return !noWork(); });
            if (!session.connected())
                return;
            if (first_.proofWanted) {
                const std::optional<ServerProbe> firstServer = awaitFirstServer();
                if (!firstServer)
                    return;
                notOpened = differentServer(session, *firstServer, first_.commandLock);
            }
        } catch (const data::Error& error) {
            notOpened = error.failure();
        }
        if (!notOpened) {
            // With no name left for it, it sends nothing and closes at once.
            SessionWorker(session, depth_, queue_, tally_).run();
            return;
        }
    } catch (const std::exception& error) {
        notOpened = programFailure(error);
    }
    report(*notOpened);
}

void FurtherSessions::report(const data::Failure& whyNotOpened) noexcept
{
    try {
        if (!awaitFirstServer())
            return;
        tally_.sessionNotOpened(whyNotOpened);
    } catch (...) {
        // Reporting failed as well; the run's counts still hold.
    }
}

}  // namespace update
