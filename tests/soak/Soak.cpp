// Resource soak: starts vexil.exe beside this program, runs N rounds of
// everyday work on it (default 1000, the first argument) and reads what the
// program holds after a warm-up round, every 100 rounds and at the end.
// Exits 1 when a round fails or a figure grew beyond its margin.
#include "soak/SoakRound.h"

#include <cstdio>
#include <cstdlib>

static void Print(const char* label, int round, double seconds, const soak::Figures& figures) {
    std::printf("%-8s round %5d  %8.1f s  %s\n", label, round, seconds, soak::Describe(figures).c_str());
    std::fflush(stdout);
}

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (rounds < 1) {
        std::fprintf(stderr, "usage: soak [rounds]   (rounds >= 1, default 1000)\n");
        return 2;
    }
    int round = 0;
    try {
        e2e::Vexil app;
        const HANDLE process = app.Process().Handle();
        const DWORD id = app.Process().Id();
        const std::string path = app.NewFile("soak");
        const ULONGLONG start = GetTickCount64();
        auto seconds = [&] { return (GetTickCount64() - start) / 1000.0; };
        Print("start", 0, 0, soak::Measure(process, id));
        soak::Round(app, 0, path);
        const soak::Figures before = soak::Measure(process, id);
        const double warmUp = seconds();
        Print("warm-up", 1, warmUp, before);
        std::printf("measured: %s\n", soak::Sources(before).c_str());
        for (round = 1; round < rounds; ++round) {
            soak::Round(app, round, path);
            if ((round + 1) % 100 == 0) {
                Print("", round + 1, seconds(), soak::Measure(process, id));
            }
        }
        const soak::Figures after = soak::Measure(process, id);
        const double total = seconds();
        Print("end", rounds, total, after);
        std::printf("%d rounds in %.1f s, %.0f ms a round after the warm-up\n", rounds, total,
                    (total - warmUp) * 1000.0 / (rounds > 1 ? rounds - 1 : 1));
        const std::string grown = soak::Growth(before, after, rounds - 1);
        if (!grown.empty()) {
            std::printf("FAIL: grew beyond the margins:\n%s", grown.c_str());
            return 1;
        }
        std::printf("PASS: nothing grew beyond the margins (objects +%lu, registry keys +%lu a round "
                    "besides, memory +%u MB)\n", soak::kObjectMargin, soak::kKeysPerRound,
                    static_cast<unsigned>(soak::kMemoryMargin >> 20));
        return 0;
    } catch (const std::exception& error) {
        std::printf("FAIL in round %d: %s\n", round + 1, error.what());
        return 1;
    }
}
