// The smallest graphical-subsystem program: the yardstick that
// scripts/bench.sh holds the bootstrapper's decision-only run against.
// Built with the bootstrapper's compiler and linker flags.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
