// The manual page's synopsis, options and exit statuses, made from the option table and
// the exit-status table at build time.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cli {

// `page` (roff) with each of its marker lines replaced by the section it names:
//   .\" %SYNOPSIS%      the synopsis, every option
//   .\" %OPTIONS%       an entry per option, with its limits and default
//   .\" %EXIT STATUS%   the order over several servers and an entry per status
// None when a marker is missing, so that a page without one of them is never made.
std::optional<std::string> filledManualPage(std::string_view page);

// English text of the tables in roff: `text` bold, <text> italic, one sentence a line.
std::string roffText(std::string_view text);

}  // namespace cli
