// The Linux corvanite's entry point.
#include "app/window_program.h"

int main(int argc, char** argv) {
    return corvanite::RunWindowProgram(argc, argv, 0);
}
