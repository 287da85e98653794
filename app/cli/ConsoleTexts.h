// The console's own texts, in Czech like the rest of the program (UTF-8).
#pragma once

namespace cli::texts {

inline constexpr char kProgramName[] = "calendar-import-cli";

inline constexpr char kUsage[] =
    "Použití: calendar-import-cli [VOLBY]   (calendar-import-cli --help vypíše všechny volby)";
inline constexpr char kHelp[] =
    "Použití: calendar-import-cli [--host ADRESA]... [--hosts-file SOUBOR] [--config SOUBOR]\n"
    "           [--dry-run] [--format text|json] [--connect-timeout S] [--timeout S]\n"
    "           [--parallel N] [--batch N] [--sessions N] [--tls] [--tls-ca SOUBOR]\n"
    "\n"
    "Zapíše kalendář roku 2008 do tabulky calendar každé databáze, kterou server vypíše.\n"
    "\n"
    "  --host ADRESA        adresa serveru; lze zadat vícekrát, servery se pak aktualizují\n"
    "                       souběžně; bez ní platí IP ze sekce DATABASE souboru\n"
    "                       %1 (výchozí localhost)\n"
    "  --hosts-file SOUBOR  adresy serverů ze souboru, jedna na řádek, # uvozuje poznámku\n"
    "  --config SOUBOR      číst adresu z jiného konfiguračního souboru než z toho výše\n"
    "  --dry-run            připojí se a vypíše příkaz pro každou databázi, žádný neodešle;\n"
    "                       text je ke čtení (escapováno jako níže), přesný příkaz je\n"
    "                       v poli statement výstupu --format json\n"
    "  --format text|json   json: jeden objekt JSON na řádek na standardní výstup\n"
    "                       (databáze a souhrn), hlášení pro člověka na chybový výstup\n"
    "  --connect-timeout S  nejdelší čekání na připojení v sekundách (výchozí 10, 0 bez omezení)\n"
    "  --timeout S          nejdelší čekání na kteroukoli odpověď serveru, i na jeho úvodní\n"
    "                       pozdrav při připojení (výchozí 60, 0 bez omezení)\n"
    "  --parallel N         kolik serverů se aktualizuje zároveň (výchozí 4)\n"
    "  --batch N            až N příkazů odeslaných za sebou bez čekání na odpovědi (nejvýš\n"
    "                       124 zároveň), méně čekání na pomalé síti; každý je dotaz sám\n"
    "                       za sebe (výchozí 124; 1 čeká na odpověď ke každému)\n"
    "  --sessions N         N spojení k jednomu serveru, každé si bere část seznamu (výchozí 1)\n"
    "  --tls                vyžaduje šifrované spojení a ověří certifikát serveru\n"
    "  --tls-ca SOUBOR      certifikát autority, proti které se ověřuje (jinak systémové\n"
    "                       úložiště certifikátů); zapíná --tls\n"
    "  -h, --help           vypíše tuto nápovědu\n"
    "  -V, --version        vypíše verzi programu\n"
    "\n"
    "Názvy databází a příkazy se vypisují přesně: řídicí znaky a zpětné lomítko jako \\n, \\r,\n"
    "\\t, \\\\, \\xNN, a znaky, které kódování terminálu nemá, jako \\u{XXXX}.\n"
    "\n"
    "Návratový kód (u více serverů ten nejhorší: 2, 1, 3, 0):\n"
    "  0   běh doběhl a něco zapsal nebo kalendář už v databázích byl (i s přeskočenými)\n"
    "  1   nepodařilo se připojit\n"
    "  2   seznam databází nešel načíst nebo se spojení přerušilo\n"
    "  3   nic nebylo zapsáno: všechny databáze příkaz odmítly\n"
    "  64  chybný příkazový řádek\n"
    "  66  soubor se seznamem serverů nejde přečíst\n"
    "  69  kódování Windows-1250 není v systému k dispozici\n"
    "  70  vnitřní chyba programu (vypíše jeden řádek s popisem)\n"
    "  74  výstup nejde zapsat\n"
    "  78  konfigurační soubor existuje, ale nejde přečíst, nebo soubor z --config neexistuje\n"
    "  130, 143  běh přerušen signálem SIGINT, SIGTERM (souhrn se vypíše)";
inline constexpr char kUnknownArgument[] = "%1: neznámý argument %2";
inline constexpr char kValueMissing[] = "%1: volbě %2 chybí hodnota";
inline constexpr char kEmptyHost[] = "%1: volba --host potřebuje adresu; místní server je localhost";
inline constexpr char kWrongFormat[] = "%1: volba --format přijímá text nebo json, ne %2";
inline constexpr char kWrongNumber[] = "%1: volba %3 potřebuje celé číslo od %4 do %5, ne %2";
inline constexpr char kWrongCommandLine[] = "%1: chybný příkazový řádek: %2";
inline constexpr char kConfigurationUnreadable[] = "%1: konfigurační soubor %2 nejde přečíst: %3";
inline constexpr char kConfigurationMissing[] = "%1: konfigurační soubor %2 neexistuje";
// Before the run, when the address comes from the configuration file: the file, the address.
inline constexpr char kConfigurationRead[] = "Konfigurační soubor %1, adresa serveru %2";
inline constexpr char kConfigurationAbsent[] = "Konfigurační soubor %1 neexistuje, adresa serveru %2";
inline constexpr char kHostsFileUnreadable[] = "%1: soubor se seznamem serverů %2 nejde přečíst: %3";
inline constexpr char kHostsFileEmpty[] = "%1: soubor se seznamem serverů %2 neobsahuje žádnou adresu";
inline constexpr char kCodePageMissing[] = "%1: kódování Windows-1250 není v tomto systému k dispozici: %2";

// After a failure's text, its number.
inline constexpr char kServerError[] = "%1 (%2)";  // text, number
// Before each line of one server when there are several.
inline constexpr char kServerPrefix[] = "[%1] ";

// One line for each failure; the server's reason at the end.
inline constexpr char kConnectFailed[] = "%1: nepodařilo se připojit k serveru %2: %3";
inline constexpr char kFurtherSessionFailed[] = "%1: další spojení k serveru %2 se nepodařilo otevřít: %3";
inline constexpr char kListFailed[] = "%1: seznam databází serveru %2 nešel načíst: %3";
inline constexpr char kSessionLost[] = "%1: spojení se serverem %2 se přerušilo: %3";
inline constexpr char kNothingWritten[] = "%1: na serveru %2 nebylo nic zapsáno: všechny databáze příkaz odmítly";
inline constexpr char kSameServer[] = "%1: server %2 je tentýž server jako %3, podruhé se neaktualizuje";
inline constexpr char kSameCluster[] = "%1: server %2 je uzel téhož clusteru Galera jako %3, podruhé se neaktualizuje";
// The other run's connection id on that server.
inline constexpr char kAnotherRun[] = "%1: server %2 právě aktualizuje jiný běh programu (jeho spojení %3), nic se nezapisuje";
inline constexpr char kAnotherRunUnknown[] = "%1: server %2 právě aktualizuje jiný běh programu, nic se nezapisuje";
inline constexpr char kReplica[] = "%1: server %2 je replika (replikace běží), nic se na něj nezapisuje";
inline constexpr char kReadOnly[] = "%1: server %2 je jen pro čtení (read_only), nic se na něj nezapisuje";
inline constexpr char kNodeNotWritable[] = "%1: uzel %2 clusteru Galera teď zápisy nepřijímá (%3), nic se na něj nezapisuje";
inline constexpr char kInterrupted[] = "%1: běh přerušen signálem, zbylé databáze serveru %2 nezpracovány";

// The summaries: the databases listed, then the count of each outcome that has any, each
// as kOutcomeCount with the outcome's words from OutcomeNames.h (", aktualizováno: 3").
inline constexpr char kSummary[] = "Celkem databází: %1%2";
inline constexpr char kTotalSummary[] = "Všechny servery (%1, nepřipojeno: %2): celkem databází: %3%4";
inline constexpr char kOutcomeCount[] = ", %1: %2";
inline constexpr char kDryRunDone[] = "Zkušební běh skončil, žádný příkaz nebyl odeslán";
inline constexpr char kWriteFailed[] = "%1: výstup nejde zapsat";
inline constexpr char kInternalError[] = "%1: vnitřní chyba programu: %2";
inline constexpr char kProgress[] = "Zpracováno databází: %1 / %2";

}  // namespace cli::texts
