// Times File, Load, File, Save, Edit, Copy and Edit, Paste of dense IRC art
// (8-bit; UTF-8 drawn with blocks, up to 1.4 MB; 8-bit with its second half in another
// font) in the real main window, beside the rich edit control's own RTF stream-in
// and stream-out of the same content, which bound what any editor over the
// control can do. Prints each time and each ratio to that bound, and what the
// checks of the bulk paths cost: each operation again with the checks off,
// and the probe that finds a font's profile; and Undo and Redo of the
// paste, and a character typed in the middle of the document and its undo.
//
//   vexil_bench [ROUNDS]    each figure is the median of ROUNDS runs (default 3)
#include "Unit1.h"

#include "BulkChecks.h"
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
#include <tuple>
#include <utility>
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

double Once(const std::function<void()>& prepare, const std::function<void()>& work)
{
    prepare();
    Settle();
    const double start = Seconds();
    work();
    const double took = Seconds() - start;
    Settle();
    return took;
}

double MedianOf(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The median of rounds runs of work, each after its own preparation.
double Median(int rounds, const std::function<void()>& prepare, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i)
        times.push_back(Once(prepare, work));
    return MedianOf(times);
}

// The medians of work with the checks on and off, the two taking turns so
// that a change in the machine's load falls on both alike.
std::pair<double, double> WithAndWithoutChecks(int rounds, const std::function<void()>& prepare,
                                               const std::function<void()>& work)
{
    std::vector<double> on, off;
    for (int i = 0; i < rounds; ++i) {
        on.push_back(Once(prepare, work));
        bulk::testing::SetChecks(false);
        off.push_back(Once(prepare, work));
        bulk::testing::SetChecks(true);
    }
    return {MedianOf(on), MedianOf(off)};
}

struct Times {
    double load = 0, save = 0, copy = 0, paste = 0;
};

struct Figures {
    std::string label;
    std::size_t bytes = 0;
    Times checked, unchecked;
    double streamIn = 0, streamOut = 0, clipboard = 0;
    double undoPaste = 0, redoPaste = 0, type = 0, undoType = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? (std::max)(1, std::atoi(argv[1])) : 3;
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

    const auto fresh = [&] { form->NewDocument(); };
    const auto loaded = [&] {
        form->NewDocument();
        form->loadfile(input);
    };

    // The second half of the document in another font, as text pasted or
    // dropped from elsewhere often is on Windows.
    const auto secondHalfInAnotherFont = [&] {
        const int length = form->WholeLength();
        edit.SelectRange(length / 2, length);
        CHARFORMAT2A font{};
        font.cbSize = sizeof font;
        font.dwMask = CFM_FACE | CFM_SIZE;
        font.yHeight = 200;
        lstrcpynA(font.szFaceName, "Arial", LF_FACESIZE);
        SendMessageA(edit.WindowHandle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&font));
        edit.SelectRange(0, 0);
    };
    struct Document {
        std::string label;
        std::string text;
        std::function<void()> dress;  // after loading, before saving
    };
    const std::vector<Document> documents = {
        {"8-bit", artdocument::DenseArt(4096, 1), {}},
        {"8-bit", artdocument::DenseArt(32768, 1), {}},
        {"8-bit", artdocument::DenseArt(262144, 1), {}},
        {"UTF-8", artdocument::DenseUnicodeArt(32768, 1), {}},
        {"UTF-8", artdocument::DenseUnicodeArt(262144, 1), {}},
        // As large as the largest piece of a public collection of IRC art.
        {"UTF-8", artdocument::DenseUnicodeArt(1400 * 1024, 1), {}},
        {"2 fonts", artdocument::DenseArt(32768, 1), secondHalfInAnotherFont},
    };

    std::vector<Figures> all;
    for (const Document& document : documents) {
        const std::string& art = document.text;
        std::ofstream(input, std::ios::binary).write(art.data(), static_cast<std::streamsize>(art.size()));
        Figures f;
        f.label = document.label;
        f.bytes = art.size();
        const auto dressed = [&] {
            if (document.dress)
                document.dress();
        };

        const auto measure = [&](double Times::*field, const std::function<void()>& prepare,
                                 const std::function<void()>& work) {
            std::tie(f.checked.*field, f.unchecked.*field) = WithAndWithoutChecks(rounds, prepare, work);
        };
        // Every font's profile is found before anything is timed: a load
        // and a save that are not.
        loaded();
        dressed();
        form->Savefile(output, 0, form->WholeLength());
        measure(&Times::load, fresh, [&] { form->loadfile(input); });
        dressed();
        measure(&Times::save, [] {}, [&] { form->Savefile(output, 0, form->WholeLength()); });
        measure(
            &Times::copy,
            [&] {
                edit.SetSelectionStart(0);
                edit.SetSelectionLength(static_cast<int>(edit.UnicodeText().size()));
            },
            [&] { form->Copy1Click(nullptr); });
        measure(&Times::paste, fresh, [&] { form->Paste1Click(nullptr); });
        // The platform's share of Copy: handing the same text to the clipboard.
        const std::string copied = TClipboard(form->Handle()).Text();
        f.clipboard = Median(rounds, [] {}, [&] { TClipboard(form->Handle()).SetText(copied); });

        // The paste's undo step, taken back and given again.
        const auto pasted = [&] {
            fresh();
            form->Paste1Click(nullptr);
        };
        f.undoPaste = Median(rounds, pasted, [&] { form->Undo1Click(nullptr); });
        f.redoPaste = Median(
            rounds,
            [&] {
                pasted();
                form->Undo1Click(nullptr);
            },
            [&] { form->Redo1Click(nullptr); });
        // A key typed in the middle of the document, each time a step of its
        // own, and its undo, each until the window has painted it.
        loaded();
        dressed();
        const int middle = edit.TextLength() / 2;
        const auto painted = [&] { UpdateWindow(edit.WindowHandle()); };
        const auto typeKey = [&] { SendMessageA(edit.WindowHandle(), WM_CHAR, 'x', 1); };
        f.type = Median(rounds, [&] { edit.SelectRange(middle, middle); }, [&] {
            typeKey();
            painted();
        });
        f.undoType = Median(
            rounds,
            [&] {
                edit.SelectRange(middle, middle);
                typeKey();
            },
            [&] {
                form->Undo1Click(nullptr);
                painted();
            });

        loaded();
        dressed();
        const std::string rtf = edit.StreamOut(SF_RTF);
        f.streamOut = Median(rounds, [] {}, [&] { (void)edit.StreamOut(SF_RTF); });
        f.streamIn = Median(rounds, fresh, [&] { edit.StreamIn(SF_RTF, rtf); });
        all.push_back(f);
    }
    // Finding a font's profile: once a run for each font the editor meets.
    const auto probeFor = [&](bulk::TextKind kind) {
        return Median(rounds, [] { bulk::testing::ForgetProfiles(); },
                      [&] { (void)bulk::ProfileForSelection(edit.WindowHandle(), kind); });
    };
    const double probe = probeFor(bulk::TextKind::EightBit), unicodeProbe = probeFor(bulk::TextKind::Unicode);
    DeleteFileA(input.c_str());
    DeleteFileA(output.c_str());

    std::printf("%-8s %-9s %8s %8s %8s %8s   %8s %8s %8s   %6s %6s %6s %6s\n", "text", "bytes", "load", "paste", "save",
                "copy", "rtf in", "rtf out", "clipbd", "load/", "paste/", "save/", "copy/");
    std::printf("%-8s %-9s %8s %8s %8s %8s   %8s %8s %8s   %6s %6s %6s %6s\n", "", "", "ms", "ms", "ms", "ms", "ms", "ms",
                "ms", "in", "in", "out", "out");
    for (const Figures& f : all) {
        const Times& t = f.checked;
        std::printf("%-8s %-9zu %8.1f %8.1f %8.1f %8.1f   %8.1f %8.1f %8.1f   %6.2f %6.2f %6.2f %6.2f\n",
                    f.label.c_str(), f.bytes,
                    t.load * 1e3, t.paste * 1e3, t.save * 1e3, t.copy * 1e3, f.streamIn * 1e3, f.streamOut * 1e3,
                    f.clipboard * 1e3, t.load / f.streamIn, t.paste / f.streamIn, t.save / f.streamOut,
                    t.copy / f.streamOut);
    }
    // Growth from the smallest to the largest 8-bit document, operation by
    // operation.
    const Figures& small = all[0];
    const Figures& large = all[2];
    std::printf("\ngrowth %zu -> %zu bytes: load %.1fx paste %.1fx save %.1fx copy %.1fx | rtf in %.1fx rtf out %.1fx\n",
                small.bytes, large.bytes, large.checked.load / small.checked.load,
                large.checked.paste / small.checked.paste, large.checked.save / small.checked.save,
                large.checked.copy / small.checked.copy, large.streamIn / small.streamIn,
                large.streamOut / small.streamOut);

    std::printf("\nthe checks: the same with the checks off, and what the checks add (ms)\n");
    std::printf("%-8s %-9s %8s %8s %8s %8s   %8s %8s %8s %8s\n", "text", "bytes", "load", "paste", "save", "copy", "+load",
                "+paste", "+save", "+copy");
    for (const Figures& f : all) {
        const Times &on = f.checked, &off = f.unchecked;
        std::printf("%-8s %-9zu %8.1f %8.1f %8.1f %8.1f   %+8.1f %+8.1f %+8.1f %+8.1f\n", f.label.c_str(), f.bytes, off.load * 1e3,
                    off.paste * 1e3, off.save * 1e3, off.copy * 1e3, (on.load - off.load) * 1e3,
                    (on.paste - off.paste) * 1e3, (on.save - off.save) * 1e3, (on.copy - off.copy) * 1e3);
    }
    std::printf("probe for a font's profile, once a run for each font: %.1f ms; with its Unicode part, once "
                "more when a Unicode document first appears: %.1f ms\n",
                probe * 1e3, unicodeProbe * 1e3);

    std::printf("\nundo and redo: the paste's step taken back and given again, and a key typed in the middle (ms)\n");
    std::printf("%-8s %-9s %8s %8s %8s %8s %8s   %6s %6s %6s\n", "text", "bytes", "paste", "undo", "redo", "type",
                "undo", "paste/", "undo/", "redo/");
    std::printf("%-8s %-9s %8s %8s %8s %8s %8s   %6s %6s %6s\n", "", "", "", "paste", "paste", "a key", "key", "in",
                "paste", "paste");
    for (const Figures& f : all) {
        const double paste = f.checked.paste;
        std::printf("%-8s %-9zu %8.1f %8.1f %8.1f %8.1f %8.1f   %6.2f %6.2f %6.2f\n", f.label.c_str(), f.bytes,
                    paste * 1e3, f.undoPaste * 1e3, f.redoPaste * 1e3, f.type * 1e3, f.undoType * 1e3,
                    paste / f.streamIn, f.undoPaste / paste, f.redoPaste / paste);
    }
    return 0;
}
