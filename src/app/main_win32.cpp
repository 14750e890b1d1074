// corvanite.exe's entry point.
#include <windows.h>

#include "app/window_program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    return corvanite::RunWindowProgram(0, nullptr, show);
}
