#include "cli/TolvaneCli.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    TolvaneCli cli(std::cout, std::cerr);
    const int status = cli.Run(args);
    std::cout.flush();
    return status;
}
