#include "dialogue/dialogue.h"
#include "platform/platform.h"

#include <exception>
#include <iostream>

// Command-line arguments are accepted and ignored.
int main() {
  // The dialogue reports its own failures; anything else that could throw still ends the run
  // with one line and status 1, never with an abort.
  try {
    tempconv::platform::prepare();
    std::cin.rdbuf(&tempconv::platform::input());
    std::cout.rdbuf(&tempconv::platform::output());
    return tempconv::dialogue(std::cin, std::cout, std::cerr, tempconv::platform::pause,
                              tempconv::platform::reads_whole_lines);
  } catch (const std::exception &error) {
    // std::cerr flushes std::cout first, which must not throw again.
    std::cout.exceptions(std::ios::goodbit);
    std::cerr << "tempconv: " << error.what() << '\n';
    return 1;
  }
}
