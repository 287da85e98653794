// Fuzzes the statement-text splitter against the rules any cut must keep.
#include "data/SqlText.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> pieces = data::splitStatements(text);

    // The pieces stand in the text in order; between them lie only blanks and the
    // semicolons that ended statements.
    size_t position = 0;
    for (const std::string& piece : pieces) {
        require(!piece.empty() && !isBlank(piece.front()) && !isBlank(piece.back()));
        const size_t found = text.find(piece, position);
        require(found != std::string_view::npos);
        for (size_t i = position; i < found; ++i)
            require(isBlank(text[i]) || text[i] == ';');
        position = found + piece.size();
        // No piece holds a semicolon that ends a statement: cutting it again changes nothing.
        const std::vector<std::string> again = data::splitStatements(piece);
        require(again.size() == 1 && again.front() == piece);
    }
    for (size_t i = position; i < text.size(); ++i)
        require(isBlank(text[i]) || text[i] == ';');

    require(data::firstStatement(text) == (pieces.empty() ? std::string() : pieces.front()));
    return 0;
}
