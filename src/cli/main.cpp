// kestro-cli: the headless companion of Kestro.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/ImportCommand.h"

namespace {
int Usage() {
    std::cerr << "usage: kestro-cli import FILE...\n";
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (std::strcmp(argv[1], "import") == 0 && !args.empty())
        return RunImportCommand(args, std::cout, std::cerr);
    return Usage();
}
