#include <time.h>
#include <unistd.h>

#include "fake_chkdsk_io.h"

namespace corvanite::test {

void WriteStream(int stream, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(stream, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0) {
            return;
        }
        done += static_cast<size_t>(wrote);
    }
}

void CloseStreams() {
    close(1);
    close(2);
}

void PauseMs(uint32_t ms) {
    timespec pause{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0) {
    }
}

std::string Invocation(int argc, char** argv) {
    std::string words;
    for (int i = 0; i < argc; ++i) {
        words += argv[i];
        words += '\n';
    }
    return words;
}

}  // namespace corvanite::test
