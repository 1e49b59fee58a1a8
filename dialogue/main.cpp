#include "dialogue/dialogue.h"
#include "platform/platform.h"

#include <iostream>

// Command-line arguments are accepted and ignored.
int main() {
  tempconv::platform::prepare();
  std::cin.rdbuf(&tempconv::platform::input());
  return tempconv::dialogue(std::cin, std::cout, std::cerr, tempconv::platform::pause);
}
