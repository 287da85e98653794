// Fuzzes where the first statement of a text ends against the rules any cut must keep.
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
    const std::string first = data::firstStatement(text);
    if (first.empty()) {
        // No statement: nothing but blanks and semicolons.
        for (const char c : text)
            require(isBlank(c) || c == ';');
        return 0;
    }

    // The statement stands in the text with only blanks and semicolons before it.
    require(!isBlank(first.front()) && !isBlank(first.back()));
    const size_t found = text.find(first);
    require(found != std::string_view::npos);
    for (size_t i = 0; i < found; ++i)
        require(isBlank(text[i]) || text[i] == ';');
    // It holds no semicolon that ends a statement: cutting it again changes nothing.
    require(data::firstStatement(first) == first);
    // What follows it starts with blanks and then the end or the semicolon that ended it.
    size_t after = found + first.size();
    while (after < text.size() && isBlank(text[after]))
        ++after;
    require(after == text.size() || text[after] == ';');
    return 0;
}
