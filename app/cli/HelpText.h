// The help that -h and --help print, made from the option table and the exit-status table.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// Lines of at most 79 columns, in Czech (UTF-8); `configurationFile` is the place the
// program reads its address from.
std::string helpText(std::string_view configurationFile);


}  // namespace cli
