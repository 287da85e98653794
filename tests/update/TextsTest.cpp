// The run's Windows-1250 texts read as the Czech words they stand for.
#include "platform/CodePage.h"
#include "update/Texts.h"

#include <gtest/gtest.h>

namespace {

TEST(RunTexts, DecodeToTheirCzechWording)
{
    const struct {
        std::string_view bytes;
        const char* utf8;
    } cases[] = {
        {update::kCaptionStart, "SPUSTIT >>>"},
        {update::kCaptionConnecting, "Připojuji se"},
        {update::kNoticeCaptionError, "CHYBA"},
        {update::kNoticeCaptionOk, "OK"},
        {update::kNoticeConnectFailed, "Nepodařilo se připojit k serveru !"},
        {update::kNoticeDone, "Aktualizace dokončena"},
        {update::kNoticeListUnreadable, "Nepodařilo se načíst seznam databází !"},
        {update::kNoticeSessionLost, "Spojení se serverem bylo přerušeno !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(platform::fromWindows1250(c.bytes).toStdString(), c.utf8);
        EXPECT_EQ(platform::toWindows1250(QString::fromUtf8(c.utf8)), c.bytes);
    }
}

}  // namespace
