// The command line and the console, the same on every system: arguments in
// UTF-8, output as bytes (UTF-8 text with "\n" line ends) that a script on
// Linux or Windows can compare.
#pragma once

#include <string>
#include <vector>

namespace jetdb {

// The program's arguments in UTF-8, the program's name first. On Windows they
// are taken from the wide command line (argv holds them in the ANSI code
// page, which cannot spell every name), standard output and error are set to
// write bytes unchanged, and a console shows them as UTF-8.
std::vector<std::string> prepareConsole(int argc, char** argv);

}  // namespace jetdb
