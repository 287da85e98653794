// The probe and proof statements in a server's log, whose command lock differs from run
// to run, as fixed marks that a test can expect.
#pragma once

#include "update/ServerProbe.h"

#include <string>
#include <vector>

namespace testing_support {

inline constexpr char kProbeMark[] = "<probe>";
inline constexpr char kProofMark[] = "<proof>";

inline std::string probeMarked(const std::string& query)
{
    if (query.starts_with(update::kProbeStatementStart))
        return kProbeMark;
    if (query.starts_with(update::kProofStatementStart))
        return kProofMark;
    return query;
}

inline std::vector<std::string> probesMarked(std::vector<std::string> queries)
{
    for (std::string& query : queries)
        query = probeMarked(query);
    return queries;
}

}  // namespace testing_support
