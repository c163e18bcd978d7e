// A GUI program that does nothing: the baseline of the start-up measurement.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
