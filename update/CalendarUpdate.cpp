// The steps of one calendar update run.
#include "update/CalendarUpdate.h"

#include "data/DatabaseError.h"
#include "data/uDM.h"
#include "update/CalendarStatement.h"
#include "update/SessionSettings.h"
#include "update/Texts.h"

namespace update {

namespace {

// Connects with the field's text; the failure itself is reported only as a step.
void connectFromField(TDM& dm, RunWindow& window)
{
    window.setStartCaption(kCaptionConnecting);
    assignSessionSettings(dm.conMain, window.serverFieldText());
    try {
        dm.conMain.connect();
    } catch (const data::DatabaseError& error) {
        window.connectFailed(error.text());
    }
}

enum class Outcome { Updated, Skipped, KeptBack, SessionLost };

// Sends the calendar statement for the database under qryTmp's cursor. A refusal by
// that one database is expected (no calendar table, rows already there, no privilege,
// the server's own system databases) and only reported as a step.
Outcome updateCurrentDatabase(TDM& dm, RunWindow& window)
{
    std::string name;
    try {
        name = dm.qryTmp.firstColumnText();
        dm.qryServer.setSql(calendarStatement(name));
        if (!window.approveStatement(name, dm.qryServer.sql()))
            return Outcome::KeptBack;
        dm.qryServer.execSql();
        window.databaseUpdated(name);
        return Outcome::Updated;
    } catch (const data::DatabaseError& error) {
        window.databaseSkipped(name, error.text());
        return error.sessionLost() ? Outcome::SessionLost : Outcome::Skipped;
    }
}

void finish(RunWindow& window, std::string_view notice, std::string_view caption)
{
    window.showNotice(notice, caption);
    window.requestEnd();
}

}  // namespace

void runCalendarUpdate(TDM& dm, RunWindow& window)
{
    if (!dm.conMain.connected())
        connectFromField(dm, window);
    if (!dm.conMain.connected()) {
        window.showNotice(kNoticeConnectFailed, kNoticeCaptionError);
        window.setStartCaption(kCaptionStart);
        return;
    }

    // Without the list nothing can be written; saying "done" would hide that.
    if (!dm.OpenQuery(dm.qryTmp, std::string(kListDatabases))) {
        finish(window, kNoticeListUnreadable, kNoticeCaptionError);
        return;
    }

    for (; !dm.qryTmp.eof(); dm.qryTmp.next()) {
        // Once the session is gone every further statement would fail as well, and the
        // databases after this one would silently miss their rows.
        if (updateCurrentDatabase(dm, window) == Outcome::SessionLost) {
            finish(window, kNoticeSessionLost, kNoticeCaptionError);
            return;
        }
    }
    finish(window, kNoticeDone, kNoticeCaptionOk);
}

}  // namespace update
