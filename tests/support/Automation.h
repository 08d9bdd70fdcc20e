// Finds and drives windows from a test: top-level windows, message boxes, the
// Open/Save and Font common dialogs, keyboard and mouse input, and whole
// processes. Pure Win32, usable from a second thread of the process that shows
// the windows (its main thread sitting in a modal loop) or from another
// process. Every wait polls; a wait that runs out raises AutomationError.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace automation {

constexpr DWORD kDefaultTimeoutMs = 5000;
// How long a dialog or message box is waited for, and waited on to close: a
// loaded machine can be slow to show one.
constexpr DWORD kDialogTimeoutMs = 60000;
constexpr DWORD kPollIntervalMs = 20;

// Set in the environment of the suites that run on purpose under a
// multi-byte ANSI code page, which the test programs otherwise refuse.
constexpr const char* kMultiByteCodePageFlag = "VEXIL_MULTIBYTE_CODE_PAGE";

// The class name of dialog boxes, message boxes and common dialogs included.
constexpr const char* kDialogClass = "#32770";

// Control ids inside the common dialogs.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kFileNameComboId = 1148;   // explorer style: ComboBoxEx32 > ComboBox > Edit
constexpr int kFileNameEditId = 1152;    // older style: a plain edit
constexpr int kFontFaceComboId = 1136;
constexpr int kFontStyleComboId = 1137;
constexpr int kFontSizeComboId = 1138;

class AutomationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Text across the ANSI/UTF-16 boundary, in the ANSI code page.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

// Polls condition every kPollIntervalMs until it holds; false when time ran out.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDefaultTimeoutMs);

// What a top-level window must be; fields left empty or zero match anything.
struct WindowQuery {
    std::string className;
    std::string caption;
    bool captionIsPrefix = false;
    HWND owner = nullptr;
    DWORD processId = 0;
    bool visibleOnly = true;

    WindowQuery& WithClass(std::string name);
    WindowQuery& WithCaption(std::string text);
    WindowQuery& WithCaptionPrefix(std::string prefix);
    WindowQuery& OwnedBy(HWND window);
    WindowQuery& InProcess(DWORD id);
    WindowQuery& InThisProcess();
    WindowQuery& IncludingHidden();

    bool Matches(HWND window) const;
    std::string Describe() const;
};

// The first matching top-level window now, or nullptr.
HWND FindTopLevelWindow(const WindowQuery& query);
std::vector<HWND> FindTopLevelWindows(const WindowQuery& query);
// Waits for a match; the error lists the visible windows when none came.
HWND WaitForWindow(const WindowQuery& query, DWORD timeoutMs = kDefaultTimeoutMs);
void WaitForWindowHidden(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);

// Class and caption as stored by the system, without sending a message.
std::string ClassOf(HWND window);
std::string CaptionOf(HWND window);
// Text by WM_GETTEXT, asked in UTF-16 (what Wine returns across processes
// whatever was asked) and converted; raises when the window does not answer.
std::string TextOf(HWND window);
void SetTextOf(HWND window, const std::string& text);

// A child, grandchild, ... with this id or class; nullptr when there is none.
HWND FindDescendant(HWND parent, int controlId);
HWND FindDescendantByClass(HWND parent, const std::string& className);

// The visible top-level windows, one "class "caption"" per line, for errors.
std::string ListVisibleWindows();

struct MessageBoxContent {
    std::string caption;
    std::string text;
};

WindowQuery MessageBoxQuery();
MessageBoxContent ReadMessageBox(HWND box);
// Sends the dialog a WM_COMMAND with this command and waits until it is no
// longer visible (its handle can outlive it for a while).
void CloseDialog(HWND dialog, int command = IDOK, DWORD timeoutMs = kDialogTimeoutMs);

// Types fileName into an Open or Save dialog and presses OK. Raises when the
// dialog stays up, naming the message box it put up if there is one.
void AnswerFileDialog(HWND dialog, const std::string& fileName,
                      DWORD timeoutMs = kDialogTimeoutMs);
// The same with a name in any script.
void AnswerFileDialog(HWND dialog, const std::wstring& fileName,
                      DWORD timeoutMs = kDialogTimeoutMs);

// Strings of a combo box with CBS_HASSTRINGS, read in UTF-16 and converted.
std::vector<std::string> ComboItems(HWND combo);
// Selects the item equal to text (ignoring case) and tells the parent, as a
// user's choice would; raises when there is no such item.
void SelectComboItem(HWND combo, const std::string& text);

struct FontAnswer {
    std::string faceName;  // empty: keep
    std::string style;     // e.g. "Bold"; empty: keep
    int pointSize = 0;     // 0: keep
};
// Makes the choices in a Font dialog and presses OK.
void AnswerFontDialog(HWND dialog, const FontAnswer& answer,
                      DWORD timeoutMs = kDialogTimeoutMs);

// Input through SendInput; it goes to the foreground window.
enum Modifier : unsigned { kNoModifier = 0, kShift = 1, kControl = 2, kAlt = 4 };
void BringToFront(HWND window);
void PressKey(WORD virtualKey, unsigned modifiers = kNoModifier);
void TypeText(const std::string& text);
// Alt plus the first mnemonic opens the menu; the others choose the items.
void ChooseMenu(HWND window, const std::string& mnemonics);
// Moves the mouse to a point of the window's client area and clicks there.
void ClickClient(HWND window, int x, int y, bool rightButton = false);

// Moves the calling thread to the named desktop, so that it finds and drives
// the windows there: under Wine, a program started by
// "explorer /desktop=NAME,WxH" lives on the desktop NAME, and other processes
// see its windows only from that desktop. Call before the thread has windows.
void UseDesktop(const std::string& name);

// The folder of the running program, and a program beside it.
std::string ProgramDirectory();
std::string ProgramBeside(const std::string& fileName);
// Quotes one argument for a command line as the C runtime parses it back.
std::string QuoteArgument(const std::string& argument);

// A started program; ended when the object goes if it is still running.
class Process {
public:
    static Process Start(const std::string& commandLine, const std::string& directory = {});

    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    DWORD Id() const noexcept { return id_; }
    HANDLE Handle() const noexcept { return handle_; }
    bool IsRunning() const;
    HWND WaitForMainWindow(const std::string& caption, DWORD timeoutMs = kDefaultTimeoutMs) const;
    bool WaitForExit(DWORD timeoutMs = kDefaultTimeoutMs) const;
    DWORD ExitCode() const;
    // WM_CLOSE to the process's visible top-level windows, then waits for the
    // exit; terminates it if it does not end in time. True for a clean end.
    bool Close(DWORD timeoutMs = kDefaultTimeoutMs);
    void Terminate();

private:
    Process(HANDLE handle, DWORD id) noexcept : handle_(handle), id_(id) {}
    void Release() noexcept;

    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

}  // namespace automation
