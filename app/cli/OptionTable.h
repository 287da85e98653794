// The console program's options, one row each: the table that the command line's parser,
// the defaults of RunSettings, --help and the manual page are made from.
#pragma once

#include "app/cli/RunSettings.h"
#include "data/Pipeline.h"

#include <stdexcept>
#include <string_view>

namespace cli {

enum class OptionKind {
    Flag,          // switches `flag` of RunSettings on
    Number,        // a whole number from `low` to `high` into `number` of RunSettings
    Text,          // one value; given again, the last one counts
    Texts,         // one value each time it is given
    Choice,        // one of the words of `valueCzech`; the first one is the default
    Action,        // what the program does instead of a run (help, version)
    EndOfOptions,  // "--"
};

struct Option {
    std::string_view name;
    std::string_view shortName = {};
    OptionKind kind = OptionKind::Flag;
    // The value's name in --help and in the manual page; for a Choice, its words
    // separated by '|' (the same in both).
    std::string_view valueCzech = {};
    std::string_view valueEnglish = {};
    bool RunSettings::*flag = nullptr;
    unsigned RunSettings::*number = nullptr;
    unsigned byDefault = 0;
    unsigned low = 0;
    unsigned high = 0;
    // What it does: in Czech for --help, in English for the manual page (`text` in
    // backquotes set in bold, <text> in italics; {most-in-flight} is the pipeline's limit,
    // {untold-in-flight} its depth where the system does not tell, {port} the server's
    // port). A number's limits and default, and a choice's default, are added to both.
    std::string_view czech = {};
    std::string_view english = {};
};

// In the order --help and the manual page give them.
inline constexpr Option kOptions[] = {
    {.name = "--host", .kind = OptionKind::Texts, .valueCzech = "ADRESA", .valueEnglish = "address",
     .czech = "adresa serveru; lze zadat vícekrát, servery se pak aktualizují souběžně; bez ní platí adresa "
              "z konfiguračního souboru (viz níže)",
     .english = "Update the server at <address> (a host name or an IP address, without a port: the port is "
                "always {port}) instead of the one in the configuration file. May be given several times."},
    {.name = "--hosts-file", .kind = OptionKind::Text, .valueCzech = "SOUBOR", .valueEnglish = "file",
     .czech = "adresy serverů ze souboru, jedna na řádek, # uvozuje poznámku",
     .english = "Update the servers listed in <file>: one address a line; blanks around it, empty lines and "
                "everything from `#` to the end of a line are ignored. An address given twice is updated once. "
                "The file is UTF-8 text, or UTF-8, UTF-16LE or UTF-16BE after a byte order mark."},
    {.name = "--config", .kind = OptionKind::Text, .valueCzech = "SOUBOR", .valueEnglish = "file",
     .czech = "číst adresu z jiného konfiguračního souboru",
     .english = "Read the address from <file> instead of the installed configuration file. The file must be "
                "there and readable; otherwise the program says so and ends with status 78."},
    {.name = "--dry-run", .kind = OptionKind::Flag, .flag = &RunSettings::dryRun,
     .czech = "připojí se a vypíše příkaz pro každou databázi, žádný neodešle; text je ke čtení (escapováno jako "
              "níže), přesný příkaz je v poli statement výstupu --format json",
     .english = "Connect and list the databases as usual, and print the statement meant for each database "
                "instead of sending it. Nothing is written to the server. The text report is for reading: its "
                "statements carry the escapes described above (a backslash in a name is shown as two), so fed to "
                "a client as they stand they would name other databases. The `\"statement\"` field of "
                "`--format json` holds each statement exactly as it would be sent."},
    {.name = "--format", .kind = OptionKind::Choice, .valueCzech = "text|json", .valueEnglish = "text|json",
     .czech = "json: jeden objekt JSON na řádek na standardní výstup (databáze a souhrn), hlášení pro člověka "
              "na chybový výstup",
     .english =
         "With `json`, the standard output gets one JSON object a line and the human report goes to the standard "
         "error, so that the output can be piped into `jq`(1). When the address comes from the configuration "
         "file, a first `{\"type\":\"configuration\"}` object names the `\"file\"` read, whether it was there "
         "(`\"fileExists\"`) and the `\"server\"` it gave; the human report names them in its first line. Each "
         "database gives `{\"type\":\"database\"`, `\"server\"`, `\"database\"` (the name as the server listed "
         "it), `\"outcome\"` (one of `updated`, `skipped`, `unknown`, `not-reached`, `listed-again`, `dry-run`), "
         "and for a refusal or a lost connection `\"error\"` with the server's `\"number\"` and `\"text\"}`; "
         "each server a `\"summary\"` object with the counts, how the run ended (`\"end\"`) and its exit "
         "status; a last `\"total\"` object has each of those counts summed over all servers and the program's "
         "exit status. A further connection of `--sessions` that could not be opened or reached another server "
         "gives `{\"type\":\"session\"`, `\"server\"`, `\"outcome\":\"not-opened\"` and its `\"error\"}`."},
    {.name = "--connect-timeout", .kind = OptionKind::Number, .valueCzech = "S", .valueEnglish = "seconds",
     .number = &RunSettings::connectTimeout, .byDefault = 10, .low = 0, .high = 86400,
     .czech = "nejdelší čekání na připojení v sekundách, 0 bez omezení",
     .english = "The longest wait for the server's address and its acceptance of the connection, in seconds; "
                "0: no limit."},
    {.name = "--timeout", .kind = OptionKind::Number, .valueCzech = "S", .valueEnglish = "seconds",
     .number = &RunSettings::answerTimeout, .byDefault = 60, .low = 0, .high = 86400,
     .czech = "nejdelší čekání na kteroukoli odpověď serveru, i na jeho úvodní pozdrav při připojení, "
              "0 bez omezení",
     .english = "The longest wait for any one answer of the server, or for a request to leave, in seconds; 0: "
                "no limit. The server's greeting is an answer too: the wait to connect is never longer than this, "
                "whatever `--connect-timeout` says. A server that stops answering makes the database in flight's "
                "outcome unknown and ends that server's run with status 2."},
    {.name = "--parallel", .kind = OptionKind::Number, .valueCzech = "N", .valueEnglish = "n",
     .number = &RunSettings::parallel, .byDefault = 4, .low = 1, .high = 64,
     .czech = "kolik serverů se aktualizuje zároveň",
     .english = "Servers updated at the same time."},
    {.name = "--batch", .kind = OptionKind::Number, .valueCzech = "N", .valueEnglish = "n",
     .number = &RunSettings::batch, .byDefault = data::kMostStatementsInFlight, .low = 1, .high = 1000,
     .czech = "až N příkazů odeslaných za sebou bez čekání na odpovědi (nejvýš kolik odpovědí pojme spojení), "
              "méně čekání na pomalé síti; každý je dotaz sám za sebe; 1 čeká na odpověď ke každému",
     .english = "Send up to <n> statements one after another without waiting for their answers, and read the "
                "answers as they come. Each statement is a query of its own, exactly as without this option, "
                "and gets its own answer: a statement the server refuses changes nothing for the others, and none "
                "is sent twice. No more statements are unanswered at any time than the connection's receive buffer "
                "holds answers for, so that neither the program nor the server waits for the other to read: over "
                "TCP the program asks the system for room for {most-in-flight} (Linux gives at most its "
                "net.core.rmem_max, by default room for 405), over a local socket it counts on "
                "{untold-in-flight}. When the connection is lost, the "
                "statements sent and not answered have an unknown outcome, and those not sent yet are not "
                "reached. `--batch 1` waits for each answer before it sends the next statement."},
    {.name = "--sessions", .kind = OptionKind::Number, .valueCzech = "N", .valueEnglish = "n",
     .number = &RunSettings::sessions, .byDefault = 1, .low = 1, .high = 64,
     .czech = "N spojení k jednomu serveru, každé si bere část seznamu",
     .english = "Open <n> connections to each server; the list is read once and each connection takes the next "
                "databases from it. The further connections go to the address the first one reached (by name "
                "under `--tls`, whose certificate names the host) and take a database only once the server says "
                "that the first connection holds this command's named lock there. A further connection that cannot be opened (the server's connection "
                "limit, no thread for it) or that reached another server (behind a balancer) is closed and "
                "reported on its own line, and the others do its share. When one connection is lost, the others "
                "finish the statements they have under way and take no further database: the databases after "
                "those stay untouched, and the first loss is the server's failure (status 2). Combines with "
                "`--batch`."},
    {.name = "--tls", .kind = OptionKind::Flag, .flag = &RunSettings::tls,
     .czech = "vyžaduje šifrované spojení a ověří certifikát serveru",
     .english = "Require an encrypted connection and verify the server's certificate and its name against the "
                "system's certificate store."},
    {.name = "--tls-ca", .kind = OptionKind::Text, .valueCzech = "SOUBOR", .valueEnglish = "file",
     .czech = "certifikát autority, proti které se ověřuje (jinak systémové úložiště certifikátů); zapíná --tls",
     .english = "Verify the server's certificate against the certificate authority in <file> instead; implies "
                "`--tls`."},
    {.name = "--help", .shortName = "-h", .kind = OptionKind::Action,
     .czech = "vypíše tuto nápovědu",
     .english = "Print a short help, with the place of the configuration file, and exit."},
    {.name = "--version", .shortName = "-V", .kind = OptionKind::Action,
     .czech = "vypíše verzi programu",
     .english = "Print the program's name and version and exit."},
    {.name = "--", .kind = OptionKind::EndOfOptions,
     .czech = "konec voleb (program nebere žádné další argumenty)",
     .english = "End of the options (the program takes no operands)."},
};

// The row of the option named `name`; a name not in the table does not compile where
// it is asked for at compile time.
constexpr const Option& optionNamed(std::string_view name)
{
    for (const Option& option : kOptions) {
        if (option.name == name)
            return option;
    }
    throw std::logic_error("no such option");
}

}  // namespace cli
