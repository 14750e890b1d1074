#include "app/self_test_worker.h"

#include <mutex>
#include <optional>
#include <string>

#include "app/window_host.h"
#include "drives/device_access.h"
#include "drives/device_error.h"
#include "drives/self_test_device.h"
#include "host/host.h"
#include "state/app_state.h"
#include "text/text_format.h"
#include "ui/self_test_view.h"

namespace corvanite {
namespace {

// One request to one drive, and what came of it.
struct SelfTestJob {
    DriveInfo drive;
    SelfTestKind kind = SELF_TEST_NONE;  // NONE: only a look at the drive
    bool sent = false;
    bool answered = false;
    int32_t error = 0;
};

std::mutex answerLock;
std::optional<SelfTestJob> answer;

void SelfTestWorker(void* parameter) {
    SelfTestJob* job = static_cast<SelfTestJob*>(parameter);
    DriveHandle handle = 0;
    uint32_t openError = 0;
    if (OpenDrive(job->drive.driveNumber, handle, openError)) {
        job->sent = job->kind == SELF_TEST_NONE || SendSelfTest(handle, job->drive, job->kind);
        if (!job->sent) {
            job->error = LastDeviceError();
        }
        // The drive's state right after: a started test shows as running.
        job->answered = RefreshSelfTest(handle, job->drive);
        CloseDrive(handle);
    } else {
        job->error = static_cast<int32_t>(openError);
    }
    {
        std::lock_guard<std::mutex> guard(answerLock);
        answer = std::move(*job);
    }
    delete job;
    appState.selfTestBusy = false;
    PostWindowMessage(MSG_SELF_TEST, 0);
}

bool StartJob(const DriveInfo& drive, SelfTestKind kind) {
    appState.selfTestBusy = true;
    auto* job = new SelfTestJob{drive, kind};
    if (!StartDetachedThread(SelfTestWorker, job)) {
        delete job;
        appState.selfTestBusy = false;
        return false;
    }
    return true;
}

std::u16string DriveName(const DriveInfo& drive) {
    return std::u16string(DeviceName(drive.devicePath.view()));
}

}  // namespace

void RequestSelfTest(SelfTestKind kind) {
    const DriveInfo* drive = SelectedDrive();
    std::u16string refusal;
    if (drive == nullptr) {
        return;
    }
    if (appState.scanning) {
        refusal = u"Self-test: wait for the drive scan to end";
    } else if (appState.selfTestBusy) {
        refusal = u"Self-test: a request is still with the drive";
    } else if (!drive->selfTest.supported) {
        refusal = u"Self-test: " + DriveName(*drive) + u" has none: " + drive->selfTest.unsupported;
    } else if (kind != SELF_TEST_ABORT && drive->selfTest.running) {
        refusal = u"Self-test: " + DriveName(*drive) + u" is running one already; abort it first";
    } else if (kind == SELF_TEST_ABORT && !drive->selfTest.running) {
        refusal = u"Self-test: no test is running on " + DriveName(*drive);
    }
    if (!refusal.empty()) {
        SetStatusText(refusal);
        RequestRepaint();
        return;
    }
    if (kind == SELF_TEST_EXTENDED) {
        std::u16string question = u"Start the extended self-test on " + DriveName(*drive) + u"?\n";
        if (drive->selfTest.extendedMinutes > 0) {
            question += u"The drive says it takes about ";
            AppendUnsigned(question, static_cast<uint64_t>(drive->selfTest.extendedMinutes));
            question += u" minutes.\n";
        }
        question +=
            u"It reads the whole surface; the drive stays usable meanwhile (slower) and nothing on "
            u"it is changed. It can be aborted at any time.";
        if (!AskYesNo(question, u"Confirm")) {
            return;
        }
    }
    if (!StartJob(*drive, kind)) {
        SetStatusText(u"Self-test: the request could not be started");
    } else {
        SetStatusText(
            (kind == SELF_TEST_ABORT
                 ? u"Aborting the self-test on "
                 : u"Starting the " + std::u16string(SelfTestKindWord(kind)) + u" self-test on ") +
            DriveName(*drive) + u"...");
        if (kind != SELF_TEST_ABORT) {
            appState.selfTestStartedPath.Set(drive->devicePath.view());
            appState.selfTestStartedKind = kind;
            appState.selfTestStartedTick = appState.tickCount;
        }
    }
    RequestRepaint();
}

void PollSelfTests() {
    if (appState.tickCount % SELF_TEST_POLL_TICKS != 0 || appState.scanning ||
        appState.selfTestBusy) {
        return;
    }
    // The selected drive first, else the first drive whose test runs.
    const DriveInfo* selected = SelectedDrive();
    if (selected != nullptr && selected->selfTest.running) {
        StartJob(*selected, SELF_TEST_NONE);
        return;
    }
    for (const DriveInfo& drive : appState.drives) {
        if (drive.selfTest.running) {
            StartJob(drive, SELF_TEST_NONE);
            return;
        }
    }
}

void HandleSelfTestAnswer() {
    std::optional<SelfTestJob> job;
    {
        std::lock_guard<std::mutex> guard(answerLock);
        job.swap(answer);
    }
    if (!job) {
        return;
    }
    DriveInfo* drive = nullptr;
    for (DriveInfo& d : appState.drives) {
        if (d.driveNumber == job->drive.driveNumber &&
            d.devicePath == job->drive.devicePath.view()) {
            drive = &d;
        }
    }
    if (drive == nullptr) {
        return;  // a rescan replaced the list meanwhile
    }
    const bool wasRunning = drive->selfTest.running;
    const std::u16string name = DriveName(*drive);
    if (!job->sent) {
        SetStatusText(u"Self-test: " + name + u" or the system refused it: " +
                      DeviceFailureText(REQUEST_SELF_TEST, job->error, DeviceErrorKind(),
                                        ProcessPrivileged()));
    } else if (job->answered) {
        drive->selfTest = job->drive.selfTest;
        if (job->kind == SELF_TEST_ABORT) {
            SetStatusText(u"Self-test on " + name + u" aborted");
        } else if (job->kind != SELF_TEST_NONE) {
            SetStatusText(u"Self-test on " + name + u": " +
                          SelfTestProgressText(drive->selfTest, job->kind, 0));
        } else if (drive->selfTest.running) {
            SetStatusText(u"Self-test on " + name + u": " + SelfTestProgressOf(*drive));
        } else if (wasRunning) {
            SetStatusText(u"Self-test on " + name + u" ended: " +
                          SelfTestResultText(drive->selfTest));
        }
    }
    RequestRepaint();
}

}  // namespace corvanite
