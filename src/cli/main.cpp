// kestro-cli: the headless companion (commands arrive with the import work).
#include <cstdio>

int main() {
    std::fputs("usage: kestro-cli import FILE...\n", stderr);
    return 2;
}
