// The console: drives the in-browser agent from JSON lines, or runs the demo
// session when started without arguments.
#include "cli/Console.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return cli::RunConsole(args, std::cin, std::cout, std::cerr);
}
