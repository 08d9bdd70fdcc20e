// The main of every test program. With the dialog host flag first, the
// program is instead the second process that the automation tests drive.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "support/Automation.h"
#include "support/DialogHost.h"

namespace {

// Whatever a test starts (the editor, a dialog host) ends with the test
// program, also when the program is killed at its time limit: a window left
// behind would be found, or take the focus, in the next suite's tests.
void EndChildrenWithThisProcess() {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job ||
        !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !AssignProcessToJobObject(job, GetCurrentProcess())) {
        // An older system that does not nest jobs: children may then outlive a killed run.
        std::fprintf(stderr, "note: programs started by the tests are not tied to them (error %lu)\n",
                     GetLastError());
    }
    // The handle stays open until the process ends; its closing ends the children.
}

// The byte-exact tests take every byte as one character; the suites run on
// purpose under a multi-byte one say so.
bool SingleByteCodePage() {
    CPINFO info{};
    if ((GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1) || std::getenv(automation::kMultiByteCodePageFlag) != nullptr) {
        return true;
    }
    std::fprintf(stderr,
                 "The tests need a single-byte ANSI code page; this system's is %u."
                 " Under Wine, run them with LC_ALL=C.UTF-8.\n",
                 GetACP());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // No "insert a disk" or "file not found" boxes from the system to block a run.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    if (argc >= 2 && std::strcmp(argv[1], automation::kDialogHostFlag) == 0) {
        return automation::RunDialogHost(argc - 2, argv + 2);
    }
    if (!SingleByteCodePage()) {
        return 2;
    }
    EndChildrenWithThisProcess();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
