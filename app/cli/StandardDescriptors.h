// The standard descriptors a caller may have left closed.
#pragma once

namespace cli {

// Opens the null device on each of descriptors 0, 1 and 2 that is closed: the first file
// or socket the program opened would take it, and the report would be written into it.
// Nothing to do on Windows, whose handles are not taken by number.
void openClosedStandardDescriptors();

}  // namespace cli
