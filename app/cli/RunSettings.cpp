// The settings' defaults, taken from the option table.
#include "app/cli/RunSettings.h"

#include "app/cli/OptionTable.h"

namespace cli {

RunSettings::RunSettings()
{
    for (const Option& option : kOptions) {
        if (option.number)
            this->*option.number = option.byDefault;
    }
}

}  // namespace cli
