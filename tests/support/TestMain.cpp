// The main of every test program. With the dialog host flag first, the
// program is instead the second process that the automation tests drive.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include <gtest/gtest.h>

#include "support/DialogHost.h"

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
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
