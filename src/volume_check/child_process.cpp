#include "volume_check/child_process.h"

#include "host/installed_table.h"

namespace corvanite {
namespace {

InstalledTable<ChildProcessAccess> installed;

}  // namespace

const ChildProcessAccess* InstallChildProcessAccess(const ChildProcessAccess* table) {
    return installed.Install(table);
}

const ChildProcessAccess& InstalledChildProcessAccess() {
    return installed.Or(SystemChildProcessAccess());
}

}  // namespace corvanite
