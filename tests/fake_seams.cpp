// corvanite_tests runs the portable code over one fake at every seam, installed before the first
// test: the scripted machine (fake_device.h), the host, the window host and the report file
// (fake_host.h), the scripted checker child (fake_child.h).
#include <gtest/gtest.h>

#include "fake_device.h"
#include "fake_host.h"
#include "volume_check/fake_child.h"

namespace corvanite::test {
namespace {

struct FakeSeams : testing::Environment {
    void SetUp() override {
        InstallDeviceAccess(&FakeDeviceAccess());
        InstallVolumeAccess(&FakeVolumeAccess());
        InstallHostServices(&FakeHostServices());
        InstallWindowHost(&FakeWindowHost());
        InstallReportFileAccess(&FakeReportFileAccess());
        InstallChildProcessAccess(&FakeChildProcessAccess());
    }
};

testing::Environment* const fakeSeams = testing::AddGlobalTestEnvironment(new FakeSeams);

}  // namespace
}  // namespace corvanite::test
