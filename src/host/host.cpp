#include "host/host.h"

namespace corvanite {

int FinishProgram(int exitCode) {
    if (DetachedThreadsRunning()) {
        EndProcessNow(exitCode);
    }
    return exitCode;
}

}  // namespace corvanite
