// The client library's options for a session, and the code page property.
#include "data/SessionOptions.h"

#include "data/MysqlApi.h"
#include "data/Trim.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace data {

namespace {

constexpr std::string_view kCodePageProperty = "codepage";
constexpr std::string_view kSetCharacterSet = "SET CHARACTER SET ";
// Around a property's name and value.
constexpr std::string_view kPropertyBlanks = " \t";

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string codePageOf(const ConnectionSettings& settings)
{
    for (const std::string& line : settings.Properties) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string_view name = trimmed(std::string_view(line).substr(0, equals), kPropertyBlanks);
        if (equalsIgnoringCase(name, kCodePageProperty))
            return std::string(trimmed(std::string_view(line).substr(equals + 1), kPropertyBlanks));
    }
    return {};
}

}  // namespace

// The window's session sets the connect timeout to 0 (no limit) and nothing else.
bool applyOptions(const MysqlApi& api, MYSQL* handle, const ConnectionSettings& settings)
{
    const auto set = [&](mysql_option option, const void* value) { return api.options(handle, option, value) == 0; };
    // The client library's connect limit covers both reaching the server and waiting for
    // its greeting, and the greeting is an answer like any other: the answer limit bounds
    // it as well, so the smaller of the two limits, when there is one, applies to both.
    const unsigned connect = settings.ConnectTimeout;
    const unsigned answer = settings.AnswerTimeout;
    const unsigned int connectTimeout = connect == 0 ? answer : answer == 0 ? connect : std::min(connect, answer);
    if (!set(MYSQL_OPT_CONNECT_TIMEOUT, &connectTimeout))
        return false;
    // A login method the library lacks is loaded as "<plugin folder>/<name>", by bare
    // name when no folder is set.
    if (const std::optional<std::string> folder = loginPluginFolder(); folder && !set(MYSQL_PLUGIN_DIR, folder->c_str()))
        return false;
    if (answer != 0) {
        const unsigned int answerTimeout = answer;
        if (!set(MYSQL_OPT_READ_TIMEOUT, &answerTimeout) || !set(MYSQL_OPT_WRITE_TIMEOUT, &answerTimeout))
            return false;
    }
    if (settings.RequireTls) {
        const my_bool yes = 1;
        if (!set(MYSQL_OPT_SSL_ENFORCE, &yes) || !set(MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &yes))
            return false;
        if (!settings.TlsCaFile.empty() && !set(MYSQL_OPT_SSL_CA, settings.TlsCaFile.c_str()))
            return false;
    }
    return true;
}

std::optional<std::string> codePageStatement(const ConnectionSettings& settings)
{
    const std::string codePage = codePageOf(settings);
    if (codePage.empty())
        return std::nullopt;
    return std::string(kSetCharacterSet) + codePage;
}

}  // namespace data
