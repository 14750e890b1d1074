#include "cli/standard_streams.h"

#include "host/installed_table.h"

namespace corvanite {
namespace {

InstalledTable<StandardStreams> installed;

}  // namespace

const StandardStreams* InstallStandardStreams(const StandardStreams* table) {
    return installed.Install(table);
}

const StandardStreams& InstalledStandardStreams() {
    return installed.Or(SystemStandardStreams());
}

}  // namespace corvanite
