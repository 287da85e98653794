// Cutting a statement text into the statements it holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace data {

// Cuts `text` at every ';' that stands outside quoted strings ('...' and "..."),
// backquoted identifiers and comments (-- , # and /* */). Each piece loses its leading
// and trailing blanks and line breaks; empty pieces are dropped.
std::vector<std::string> splitStatements(std::string_view text);

// The first statement of `text`, or the empty text when it holds none. Statement
// objects send only this piece; later ones never reach the server.
std::string firstStatement(std::string_view text);

}  // namespace data
