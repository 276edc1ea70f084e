// The program's entry point.
#include <cstdio>

int main() {
    std::puts("Vemly is built. Its main window is not part of this build yet.");
    return 0;
}
