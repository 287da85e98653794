// What the reports call each database outcome: one table, walked by the database lines,
// both summaries and the totals, so that no report can leave an outcome out.
#pragma once

#include "update/RunOutcome.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace cli {

struct OutcomeNames {
    update::DatabaseOutcome outcome;
    // The database object's "outcome" in JSON, and the count's key in the summaries.
    std::string_view json;
    std::string_view jsonCount;
    // The human report's line (UTF-8): %1 the name, %2 the reason. Empty for those without
    // one: the databases not reached (the summary counts them, the JSON lists them) and a
    // dry run's, whose line is the statement itself.
    std::string_view line;
    // The count's words in the human summaries.
    std::string_view summaryWords;
    // Whether a summary of a run that sends names the count even when it is 0; the others
    // appear only when some database came to them (a dry run names its own count always).
    bool inEverySummary;
};

using update::DatabaseOutcome;

inline constexpr std::array<OutcomeNames, update::kDatabaseOutcomes> kOutcomeNames = {{
    {DatabaseOutcome::Updated, "updated", "updated", "%1: aktualizována", "aktualizováno", true},
    {DatabaseOutcome::AlreadyThere, "already-there", "alreadyThere", "%1: kalendář už v databázi je: %2",
     "kalendář už měly", true},
    {DatabaseOutcome::Skipped, "skipped", "skipped", "%1: přeskočena: %2", "přeskočeno", true},
    {DatabaseOutcome::PossiblyPartlyWritten, "possibly-partly-written", "possiblyPartlyWritten",
     "%1: příkaz odmítnut, část řádků však možná zapsána (tabulka bez transakcí): %2", "možná zapsáno zčásti", false},
    {DatabaseOutcome::ListedAgain, "listed-again", "listedAgain",
     "%1: přeskočena: název je v seznamu vícekrát, protože ho kódování relace (cp1250) neumí zapsat",
     "název v seznamu vícekrát", false},
    {DatabaseOutcome::Unknown, "unknown", "unknown", "%1: výsledek neznámý, spojení se přerušilo: %2",
     "výsledek neznámý", true},
    {DatabaseOutcome::NotReached, "not-reached", "notReached", "", "nezpracováno", true},
    {DatabaseOutcome::DryRun, "dry-run", "dryRun", "", "příkazů neodesláno (zkušební běh)", false},
}};

constexpr bool everyOutcomeInItsPlace()
{
    for (std::size_t i = 0; i < kOutcomeNames.size(); ++i) {
        if (static_cast<std::size_t>(kOutcomeNames[i].outcome) != i)
            return false;
    }
    return true;
}
static_assert(everyOutcomeInItsPlace(), "kOutcomeNames lists the outcomes in their enumeration's order");

constexpr const OutcomeNames& namesOf(DatabaseOutcome outcome)
{
    return kOutcomeNames[static_cast<std::size_t>(outcome)];
}

}  // namespace cli
