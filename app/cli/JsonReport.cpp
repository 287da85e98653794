// The JSON objects of the report, each written as one line.
#include "app/cli/JsonReport.h"

#include "app/cli/JsonText.h"

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

}  // namespace

JsonReport::JsonReport(ConsoleOutput& output, std::string server) : output_(output), server_(std::move(server)) {}

void JsonReport::database(std::string_view name, std::string_view outcome, const update::Failure* why,
                          std::string_view statement)
{
    JsonObject object;
    object.text("type", "database").text("server", server_).text("database", name).text("outcome", outcome);
    if (why)
        object.raw("error", errorJson(*why));
    if (!statement.empty())
        object.text("statement", statement);
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
    object.text("type", "summary")
        .text("server", server_)
        .text("end", endName(outcome.end))
        .number("listed", outcome.listed)
        .number("updated", outcome.updated)
        .number("skipped", outcome.skipped)
        .number("listedAgain", outcome.listedAgain)
        .number("unknown", outcome.unknown.size())
        .number("notReached", outcome.notReached())
        .number("dryRun", outcome.keptBack)
        .boolean("nothingWritten", result.nothingWritten())
        .number("exitStatus", static_cast<std::uint64_t>(exitStatus));
    if (outcome.failure)
        object.raw("error", errorJson(*outcome.failure));
    if (outcome.end == update::RunEnd::SameServer)
        object.text("sameServerAs", outcome.sameServerAs);
    output_.write(output_.out(), object.str());
}

void jsonTotal(ConsoleOutput& output, const Totals& total, int exitStatus)
{
    output.write(output.out(), JsonObject()
                                   .text("type", "total")
                                   .number("servers", total.servers)
                                   .number("notConnected", total.notConnected)
                                   .number("listed", total.listed)
                                   .number("updated", total.updated)
                                   .number("skipped", total.skipped)
                                   .number("listedAgain", total.listedAgain)
                                   .number("unknown", total.unknown)
                                   .number("notReached", total.notReached)
                                   .number("dryRun", total.keptBack)
                                   .number("exitStatus", static_cast<std::uint64_t>(exitStatus))
                                   .str());
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
