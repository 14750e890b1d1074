// How a seam is replaced: each seam is one table of functions (the device access, the host's
// messages and threads, the checker child, the report file, ...). The platform layer gives the
// system's table; a window program, a test or the end-to-end build installs its own at start,
// and every call goes through the table installed at the time. One slot per table type.
#pragma once

#include <atomic>

namespace corvanite {

template <typename Table>
std::atomic<const Table*>& InstalledSlot() {
    static std::atomic<const Table*> slot{nullptr};
    return slot;
}

// Installs a table (null: none, so the fallback is used again); returns the one before.
template <typename Table>
const Table* InstallTable(const Table* table) {
    return InstalledSlot<Table>().exchange(table);
}

// The installed table, or the fallback while none is.
template <typename Table>
const Table& InstalledTableOr(const Table& fallback) {
    const Table* installed = InstalledSlot<Table>().load();
    return installed != nullptr ? *installed : fallback;
}

}  // namespace corvanite
