// The outcomes a run ends with when it cannot go through the list.
#include "update/RunOutcome.h"

namespace update {

Failure programFailure(const std::exception& error)
{
    return Failure{std::nullopt, std::string("Program nemohl pokračovat: ") + error.what()};
}

RunOutcome failedInItself(const std::exception& error)
{
    return endedEarly(RunEnd::SessionLost, programFailure(error));
}

RunOutcome endedEarly(RunEnd end, Failure failure)
{
    RunOutcome outcome;
    outcome.end = end;
    outcome.failure = std::move(failure);
    return outcome;
}

}  // namespace update
