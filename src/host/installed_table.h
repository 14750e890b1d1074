// How a seam is replaced: each seam is one table of functions (the device access, the host's
// messages and threads, the checker child, the report file, ...). The platform layer gives the
// system's table; a window program, a test or the end-to-end build installs its own at start,
// and every call goes through the table installed at the time.
#pragma once

#include <atomic>

namespace corvanite {

template <typename Table>
struct InstalledTable {
    std::atomic<const Table*> table{nullptr};

    // Installs a table (null: none, so the system's is used again); returns the one before.
    const Table* Install(const Table* next) { return table.exchange(next); }

    // The installed table, or the fallback while none is.
    const Table& Or(const Table& fallback) const {
        const Table* installed = table.load();
        return installed != nullptr ? *installed : fallback;
    }
};

}  // namespace corvanite
