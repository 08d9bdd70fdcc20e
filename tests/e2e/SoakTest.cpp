// The resource soak in short: the rounds of tests/soak on one running
// vexil.exe, and no growth of what the program holds beyond the soak's
// margins. The long run is the soak program itself.
#include "soak/SoakRound.h"

#include <gtest/gtest.h>

TEST(Soak, TwentyFiveRoundsOfEverydayWorkLeakNoHandlesWindowsOrMemory) {
    e2e::Vexil app;
    const std::string path = app.NewFile("soak");
    const HANDLE process = app.Process().Handle();
    const DWORD id = app.Process().Id();
    soak::Round(app, 0, path);  // warm-up: the dialogs load their libraries once
    const soak::Figures before = soak::Measure(process, id);
    ASSERT_GT(before.gdi, 0u) << "no GDI object count to compare";
    ASSERT_GT(before.handles, 0u) << "no handle count to compare";
    ASSERT_GT(before.windows, 0u);
    ASSERT_GT(before.privateBytes, 0u) << "no memory figure to compare";
    for (int round = 1; round <= 25; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_NO_THROW(soak::Round(app, round, path));
    }
    const soak::Figures after = soak::Measure(process, id);
    RecordProperty("before", soak::Describe(before));
    RecordProperty("after", soak::Describe(after));
    EXPECT_EQ(soak::Growth(before, after, 25), "") << "before: " << soak::Describe(before)
                                              << "\nafter:  " << soak::Describe(after);
}
