// The console's own texts, in Czech like the rest of the program (UTF-8).
#pragma once

namespace cli::texts {

inline constexpr char kProgramName[] = "calendar-import-cli";

inline constexpr char kUsage[] =
    "Použití: calendar-import-cli [--host ADRESA] [--config SOUBOR] [--dry-run] [--help] [--version]";
inline constexpr char kHelp[] =
    "Zapíše kalendář roku 2008 do tabulky calendar každé databáze, kterou server vypíše.\n"
    "\n"
    "  --host ADRESA    adresa serveru; bez ní platí IP ze sekce DATABASE souboru\n"
    "                   %1 (výchozí localhost)\n"
    "  --config SOUBOR  číst adresu z jiného souboru než z toho výše\n"
    "  --dry-run        připojí se a vypíše příkaz pro každou databázi, žádný neodešle\n"
    "  --help           vypíše tuto nápovědu\n"
    "  --version        vypíše verzi programu\n"
    "\n"
    "Názvy databází a příkazy se vypisují přesně: řídicí znaky a zpětné lomítko jako \\n, \\r,\n"
    "\\t, \\\\, \\xNN, a znaky, které kódování terminálu nemá, jako \\u{XXXX}.\n"
    "\n"
    "Návratový kód: 0 běh doběhl (i s přeskočenými databázemi), 1 nepodařilo se připojit,\n"
    "2 seznam databází nešel načíst nebo se spojení přerušilo, 64 chybný příkazový řádek,\n"
    "78 konfigurační soubor existuje, ale nejde přečíst.";
inline constexpr char kUnknownArgument[] = "%1: neznámý argument %2";
inline constexpr char kValueMissing[] = "%1: volbě %2 chybí hodnota";
inline constexpr char kEmptyHost[] = "%1: volba --host potřebuje adresu; místní server je localhost";
inline constexpr char kConfigurationUnreadable[] = "%1: konfigurační soubor %2 nejde přečíst: %3";
inline constexpr char kCodePageMissing[] = "%1: kódování Windows-1250 není v tomto systému k dispozici: %2";

// One line per database, after its name.
inline constexpr char kDatabaseUpdated[] = "%1: aktualizována";
inline constexpr char kDatabaseSkipped[] = "%1: přeskočena: %2";
inline constexpr char kDatabaseListedAgain[] =
    "%1: přeskočena: název je v seznamu vícekrát, protože ho kódování relace (cp1250) neumí zapsat";
inline constexpr char kDatabaseUnknown[] = "%1: výsledek neznámý, spojení se přerušilo: %2";
inline constexpr char kConnectFailed[] = "%1: připojení k serveru %2 selhalo: %3";
inline constexpr char kListFailed[] = "%1: seznam databází nešel načíst: %2";
inline constexpr char kErrorNotice[] = "%1: %2";  // caption, text
inline constexpr char kServerError[] = "%1 (%2)";  // text, number

inline constexpr char kSummary[] =
    "Celkem databází: %1, aktualizováno: %2, přeskočeno: %3, výsledek neznámý: %4, nezpracováno: %5";
inline constexpr char kTrialSummary[] = "Celkem databází: %1, příkazů neodesláno (zkušební běh): %2";
inline constexpr char kTrialDone[] = "Zkušební běh skončil, žádný příkaz nebyl odeslán";
inline constexpr char kWriteFailed[] = "%1: výstup nejde zapsat";
inline constexpr char kProgress[] = "Zpracováno databází: %1 / %2";

}  // namespace cli::texts
