#include <unistd.h>

#include <iostream>

#include "cli/batch.h"
#include "driver/run.h"
#include "driver/terminal.h"

// No arguments: the interactive program, its degree signs shown as UTF-8 on a terminal that
// expects it (files and pipes get the program's own bytes). A command: the batch front end.
int main(int argc, char** argv) {
  if (argc > 1) {
    return morva::command_line(argc, argv, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
  }
  if (isatty(STDOUT_FILENO) == 1 && morva::utf8_locale()) {
    morva::utf8_terminal_buf utf8(std::cout.rdbuf());
    std::ostream term(&utf8);
    return morva::run(std::cin, term, std::cerr);
  }
  return morva::run(std::cin, std::cout, std::cerr);
}
