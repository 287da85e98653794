// Finding where the first statement of a text ends.
#pragma once

#include <string>
#include <string_view>

namespace data {

// The first statement of `text`, or the empty text when it holds none: the text up to
// the first ';' that stands outside quoted strings ('...' and "..."), backquoted
// identifiers and comments (-- , # and /* */), without its leading and trailing blanks
// and line breaks; empty statements before it are passed over. Statement objects send
// only this piece; later ones never reach the server.
std::string firstStatement(std::string_view text);

}  // namespace data
