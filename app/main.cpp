#include <cstdio>

int main() {
    std::puts("C-Tarvolin: the renaming core is built; the window is not there yet.");
    return 0;
}
