// Makes the console program's manual page from its template at build time:
//   calendar-cli-manual TEMPLATE PAGE
#include "app/cli/ManualPage.h"

#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::cerr << "usage: calendar-cli-manual TEMPLATE PAGE\n";
        return 64;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::ostringstream page;
    page << in.rdbuf();
    if (!in) {
        std::cerr << "calendar-cli-manual: cannot read " << argv[1] << "\n";
        return 66;
    }
    const std::optional<std::string> filled = cli::filledManualPage(page.str());
    if (!filled) {
        std::cerr << "calendar-cli-manual: " << argv[1] << " lacks a marker line of the synopsis, the options or "
                  << "the exit statuses\n";
        return 65;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << *filled;
    out.close();
    if (!out) {
        std::cerr << "calendar-cli-manual: cannot write " << argv[2] << "\n";
        return 73;
    }
    return 0;
}
