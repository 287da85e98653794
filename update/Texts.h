// The texts the program shows to its user, in UTF-8 like every text inside the program.
#pragma once

#include <string_view>

namespace update {

inline constexpr std::string_view kCaptionStart = "SPUSTIT >>>";
inline constexpr std::string_view kCaptionConnecting = "Připojuji se";

inline constexpr std::string_view kNoticeCaptionError = "CHYBA";
inline constexpr std::string_view kNoticeCaptionOk = "OK";

inline constexpr std::string_view kNoticeConnectFailed = "Nepodařilo se připojit k serveru !";
inline constexpr std::string_view kNoticeDone = "Aktualizace dokončena";
inline constexpr std::string_view kNoticeListUnreadable = "Nepodařilo se načíst seznam databází !";
inline constexpr std::string_view kNoticeSessionLost = "Spojení se serverem bylo přerušeno !";
// Instead of kNoticeConnectFailed when the client library could not be loaded at all: the
// first line, then where it was looked for, the file names joined by kOr.
inline constexpr std::string_view kNoticeClientLibraryMissing = "Klientská knihovna MySQL chybí nebo ji nejde načíst.";
inline constexpr std::string_view kLibraryLookedForInFolder = "Hledána ve složce programu %1 jako %2.";
inline constexpr std::string_view kLibraryLookedForBySystem = "Hledána mezi knihovnami systému jako %2.";
inline constexpr std::string_view kOr = " nebo ";
inline constexpr std::string_view kNoticeAnotherRun =
    "Aktualizaci tohoto serveru právě provádí jiný běh programu, nic nebylo zapsáno !";
inline constexpr std::string_view kNoticeNotWritable =
    "Server zápisy nepřijímá (replika, jen pro čtení nebo uzel mimo cluster), nic nebylo zapsáno !";

}  // namespace update
