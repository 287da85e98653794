// Fuzzes the profile file reader: any bytes, any section and key, a bounded answer.
#include "platform/ProfileFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first two bytes pick the lengths of the section and key names taken from the
    // front of the input; the rest is the file.
    if (size < 2)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
    const size_t sectionLength = std::min<size_t>(data[0] % 16, input.size());
    const size_t keyLength = std::min<size_t>(data[1] % 16, input.size() - sectionLength);
    const std::string_view section = input.substr(0, sectionLength);
    const std::string_view key = input.substr(sectionLength, keyLength);
    const std::string_view file = input.substr(sectionLength + keyLength);

    const std::string value = platform::profileStringFromText(file, section, key, "default");
    require(value.size() <= platform::kProfileValueMaxLength);
    // A value comes from the file or is the default; it never spans a line break.
    require(value == "default" || file.find(value) != std::string_view::npos);
    require(value.find('\n') == std::string::npos && value.find('\r') == std::string::npos);
    return 0;
}
