#include <iostream>

#include "driver/run.h"

int main() { return morva::run(std::cin, std::cout, std::cerr); }
