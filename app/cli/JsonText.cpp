// JSON strings and objects for the machine-readable report.
#include "app/cli/JsonText.h"

#include "platform/CodePage.h"

#include <array>
#include <cstdio>

namespace cli {

std::string jsonString(std::string_view utf8)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < utf8.size();) {
        const char c = utf8[i];
        const std::size_t length = platform::decodeUtf8(utf8.substr(i)).length;
        if (length == 0) {
            out += "\\uFFFD";
            ++i;
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                std::array<char, 8> escape{};
                std::snprintf(escape.data(), escape.size(), "\\u%04X", static_cast<unsigned>(c));
                out += escape.data();
            } else {
                out.append(utf8.substr(i, length));
            }
        }
        i += length;
    }
    return out + "\"";
}

void JsonObject::key(std::string_view name)
{
    if (body_.size() > 1)
        body_ += ',';
    body_ += jsonString(name);
    body_ += ':';
}

JsonObject& JsonObject::text(std::string_view name, std::string_view utf8)
{
    key(name);
    body_ += jsonString(utf8);
    return *this;
}

JsonObject& JsonObject::number(std::string_view name, std::uint64_t value)
{
    key(name);
    body_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::boolean(std::string_view name, bool value)
{
    key(name);
    body_ += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::raw(std::string_view name, std::string_view json)
{
    key(name);
    body_ += json;
    return *this;
}

}  // namespace cli
