// The automation helper against real windows and real standard dialogs: in
// this process (answered from a second thread while the main thread sits in
// the modal call) and in a second process (the dialog host).
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/Automation.h"
#include "support/DialogAnswer.h"
#include "support/DialogHost.h"

using namespace automation;

namespace {

constexpr int kNewCommand = 201;
constexpr int kEditId = 300;

// A non-ASCII letter of the ANSI code page, where there is one to test with.
std::string Accented() {
    return GetACP() == 1252 ? "\xE9" : "e";
}

// A top-level window of the test's own class that records what reaches it.
class ProbeWindow {
public:
    struct Options {
        bool visible = true;
        HWND owner = nullptr;
        bool withMenu = false;
        bool withEdit = false;
    };

    explicit ProbeWindow(const std::string& caption) : ProbeWindow(caption, Options()) {}

    ProbeWindow(const std::string& caption, const Options& options) {
        static const ATOM windowClass = [] {
            WNDCLASSA definition{};
            definition.lpfnWndProc = Proc;
            definition.hInstance = GetModuleHandleA(nullptr);
            definition.hCursor = LoadCursor(nullptr, IDC_ARROW);
            definition.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            definition.lpszClassName = kClassName;
            return RegisterClassA(&definition);
        }();
        if (!windowClass) {
            throw AutomationError("cannot register the probe class");
        }
        HMENU menu = nullptr;
        if (options.withMenu) {
            HMENU file = CreatePopupMenu();
            AppendMenuA(file, MF_STRING, kNewCommand, "&New");
            menu = CreateMenu();
            AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
        }
        window_ = CreateWindowExA(0, kClassName, caption.c_str(), WS_OVERLAPPEDWINDOW, 50, 50, 400,
                                  300, options.owner, menu, GetModuleHandleA(nullptr), this);
        if (!window_) {
            if (menu) {
                DestroyMenu(menu);
            }
            throw AutomationError("cannot create the probe window");
        }
        if (options.withEdit) {
            edit_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 5, 5, 300, 24,
                                    window_,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
                                    nullptr, nullptr);
        }
        if (options.visible) {
            ShowWindow(window_, SW_SHOW);
            UpdateWindow(window_);
        }
    }

    ProbeWindow(const ProbeWindow&) = delete;
    ProbeWindow& operator=(const ProbeWindow&) = delete;
    ~ProbeWindow() {
        DestroyWindow(window_);
    }

    HWND Handle() const { return window_; }
    HWND Edit() const { return edit_; }
    int LastCommand() const { return lastCommand_; }
    const std::vector<POINT>& Clicks() const { return clicks_; }

    static constexpr const char* kClassName = "AutomationProbe";

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<ProbeWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self) {
            if (message == WM_COMMAND && lParam == 0) {
                self->lastCommand_ = LOWORD(wParam);
            } else if (message == WM_LBUTTONDOWN) {
                self->clicks_.push_back(POINT{static_cast<short>(LOWORD(lParam)),
                                              static_cast<short>(HIWORD(lParam))});
            } else if (message == WM_NCDESTROY) {
                SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            }
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    HWND edit_ = nullptr;
    int lastCommand_ = 0;
    std::vector<POINT> clicks_;
};

// A thread joined when it goes, so that a failing test cannot leave it behind.
class JoinedThread {
public:
    explicit JoinedThread(std::function<void()> body) : thread_(std::move(body)) {}
    JoinedThread(const JoinedThread&) = delete;
    JoinedThread& operator=(const JoinedThread&) = delete;
    ~JoinedThread() { Join(); }
    void Join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

private:
    std::thread thread_;
};

// Serves this thread's messages until condition holds; false on time-out.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDefaultTimeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(5);
    }
}

// Runs answer on a second thread while this thread makes the modal call, and
// fails the test with the answering thread's error, if it had one.
template <typename Modal>
auto AnswerWhile(const std::function<void()>& answer, Modal modal) -> decltype(modal()) {
    DialogAnswer helper = DialogAnswer::Running(answer);
    auto result = modal();
    EXPECT_EQ(helper.Error(), "") << "the answering thread failed";
    return result;
}

// A fresh folder under the temporary folder, removed with what it holds.
class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH];
        if (!GetTempPathA(MAX_PATH, base)) {
            throw AutomationError("no temporary folder");
        }
        static int counter = 0;
        path_ = std::string(base) + "automation-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        if (!CreateDirectoryA(path_.c_str(), nullptr)) {
            throw AutomationError("cannot create " + path_);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    DeleteFileA(File(found.cFileName).c_str());
                }
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    std::string Create(const std::string& name) const {
        const std::string file = File(name);
        HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            throw AutomationError("cannot create " + file);
        }
        CloseHandle(handle);
        return file;
    }

private:
    std::string path_;
};

// A scalable face that the font dialog offers, to choose in it: Windows has
// the first ones, a Wine prefix on Linux the fontconfig faces.
std::string ScalableFaceAmong(const std::vector<std::string>& faces) {
    for (const char* candidate : {"Tahoma", "Arial", "DejaVu Sans", "Liberation Sans"}) {
        if (std::find(faces.begin(), faces.end(), candidate) != faces.end()) {
            return candidate;
        }
    }
    throw AutomationError("the font dialog offers none of the usual scalable faces");
}

bool FileContains(const std::string& path, const std::string& text) {
    try {
        return ReadWholeFile(path).find(text) != std::string::npos;
    } catch (const AutomationError&) {
        return false;  // not written yet
    }
}

}  // namespace

TEST(WindowSearch, MatchesTheCaptionExactlyOrAsAPrefix) {
    ProbeWindow probe("Automation probe 4711");
    EXPECT_EQ(FindTopLevelWindow(WindowQuery().WithCaption("Automation probe 4711")),
              probe.Handle());
    EXPECT_EQ(FindTopLevelWindow(WindowQuery().WithCaptionPrefix("Automation probe 47")),
              probe.Handle());
    EXPECT_EQ(FindTopLevelWindow(WindowQuery().WithCaption("Automation probe 47")), nullptr);
    EXPECT_EQ(FindTopLevelWindow(WindowQuery().WithCaptionPrefix("probe 4711")), nullptr);
    EXPECT_EQ(CaptionOf(probe.Handle()), "Automation probe 4711");
    EXPECT_EQ(ClassOf(probe.Handle()), ProbeWindow::kClassName);
}

TEST(WindowSearch, FiltersByClassOwnerProcessAndVisibility) {
    ProbeWindow owner("Automation owner");
    ProbeWindow::Options owned;
    owned.owner = owner.Handle();
    ProbeWindow first("Automation twin");
    ProbeWindow second("Automation twin", owned);
    ProbeWindow::Options hidden;
    hidden.visible = false;
    ProbeWindow invisible("Automation hidden", hidden);

    const WindowQuery twins = WindowQuery().WithCaption("Automation twin");
    EXPECT_EQ(FindTopLevelWindows(twins).size(), 2u);
    EXPECT_EQ(FindTopLevelWindow(WindowQuery(twins).OwnedBy(owner.Handle())), second.Handle());
    EXPECT_EQ(FindTopLevelWindows(WindowQuery(twins).WithClass(ProbeWindow::kClassName)).size(), 2u);
    EXPECT_EQ(FindTopLevelWindow(WindowQuery(twins).WithClass("Edit")), nullptr);
    EXPECT_EQ(FindTopLevelWindows(WindowQuery(twins).InThisProcess()).size(), 2u);
    EXPECT_EQ(FindTopLevelWindow(WindowQuery(twins).InProcess(GetCurrentProcessId() + 4)), nullptr);

    const WindowQuery hiddenOne = WindowQuery().WithCaption("Automation hidden");
    EXPECT_EQ(FindTopLevelWindow(hiddenOne), nullptr);
    EXPECT_EQ(FindTopLevelWindow(WindowQuery(hiddenOne).IncludingHidden()), invisible.Handle());
}

TEST(WindowSearch, WaitsForAWindowThatAppearsLater) {
    HWND found = nullptr;
    std::string failure;
    JoinedThread waiter([&] {
        try {
            found = WaitForWindow(WindowQuery().WithCaption("Automation latecomer").InThisProcess());
        } catch (const AutomationError& error) {
            failure = error.what();
        }
    });
    Sleep(300);
    ProbeWindow late("Automation latecomer");
    waiter.Join();
    EXPECT_EQ(failure, "");
    EXPECT_EQ(found, late.Handle());
}

TEST(WindowSearch, RaisesWhenNoWindowComesInTime) {
    ProbeWindow bystander("Automation bystander");
    try {
        WaitForWindow(WindowQuery().WithCaption("Automation nobody"), 200);
        FAIL() << "no error for a window that never came";
    } catch (const AutomationError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("\"Automation nobody\""), std::string::npos) << message;
        // The error lists what was there instead.
        EXPECT_NE(message.find("Automation bystander"), std::string::npos) << message;
    }
}

TEST(WindowText, FindsDescendantsAndReadsAndSetsTheirText) {
    ProbeWindow probe("Automation text");
    HWND panel = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100,
                                 probe.Handle(), reinterpret_cast<HMENU>(7), nullptr, nullptr);
    HWND edit = CreateWindowExA(0, "EDIT", "first", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, panel,
                                reinterpret_cast<HMENU>(1148), nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(FindDescendant(probe.Handle(), 1148), edit);
    EXPECT_EQ(FindDescendant(probe.Handle(), 7), panel);
    EXPECT_EQ(FindDescendant(probe.Handle(), 9999), nullptr);
    EXPECT_EQ(FindDescendantByClass(probe.Handle(), "edit"), edit);
    EXPECT_EQ(FindDescendantByClass(probe.Handle(), "Button"), nullptr);

    EXPECT_EQ(TextOf(edit), "first");
    const std::string text = "Caf" + Accented() + " au lait";
    SetTextOf(edit, text);
    EXPECT_EQ(TextOf(edit), text);
    char raw[64] = "";
    GetWindowTextA(edit, raw, 64);
    EXPECT_EQ(std::string(raw), text) << "the text reached the control in the ANSI code page";
}

TEST(MessageBoxes, ReadsCaptionAndTextOfTheOwnersBoxAndAnswersOk) {
    ProbeWindow owner("Automation box owner");
    ProbeWindow other("Automation other owner");
    MessageBoxContent content;
    HWND otherBox = reinterpret_cast<HWND>(1);
    const int result = AnswerWhile(
        [&] {
            HWND box = WaitForWindow(MessageBoxQuery().OwnedBy(owner.Handle()));
            otherBox = FindTopLevelWindow(MessageBoxQuery().OwnedBy(other.Handle()));
            content = ReadMessageBox(box);
            CloseDialog(box, IDOK);
            EXPECT_FALSE(IsWindowVisible(box));
        },
        [&] {
            return MessageBoxA(owner.Handle(), "Line one\nline two", "Automation caption",
                               MB_OKCANCEL | MB_ICONERROR);
        });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(content.caption, "Automation caption");
    EXPECT_EQ(content.text, "Line one\nline two");
    EXPECT_EQ(otherBox, nullptr);
}

TEST(MessageBoxes, AnswersWithTheGivenButton) {
    const struct {
        UINT type;
        int answer;
    } cases[] = {{MB_OKCANCEL, IDCANCEL}, {MB_YESNO, IDNO}, {MB_YESNO, IDYES}};
    for (const auto& c : cases) {
        const int result = AnswerWhile(
            [&] {
                CloseDialog(WaitForWindow(MessageBoxQuery().WithCaption("Automation answer")
                                              .InThisProcess()),
                            c.answer);
            },
            [&] { return MessageBoxA(nullptr, "Which?", "Automation answer", c.type); });
        EXPECT_EQ(result, c.answer);
    }
}

TEST(FileDialogs, OpenReturnsTheAnsweredPathFullOrRelativeToTheFolder) {
    TempFolder folder;
    const std::string existing = folder.Create("probe.txt");
    ProbeWindow owner("Automation open owner");
    for (const std::string& answer : {existing, std::string("probe.txt")}) {
        std::string chosen;
        const bool ok = AnswerWhile(
            [&] { AnswerFileDialog(WaitForWindow(MessageBoxQuery().OwnedBy(owner.Handle())), answer); },
            [&] { return AskFileName(owner.Handle(), false, folder.Path(), chosen); });
        EXPECT_TRUE(ok) << answer;
        EXPECT_EQ(lstrcmpiA(chosen.c_str(), existing.c_str()), 0) << chosen << " for " << answer;
    }
}

TEST(FileDialogs, SaveAddsTheDefaultExtension) {
    TempFolder folder;
    ProbeWindow owner("Automation save owner");
    std::string chosen;
    const bool ok = AnswerWhile(
        [&] { AnswerFileDialog(WaitForWindow(MessageBoxQuery().OwnedBy(owner.Handle())), "fresh"); },
        [&] { return AskFileName(owner.Handle(), true, folder.Path(), chosen); });
    EXPECT_TRUE(ok);
    EXPECT_EQ(lstrcmpiA(chosen.c_str(), folder.File("fresh.txt").c_str()), 0) << chosen;
}

TEST(FileDialogs, CancelReturnsNoName) {
    TempFolder folder;
    ProbeWindow owner("Automation cancel owner");
    for (bool save : {false, true}) {
        std::string chosen = "untouched";
        const bool ok = AnswerWhile(
            [&] { CloseDialog(WaitForWindow(MessageBoxQuery().OwnedBy(owner.Handle())), IDCANCEL); },
            [&] { return AskFileName(owner.Handle(), save, folder.Path(), chosen); });
        EXPECT_FALSE(ok) << (save ? "save" : "open");
        EXPECT_EQ(chosen, "untouched");
    }
}

TEST(FileDialogs, ReportsTheMessageBoxThatRefusedAMissingFile) {
    TempFolder folder;
    ProbeWindow owner("Automation refusal owner");
    std::string refusal;
    MessageBoxContent box;
    std::string chosen;
    const bool ok = AnswerWhile(
        [&] {
            HWND dialog = WaitForWindow(MessageBoxQuery().OwnedBy(owner.Handle()));
            try {
                AnswerFileDialog(dialog, "missing.txt", 1000);
            } catch (const AutomationError& error) {
                refusal = error.what();
            }
            HWND complaint = WaitForWindow(MessageBoxQuery().OwnedBy(dialog));
            box = ReadMessageBox(complaint);
            CloseDialog(complaint, IDOK);
            CloseDialog(dialog, IDCANCEL);
        },
        [&] { return AskFileName(owner.Handle(), false, folder.Path(), chosen); });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(box.text.empty());
    EXPECT_NE(refusal.find("stayed open"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find(box.text), std::string::npos) << "the error quotes the box: " << refusal;
}

TEST(FontDialog, ReturnsTheChosenFaceStyleAndSize) {
    ProbeWindow owner("Automation font owner");
    LOGFONTA font{};
    lstrcpynA(font.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    font.lfHeight = -11;
    int pointSizeTenths = 0;
    std::vector<std::string> faces;
    std::string face;
    const bool ok = AnswerWhile(
        [&] {
            HWND dialog = WaitForWindow(MessageBoxQuery().OwnedBy(owner.Handle()));
            faces = ComboItems(FindDescendant(dialog, kFontFaceComboId));
            face = ScalableFaceAmong(faces);
            FontAnswer answer;
            answer.faceName = face;
            CharUpperA(&answer.faceName[0]);  // matched ignoring case
            answer.style = "Bold";
            answer.pointSize = 14;
            AnswerFontDialog(dialog, answer);
        },
        [&] { return AskFont(owner.Handle(), font, pointSizeTenths); });
    EXPECT_TRUE(ok);
    EXPECT_EQ(std::string(font.lfFaceName), face);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_EQ(pointSizeTenths, 140);
    EXPECT_NE(std::find(faces.begin(), faces.end(), "MS Sans Serif"), faces.end())
        << "the initial face is offered";
}

TEST(FontDialog, RaisesForAFaceNotOfferedAndCancelKeepsTheFont) {
    ProbeWindow owner("Automation font cancel owner");
    LOGFONTA font{};
    lstrcpynA(font.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    font.lfHeight = -11;
    int pointSizeTenths = 0;
    std::string refusal;
    const bool ok = AnswerWhile(
        [&] {
            HWND dialog = WaitForWindow(MessageBoxQuery().OwnedBy(owner.Handle()));
            try {
                SelectComboItem(FindDescendant(dialog, kFontFaceComboId), "No Such Face");
            } catch (const AutomationError& error) {
                refusal = error.what();
            }
            CloseDialog(dialog, IDCANCEL);
        },
        [&] { return AskFont(owner.Handle(), font, pointSizeTenths); });
    EXPECT_FALSE(ok);
    EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
    EXPECT_NE(refusal.find("\"No Such Face\""), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("\"MS Sans Serif\""), std::string::npos)
        << "lists what is offered: " << refusal;
}

TEST(Input, TypesIntoTheFocusedEditChoosesMenusAndClicks) {
    ProbeWindow::Options options;
    options.withMenu = true;
    options.withEdit = true;
    ProbeWindow probe("Automation input", options);
    SetForegroundWindow(probe.Handle());
    SetFocus(probe.Edit());

    std::string failure;
    // The input comes from a second thread while this one serves the window.
    auto drive = [&](const std::function<void()>& action, const std::function<bool()>& arrived) {
        JoinedThread driver([&] {
            try {
                action();
            } catch (const AutomationError& error) {
                failure = error.what();
            }
        });
        return PumpUntil(arrived);
    };

    EXPECT_TRUE(drive(
        [&] {
            BringToFront(probe.Handle());
            TypeText("Hi there, (x=1)!");
        },
        [&] { return TextOf(probe.Edit()) == "Hi there, (x=1)!"; }))
        << "the edit holds \"" << TextOf(probe.Edit()) << "\"";
    EXPECT_TRUE(drive([&] { ChooseMenu(probe.Handle(), "FN"); },
                      [&] { return probe.LastCommand() == kNewCommand; }));
    EXPECT_TRUE(drive([&] { ClickClient(probe.Handle(), 120, 150); },
                      [&] { return !probe.Clicks().empty(); }));
    ASSERT_EQ(probe.Clicks().size(), 1u);
    EXPECT_EQ(probe.Clicks()[0].x, 120);
    EXPECT_EQ(probe.Clicks()[0].y, 150);
    EXPECT_EQ(failure, "");
}

TEST(OtherProcess, QuotedArgumentsArriveUnchanged) {
    TempFolder folder;
    const std::vector<std::string> arguments = {
        "plain", "with space", "quote\"inside", "trailing\\", "back\\\\slashes\\\" quote", ""};
    std::vector<std::string> command = {"args", folder.File("args.txt")};
    command.insert(command.end(), arguments.begin(), arguments.end());
    Process host = Process::Start(DialogHostCommand(command));
    ASSERT_TRUE(host.WaitForExit());
    EXPECT_EQ(host.ExitCode(), 0u);
    std::string expected;
    for (const std::string& argument : arguments) {
        expected += argument + "\n";
    }
    EXPECT_EQ(ReadWholeFile(folder.File("args.txt")), expected);
}

TEST(OtherProcess, DrivesTheWindowOfAnotherProcess) {
    TempFolder folder;
    const std::string result = folder.File("window.txt");
    Process host = Process::Start(DialogHostCommand({"window", "Automation host window", result}));
    HWND window = host.WaitForMainWindow("Automation host window");

    BringToFront(window);
    TypeText("hello, world");
    ChooseMenu(window, "FS");
    EXPECT_TRUE(WaitUntil([&] { return FileContains(result, "hello, world"); }))
        << "typed text saved through the menu";

    ClickClient(window, 60, 180);
    EXPECT_TRUE(WaitUntil([&] { return FileContains(result, "click 60 180\n"); }))
        << [&] {
               POINT point{60, 180};
               ClientToScreen(window, &point);
               POINT cursor{};
               GetCursorPos(&cursor);
               HWND under = WindowFromPoint(point);
               return "target " + std::to_string(point.x) + "," + std::to_string(point.y) +
                      " cursor " + std::to_string(cursor.x) + "," + std::to_string(cursor.y) +
                      " under it " + ClassOf(under) + " \"" + CaptionOf(under) + "\" file \"" +
                      ReadWholeFile(result) + "\"\n" + ListVisibleWindows();
           }();

    ChooseMenu(window, "FX");
    ASSERT_TRUE(host.WaitForExit());
    EXPECT_EQ(host.ExitCode(), 0u);
}

TEST(OtherProcess, ReadsAndAnswersAMessageBox) {
    const std::string text = "Caf" + Accented() + " au lait";
    Process host = Process::Start(DialogHostCommand({"msgbox", "Automation host box", text}));
    HWND box = host.WaitForMainWindow("Automation host box");
    const MessageBoxContent content = ReadMessageBox(box);
    EXPECT_EQ(content.caption, "Automation host box");
    EXPECT_EQ(content.text, text) << "text read across processes in the ANSI code page";
    CloseDialog(box, IDCANCEL);
    ASSERT_TRUE(host.WaitForExit());
    EXPECT_EQ(host.ExitCode(), static_cast<DWORD>(IDCANCEL));
}

TEST(OtherProcess, AnswersTheOpenSaveAndFontDialogs) {
    TempFolder folder;
    const std::string existing = folder.Create("there.txt");
    const std::string result = folder.File("result.txt");
    {
        Process host = Process::Start(DialogHostCommand({"open", folder.Path(), result}));
        AnswerFileDialog(WaitForWindow(MessageBoxQuery().InProcess(host.Id())), "there.txt");
        ASSERT_TRUE(host.WaitForExit());
        EXPECT_EQ(host.ExitCode(), 0u);
        EXPECT_EQ(lstrcmpiA(ReadWholeFile(result).c_str(), existing.c_str()), 0);
    }
    {
        Process host = Process::Start(DialogHostCommand({"save", folder.Path(), result}));
        AnswerFileDialog(WaitForWindow(MessageBoxQuery().InProcess(host.Id())), "new name");
        ASSERT_TRUE(host.WaitForExit());
        EXPECT_EQ(host.ExitCode(), 0u);
        EXPECT_EQ(lstrcmpiA(ReadWholeFile(result).c_str(), folder.File("new name.txt").c_str()), 0);
    }
    {
        Process host = Process::Start(DialogHostCommand({"font", result}));
        HWND dialog = WaitForWindow(MessageBoxQuery().InProcess(host.Id()));
        const std::vector<std::string> faces = ComboItems(FindDescendant(dialog, kFontFaceComboId));
        EXPECT_NE(std::find(faces.begin(), faces.end(), "MS Sans Serif"), faces.end())
            << "face names read across processes";
        FontAnswer answer;
        answer.faceName = ScalableFaceAmong(faces);
        answer.pointSize = 12;
        AnswerFontDialog(dialog, answer);
        ASSERT_TRUE(host.WaitForExit());
        EXPECT_EQ(host.ExitCode(), 0u);
        EXPECT_EQ(ReadWholeFile(result), answer.faceName + "\n120\n400\n");
    }
}

TEST(OtherProcess, WaitForMainWindowReportsAnEarlyExitAndCloseEndsTheProgram) {
    {
        Process quitter = Process::Start(DialogHostCommand({"exit", "7"}));
        try {
            quitter.WaitForMainWindow("Never shown");
            FAIL() << "no error for a process that ended";
        } catch (const AutomationError& error) {
            EXPECT_NE(std::string(error.what()).find("exit code 7"), std::string::npos)
                << error.what();
        }
    }
    TempFolder folder;
    Process host = Process::Start(
        DialogHostCommand({"window", "Automation closing", folder.File("unused.txt")}));
    host.WaitForMainWindow("Automation closing");
    EXPECT_TRUE(host.IsRunning());
    EXPECT_TRUE(host.Close());
    EXPECT_FALSE(host.IsRunning());
    EXPECT_EQ(host.ExitCode(), 0u);
}
