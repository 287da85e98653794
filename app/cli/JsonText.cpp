// JSON strings and objects for the machine-readable report.
#include "app/cli/JsonText.h"

#include <array>
#include <cstdio>

namespace cli {

namespace {

// The length of the valid UTF-8 character at `i`, or 0 when the bytes there are not one
// (overlong forms, surrogates and code points past U+10FFFF included).
std::size_t characterLength(std::string_view text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80)
        return 1;
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4                       ? 4
                                                                                    : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 0;
    }
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

}  // namespace

std::string jsonString(std::string_view utf8)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < utf8.size();) {
        const char c = utf8[i];
        const std::size_t length = characterLength(utf8, i);
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
