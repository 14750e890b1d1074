#include <gtest/gtest.h>

#include "drives/health.h"

namespace corvanite {
namespace {

DriveInfo Drive(int temperature, bool failing = false, bool warning = false) {
    DriveInfo d = StartDriveRecord(0);
    d.smartAvailable = true;
    d.temperatureC = temperature;
    SmartAttribute ok;
    ok.id = 9;
    d.attributes.push_back(ok);
    if (failing) {
        SmartAttribute a;
        a.id = 5;
        a.failing = true;
        d.attributes.push_back(a);
    }
    if (warning) {
        SmartAttribute a;
        a.id = 197;
        a.warning = true;
        d.attributes.push_back(a);
    }
    return d;
}

HealthStatus Grade(DriveInfo d) {
    AssessHealth(d);
    return d.health;
}

TEST(Health, VerdictTexts) {
    DriveInfo d = Drive(30);
    AssessHealth(d);
    EXPECT_EQ(d.health, HEALTH_GOOD);
    EXPECT_EQ(d.healthDetails, u"GOOD -- No issues detected");
    d = Drive(30, false, true);
    AssessHealth(d);
    EXPECT_EQ(d.health, HEALTH_WARN);
    EXPECT_EQ(d.healthDetails, u"WARNING -- Monitor this drive closely");
    d = Drive(30, true, true);
    AssessHealth(d);
    EXPECT_EQ(d.health, HEALTH_CRIT);
    EXPECT_EQ(d.healthDetails, u"CRITICAL -- Drive failure imminent");
}

TEST(Health, NoDataWinsOverEverything) {
    DriveInfo d = Drive(90, true, true);
    d.smartAvailable = false;
    AssessHealth(d);
    EXPECT_EQ(d.health, HEALTH_UNKNOWN);
    EXPECT_EQ(d.healthDetails, u"SMART data unavailable");
}

TEST(Health, TemperatureLimitsAreStrict) {
    EXPECT_EQ(Grade(Drive(66)), HEALTH_CRIT);
    EXPECT_EQ(Grade(Drive(65)), HEALTH_WARN);
    EXPECT_EQ(Grade(Drive(56)), HEALTH_WARN);
    EXPECT_EQ(Grade(Drive(55)), HEALTH_GOOD);
    EXPECT_EQ(Grade(Drive(-1)), HEALTH_GOOD);
    EXPECT_EQ(Grade(Drive(0)), HEALTH_GOOD);
    EXPECT_EQ(Grade(Drive(40, true)), HEALTH_CRIT);
    EXPECT_EQ(Grade(Drive(66, false, true)), HEALTH_CRIT);
}

TEST(Health, OnlyTheRowFlagsCount) {
    // Life and NVMe figures count only through their rows.
    DriveInfo d = Drive(30);
    d.lifeRemaining = 0;
    d.nvmeCriticalWarning = 0xFF;
    d.nvmeAvailableSpare = 0;
    EXPECT_EQ(Grade(d), HEALTH_GOOD);
    // Available data but an empty list (not produced by the readers) is still GOOD.
    d.attributes.clear();
    EXPECT_EQ(Grade(d), HEALTH_GOOD);
}

}  // namespace
}  // namespace corvanite
