#include "tools/console.h"

namespace jetdb {

std::vector<std::string> prepareConsole(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

}  // namespace jetdb
