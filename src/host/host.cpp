#include "host/host.h"

#include "host/installed_table.h"

namespace corvanite {
namespace {

InstalledTable<HostServices> installed;

}  // namespace

const HostServices* InstallHostServices(const HostServices* table) {
    return installed.Install(table);
}

const HostServices& InstalledHostServices() {
    return installed.Or(SystemHostServices());
}

}  // namespace corvanite
