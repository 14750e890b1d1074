#include "drives/device_access.h"

#include "host/installed_table.h"

namespace corvanite {
namespace {

InstalledTable<DeviceAccess> installed;

}  // namespace

const DeviceAccess* InstallDeviceAccess(const DeviceAccess* table) {
    return installed.Install(table);
}

const DeviceAccess& InstalledDeviceAccess() {
    return installed.Or(SystemDeviceAccess());
}

}  // namespace corvanite
