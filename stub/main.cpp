#include <windows.h>

#include "stub/stub_driver.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return qel::run_stub(); }
