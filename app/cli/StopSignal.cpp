// The stop request that both systems' signal handlers record.
#include "app/cli/StopSignal.h"

namespace cli {

bool StopRequest::record(int signal) noexcept
{
    int none = 0;
    if (!signal_.compare_exchange_strong(none, signal))
        return false;
    requested_.store(true);
    return true;
}

StopRequest& programStopRequest()
{
    static StopRequest request;
    return request;
}

const std::atomic<bool>& stopRequested()
{
    return programStopRequest().requested();
}

int stopSignalNumber()
{
    return programStopRequest().signal();
}

}  // namespace cli
