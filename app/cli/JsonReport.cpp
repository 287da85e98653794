// The JSON objects of the report, each written as one line.
#include "app/cli/JsonReport.h"

#include "app/cli/JsonText.h"
#include "app/cli/OutcomeNames.h"

namespace cli {

namespace {

std::string endName(update::RunEnd end)
{
    switch (end) {
    case update::RunEnd::NoConnection: return "no-connection";
    case update::RunEnd::ListUnreadable: return "list-unreadable";
    case update::RunEnd::SessionLost: return "session-lost";
    case update::RunEnd::Interrupted: return "interrupted";
    case update::RunEnd::SameServer: return "same-server";
    case update::RunEnd::SameCluster: return "same-cluster";
    case update::RunEnd::AnotherRun: return "another-run";
    case update::RunEnd::Replica: return "replica";
    case update::RunEnd::ReadOnly: return "read-only";
    case update::RunEnd::NodeNotWritable: return "node-not-writable";
    case update::RunEnd::Completed: break;
    }
    return "completed";
}

std::string errorJson(const update::Failure& why)
{
    JsonObject error;
    if (why.number)
        error.number("number", *why.number);
    return error.text("text", why.text).str();
}

// Each database outcome's count under its name, in the table's order.
JsonObject& withCounts(JsonObject& object, const std::array<std::size_t, update::kDatabaseOutcomes>& counts)
{
    for (const OutcomeNames& names : kOutcomeNames)
        object.number(names.jsonCount, counts[static_cast<std::size_t>(names.outcome)]);
    return object;
}

}  // namespace

JsonReport::JsonReport(ConsoleOutput& output, std::string server) : output_(output), server_(std::move(server)) {}

void JsonReport::database(const update::DatabaseResult& result)
{
    JsonObject object;
    object.text("type", "database")
        .text("server", server_)
        .text("database", result.name)
        .text("outcome", namesOf(result.outcome).json);
    if (result.why)
        object.raw("error", errorJson(*result.why));
    if (result.outcome == update::DatabaseOutcome::DryRun)
        object.text("statement", result.statement);
    output_.write(output_.out(), object.str());
}

void JsonReport::sessionNotOpened(const update::Failure& why)
{
    output_.write(output_.out(), JsonObject()
                                     .text("type", "session")
                                     .text("server", server_)
                                     .text("outcome", "not-opened")
                                     .raw("error", errorJson(why))
                                     .str());
}

void JsonReport::summary(const ServerResult& result, int exitStatus)
{
    const update::RunOutcome& outcome = result.outcome;
    JsonObject object;
    object.text("type", "summary").text("server", server_).text("end", endName(outcome.end)).number("listed", outcome.listed);
    withCounts(object, outcome.counts)
        .boolean("nothingWritten", result.nothingWritten())
        .number("exitStatus", static_cast<std::uint64_t>(exitStatus));
    if (outcome.failure)
        object.raw("error", errorJson(*outcome.failure));
    if (!outcome.takenOverBy.empty())
        object.text("takenOverBy", outcome.takenOverBy);
    if (outcome.end == update::RunEnd::SameServer)
        object.text("sameServerAs", outcome.sameServerAs);
    if (outcome.end == update::RunEnd::SameCluster)
        object.text("sameClusterAs", outcome.sameServerAs);
    if (outcome.end == update::RunEnd::AnotherRun && outcome.otherRunConnection)
        object.number("otherRunConnection", *outcome.otherRunConnection);
    if (outcome.end == update::RunEnd::NodeNotWritable)
        object.text("nodeState", outcome.nodeState);
    output_.write(output_.out(), object.str());
}

void jsonTotal(ConsoleOutput& output, const Totals& total, int exitStatus)
{
    JsonObject object;
    object.text("type", "total")
        .number("servers", total.servers)
        .number("notConnected", total.notConnected)
        .number("listed", total.listed);
    withCounts(object, total.counts).number("exitStatus", static_cast<std::uint64_t>(exitStatus));
    output.write(output.out(), object.str());
}

void jsonConfigurationFile(ConsoleOutput& output, const std::string& file, bool fileExists,
                           const std::string& server)
{
    output.write(output.out(), JsonObject()
                                   .text("type", "configuration")
                                   .text("file", file)
                                   .boolean("fileExists", fileExists)
                                   .text("server", server)
                                   .str());
}

}  // namespace cli
