// The data module's fixed set-up and its one operation of its own.
#include "data/uDM.h"

#include <exception>

namespace {

// The session speaks Windows-1250, so names read from the server go back unchanged.
constexpr const char kCodePageProperty[] = "Codepage=cp1250";

}  // namespace

TDM::TDM()
{
    conMain.settings.Properties = {kCodePageProperty};
    conMain.settings.ConnectTimeout = kConnectTimeoutSeconds;
    conMain.settings.AnswerTimeout = kAnswerTimeoutSeconds;
}

bool TDM::OpenQuery(data::Query& query, const std::string& sql, data::Failure* whyNot)
{
    try {
        query.setSql(sql);
        query.open();
        return true;
    } catch (const data::Error& error) {
        if (whyNot)
            *whyNot = error.failure();
    } catch (const std::exception& error) {
        if (whyNot)
            *whyNot = {std::nullopt, error.what()};
    }
    return false;
}
