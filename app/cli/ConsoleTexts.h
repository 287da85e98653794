// The console's own texts, in Czech like the rest of the program (UTF-8).
#pragma once

namespace cli::texts {

inline constexpr char kProgramName[] = "calendar-import-cli";

inline constexpr char kUsage[] =
    "Použití: calendar-import-cli [VOLBY]   (calendar-import-cli --help vypíše všechny volby)";
// The help's parts around the option table's and the exit-status table's rows.
inline constexpr char kHelpUsage[] = "Použití: calendar-import-cli";
inline constexpr char kHelpPurpose[] =
    "Zapíše kalendář roku 2008 do tabulky calendar každé databáze, kterou server vypíše.";
inline constexpr char kHelpNamesExact[] =
    "Názvy databází a příkazy se vypisují přesně: řídicí znaky a zpětné lomítko jako \\n, \\r, \\t, \\\\, "
    "\\xNN, a znaky, které kódování terminálu nemá, jako \\u{XXXX}.";
// %1: the configuration file's place, on a line of its own.
inline constexpr char kHelpConfiguration[] =
    "Bez --host a --hosts-file platí adresa IP ze sekce DATABASE souboru\n  %1 (výchozí localhost)";
// %1: the statuses of servers' runs, heaviest first.
inline constexpr char kHelpExitStatuses[] = "Návratový kód (u více serverů ten nejhorší: %1):";
inline constexpr char kHelpNumberRange[] = "(od %1 do %2, výchozí %3)";
inline constexpr char kHelpDefault[] = "(výchozí %1)";

inline constexpr char kUnknownArgument[] = "%1: neznámý argument %2";
inline constexpr char kValueMissing[] = "%1: volbě %2 chybí hodnota";
inline constexpr char kEmptyHost[] = "%1: volba --host potřebuje adresu; místní server je localhost";
inline constexpr char kWrongChoice[] = "%1: volba %3 přijímá %4, ne %2";
inline constexpr char kWrongNumber[] = "%1: volba %3 potřebuje celé číslo od %4 do %5, ne %2";
inline constexpr char kWrongCommandLine[] = "%1: chybný příkazový řádek: %2";
inline constexpr char kConfigurationUnreadable[] = "%1: konfigurační soubor %2 nejde přečíst: %3";
inline constexpr char kConfigurationMissing[] = "%1: konfigurační soubor %2 neexistuje";
// The file, the address as written there, the fixed port.
inline constexpr char kConfiguredPort[] =
    "%1: konfigurační soubor %2 uvádí adresu serveru %3 s portem; port je vždy %4 a do adresy nepatří";
// The file, why its address cannot be one.
inline constexpr char kConfiguredAddressWrong[] = "%1: konfigurační soubor %2: %3";
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
inline constexpr char kTakenOver[] = "%1: databáze serveru %2, na které se ještě nedostalo, převzal uzel %3 téhož clusteru Galera";
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
