// A small scanner that knows where a semicolon ends a statement and where it is text.
#include "data/SqlText.h"

#include "data/Trim.h"

#include <vector>

namespace data {

namespace {

enum class Context { Code, SingleQuoted, DoubleQuoted, Backquoted, LineComment, BlockComment };

// Around a statement.
constexpr std::string_view kStatementBlanks = " \t\r\n";

// "--" opens a comment only when a blank, a control character or the end follows it.
bool opensDashComment(std::string_view text, size_t i)
{
    if (text[i] != '-' || i + 1 >= text.size() || text[i + 1] != '-')
        return false;
    return i + 2 >= text.size() || static_cast<unsigned char>(text[i + 2]) <= ' ';
}

void keepPiece(std::vector<std::string>& pieces, std::string_view piece)
{
    piece = trimmed(piece, kStatementBlanks);
    if (!piece.empty())
        pieces.emplace_back(piece);
}

// Moves past the character at `i` inside a quoted string; returns the next context.
// A backslash escapes the character after it; a doubled quote stands for itself and
// needs no care here, since it closes and at once reopens the string.
Context scanQuoted(std::string_view text, size_t& i, char quote, Context self)
{
    if (text[i] == '\\') {
        ++i;
        return self;
    }
    return text[i] == quote ? Context::Code : self;
}

// Cuts `text` at every ';' that ends a statement; each piece trimmed, empty ones dropped.
std::vector<std::string> splitStatements(std::string_view text)
{
    std::vector<std::string> pieces;
    Context context = Context::Code;
    size_t pieceStart = 0;

    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (context) {
        case Context::Code:
            if (c == ';') {
                keepPiece(pieces, text.substr(pieceStart, i - pieceStart));
                pieceStart = i + 1;
            } else if (c == '\'') {
                context = Context::SingleQuoted;
            } else if (c == '"') {
                context = Context::DoubleQuoted;
            } else if (c == '`') {
                context = Context::Backquoted;
            } else if (c == '#' || opensDashComment(text, i)) {
                context = Context::LineComment;
            } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
                context = Context::BlockComment;
                ++i;
            }
            break;
        case Context::SingleQuoted:
            context = scanQuoted(text, i, '\'', context);
            break;
        case Context::DoubleQuoted:
            context = scanQuoted(text, i, '"', context);
            break;
        case Context::Backquoted:
            if (c == '`')
                context = Context::Code;
            break;
        case Context::LineComment:
            if (c == '\n' || c == '\r')
                context = Context::Code;
            break;
        case Context::BlockComment:
            if (c == '*' && i + 1 < text.size() && text[i + 1] == '/') {
                context = Context::Code;
                ++i;
            }
            break;
        }
    }
    keepPiece(pieces, text.substr(pieceStart));
    return pieces;
}

}  // namespace

std::string firstStatement(std::string_view text)
{
    std::vector<std::string> pieces = splitStatements(text);
    return pieces.empty() ? std::string() : std::move(pieces.front());
}

}  // namespace data
