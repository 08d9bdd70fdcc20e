// Times File, Load, File, Save, Edit, Copy and Edit, Paste of dense IRC art
// in the real main window, beside the rich edit control's own RTF stream-in
// and stream-out of the same content, which bound what any editor over the
// control can do. Prints each time and each ratio to that bound.
//
//   vexil_bench [ROUNDS]    each figure is the median of ROUNDS runs (default 3)
#include "Unit1.h"

#include "support/ArtDocument.h"
#include "winlib/Clipboard.h"
#include "winlib/Forms.h"

#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace winlib;

namespace {

double Seconds()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

// Lets the window paint what the last operation left, outside the timing.
void Settle()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The median of rounds runs of work, each after its own preparation.
double Median(int rounds, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        prepare();
        Settle();
        const double start = Seconds();
        work();
        times.push_back(Seconds() - start);
        Settle();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Figures {
    std::size_t bytes = 0;
    double load = 0, save = 0, copy = 0, paste = 0, streamIn = 0, streamOut = 0, clipboard = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    TApplication application;
    application.Initialize();
    auto* form = new TForm1(&application);
    form->DoCreate();
    form->Show();
    TRich2Edit& edit = *form->RichEdit1;

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string input = std::string(temp) + "vexil-bench-in.txt";
    const std::string output = std::string(temp) + "vexil-bench-out.txt";

    const auto fresh = [&] { form->New1Click(nullptr); };
    const auto loaded = [&] {
        form->New1Click(nullptr);
        form->loadfile(input);
    };
    const auto wholeLength = [&] { return static_cast<int>(edit.WholeText().size()); };

    std::vector<Figures> all;
    for (const std::size_t size : {std::size_t{4096}, std::size_t{32768}, std::size_t{262144}}) {
        const std::string art = artdocument::DenseArt(size, 1);
        std::ofstream(input, std::ios::binary).write(art.data(), static_cast<std::streamsize>(art.size()));
        Figures f;
        f.bytes = art.size();

        f.load = Median(rounds, fresh, [&] { form->loadfile(input); });
        f.save = Median(rounds, [] {}, [&] { form->Savefile(output, 0, wholeLength()); });
        f.copy = Median(
            rounds,
            [&] {
                edit.SetSelectionStart(0);
                edit.SetSelectionLength(static_cast<int>(edit.UnicodeText().size()));
            },
            [&] { form->Copy1Click(nullptr); });
        f.paste = Median(rounds, fresh, [&] { form->Paste1Click(nullptr); });
        // The platform's share of Copy: handing the same text to the clipboard.
        const std::string copied = TClipboard(form->Handle()).Text();
        f.clipboard = Median(rounds, [] {}, [&] { TClipboard(form->Handle()).SetText(copied); });

        loaded();
        const std::string rtf = edit.StreamOut(SF_RTF);
        f.streamOut = Median(rounds, [] {}, [&] { (void)edit.StreamOut(SF_RTF); });
        f.streamIn = Median(rounds, fresh, [&] { edit.StreamIn(SF_RTF, rtf); });
        all.push_back(f);
    }
    DeleteFileA(input.c_str());
    DeleteFileA(output.c_str());

    std::printf("%-9s %8s %8s %8s %8s   %8s %8s %8s   %6s %6s %6s %6s\n", "bytes", "load", "paste", "save",
                "copy", "rtf in", "rtf out", "clipbd", "load/", "paste/", "save/", "copy/");
    std::printf("%-9s %8s %8s %8s %8s   %8s %8s %8s   %6s %6s %6s %6s\n", "", "ms", "ms", "ms", "ms", "ms", "ms",
                "ms", "in", "in", "out", "out");
    for (const Figures& f : all) {
        std::printf("%-9zu %8.1f %8.1f %8.1f %8.1f   %8.1f %8.1f %8.1f   %6.2f %6.2f %6.2f %6.2f\n", f.bytes,
                    f.load * 1e3, f.paste * 1e3, f.save * 1e3, f.copy * 1e3, f.streamIn * 1e3, f.streamOut * 1e3,
                    f.clipboard * 1e3, f.load / f.streamIn, f.paste / f.streamIn, f.save / f.streamOut,
                    f.copy / f.streamOut);
    }
    // Growth from the smallest to the largest document, operation by operation.
    const Figures& small = all.front();
    const Figures& large = all.back();
    std::printf("\ngrowth %zu -> %zu bytes: load %.1fx paste %.1fx save %.1fx copy %.1fx | rtf in %.1fx rtf out %.1fx\n",
                small.bytes, large.bytes, large.load / small.load, large.paste / small.paste,
                large.save / small.save, large.copy / small.copy, large.streamIn / small.streamIn,
                large.streamOut / small.streamOut);
    return 0;
}
