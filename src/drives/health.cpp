#include "drives/health.h"

namespace corvanite {

void AssessHealth(DriveInfo& drive) {
    if (!drive.smartAvailable) {
        drive.health = HEALTH_UNKNOWN;
        drive.healthDetails.Set(u"SMART data unavailable");
        return;
    }
    bool anyFailing = false;
    bool anyWarning = false;
    for (const SmartAttribute& row : drive.attributes) {
        anyFailing = anyFailing || row.failing;
        anyWarning = anyWarning || row.warning;
    }
    if (drive.temperatureC > TEMPERATURE_CRITICAL_ABOVE || anyFailing) {
        drive.health = HEALTH_CRIT;
        drive.healthDetails.Set(u"CRITICAL -- Drive failure imminent");
    } else if (drive.temperatureC > TEMPERATURE_WARNING_ABOVE || anyWarning) {
        drive.health = HEALTH_WARN;
        drive.healthDetails.Set(u"WARNING -- Monitor this drive closely");
    } else {
        drive.health = HEALTH_GOOD;
        drive.healthDetails.Set(u"GOOD -- No issues detected");
    }
}

}  // namespace corvanite
