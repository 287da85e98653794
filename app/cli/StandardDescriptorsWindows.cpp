// Closed standard handles on Windows: a new file or socket never takes their place.
#include "app/cli/StandardDescriptors.h"

namespace cli {

void openClosedStandardDescriptors() {}

}  // namespace cli
