// The console's own texts, in Czech like the rest of the program. Unlike the run's
// texts (Windows-1250, from the library) these are UTF-8; both reach the terminal
// through TerminalText.
#pragma once

namespace cli::texts {

inline constexpr char kProgramName[] = "calendar-import-cli";

inline constexpr char kUsage[] = "Použití: calendar-import-cli [--host ADRESA] [--dry-run] [--help] [--version]";
inline constexpr char kHelp[] =
    "Zapíše kalendář roku 2008 do tabulky calendar každé databáze, kterou server vypíše.\n"
    "\n"
    "  --host ADRESA  adresa serveru; bez ní platí IP ze sekce DATABASE souboru\n"
    "                 %1 (výchozí localhost)\n"
    "  --dry-run      připojí se a vypíše příkaz pro každou databázi, žádný neodešle\n"
    "  --help         vypíše tuto nápovědu\n"
    "  --version      vypíše verzi programu\n"
    "\n"
    "Návratový kód: 0 běh doběhl (i s přeskočenými databázemi), 1 nepodařilo se připojit,\n"
    "2 seznam databází nešel načíst nebo se spojení přerušilo, 64 chybný příkazový řádek.";
inline constexpr char kUnknownArgument[] = "%1: neznámý argument %2";
inline constexpr char kValueMissing[] = "%1: volbě %2 chybí hodnota";

// One line per database, after its name.
inline constexpr char kDatabaseUpdated[] = "%1: aktualizována";
inline constexpr char kDatabaseSkipped[] = "%1: přeskočena: %2";
inline constexpr char kConnectFailed[] = "Připojení k serveru %1 selhalo: %2";
inline constexpr char kErrorNotice[] = "%1: %2";  // caption, text

inline constexpr char kSummary[] = "Celkem databází: %1, aktualizováno: %2, přeskočeno: %3";
inline constexpr char kTrialSummary[] = "Celkem databází: %1, příkazů neodesláno (zkušební běh): %2";
inline constexpr char kProgress[] = "Zpracováno databází: %1";

}  // namespace cli::texts
