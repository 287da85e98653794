// What a new session is told before and right after it logs in: the client library's
// options (time limits, TLS, where login methods come from) and the session's code page.
#pragma once

#include "data/ConnectionSettings.h"

#include <mysql.h>

#include <optional>
#include <string>

namespace data {

struct MysqlApi;

// Sets the client library's options for `settings` on a handle not yet connected; false
// when the library refused one (its error is on the handle).
bool applyOptions(const MysqlApi& api, MYSQL* handle, const ConnectionSettings& settings);

// The statement that gives the session the code page its "Codepage" property names, in
// UTF-8; none when no property names one.
std::optional<std::string> codePageStatement(const ConnectionSettings& settings);

// The folder a login method the client library lacks may be loaded from; none where the
// library's own default is safe. Defined once per platform.
std::optional<std::string> loginPluginFolder();

}  // namespace data
