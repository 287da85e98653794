// The run's texts in Windows-1250, the code page of every text the program handles.
// Letters beyond ASCII are written as bytes; the comment beside each gives its reading.
#pragma once

#include <string_view>

namespace update {

inline constexpr std::string_view kCaptionStart = "SPUSTIT >>>";
inline constexpr std::string_view kCaptionConnecting = "P\xF8ipojuji se";  // Připojuji se

inline constexpr std::string_view kNoticeCaptionError = "CHYBA";
inline constexpr std::string_view kNoticeCaptionOk = "OK";

// Nepodařilo se připojit k serveru !
inline constexpr std::string_view kNoticeConnectFailed = "Nepoda\xF8ilo se p\xF8ipojit k serveru !";
// Aktualizace dokončena
inline constexpr std::string_view kNoticeDone = "Aktualizace dokon\xE8" "ena";
// Nepodařilo se načíst seznam databází !
inline constexpr std::string_view kNoticeListUnreadable =
    "Nepoda\xF8ilo se na\xE8\xEDst seznam datab\xE1z\xED !";
// Spojení se serverem bylo přerušeno !
inline constexpr std::string_view kNoticeSessionLost =
    "Spojen\xED se serverem bylo p\xF8" "eru\x9A" "eno !";

}  // namespace update
