// Pieces of JSON (RFC 8259) for the machine-readable report, written by hand.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cli {

// `utf8` as a JSON string, quotes included: '"', '\' and every control character
// escaped; a byte that starts no UTF-8 character becomes U+FFFD, so that the output
// is always valid UTF-8.
std::string jsonString(std::string_view utf8);

// Builds one JSON object on one line: {"key":value,...}.
class JsonObject {
public:
    JsonObject& text(std::string_view key, std::string_view utf8);
    JsonObject& number(std::string_view key, std::uint64_t value);
    JsonObject& boolean(std::string_view key, bool value);
    // `json` must already be a JSON value.
    JsonObject& raw(std::string_view key, std::string_view json);
    std::string str() const { return body_ + "}"; }

private:
    void key(std::string_view name);
    std::string body_ = "{";
};

}  // namespace cli
