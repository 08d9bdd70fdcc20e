// Shared helpers of the end-to-end tests: start vexil.exe, find its controls
// by class, caption and place, and drive them with messages that are safe
// across processes (no pointers in wParam or lParam).
#pragma once

#include "support/Automation.h"

#include <string>
#include <vector>

namespace e2e {

constexpr const char* kMainCaption = "Vexil Version 2.00 Release Version";

// A child's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child);
// All descendants of this class, in the order the system lists them.
std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className);
// The descendant of this class with exactly this caption; raises when none.
HWND ChildWithCaption(HWND parent, const std::string& className, const std::string& caption);

// Sends a message and raises when the window does not answer in time.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// A press and release at a client point, sent (the handlers have run when it
// returns), with WM_LBUTTON*, WM_RBUTTON* or WM_MBUTTON* by button.
enum class Button { Left, Right, Middle };
void Click(HWND window, int x, int y, Button button = Button::Left);
void ClickCentre(HWND window, Button button = Button::Left);
// The same, posted: for controls whose click opens a modal dialog.
void PostClickCentre(HWND window);

// The colour on screen at a client point of the window (its centre by default).
COLORREF ColourAt(HWND window, int x = -1, int y = -1);

// The whole file, or raises.
std::string ReadFileBytes(const std::string& path);
// A fresh path in the temporary folder; any old file there is removed.
std::string TempPath(const std::string& stem);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The clipboard's CF_TEXT, as another program puts it there and reads it.
void PutClipboardText(const std::string& text);
std::string ClipboardText();

// Answers an Open or Save dialog with path and, when the system asks whether
// to replace the file, Yes.
void AnswerSaveDialog(HWND dialog, const std::string& path);

// One running vexil.exe with its main window.
class Vexil {
public:
    // Starts this program file (by default the vexil.exe beside the tests).
    explicit Vexil(const std::string& program = automation::ProgramBeside("vexil.exe"));
    ~Vexil();
    Vexil(const Vexil&) = delete;
    Vexil& operator=(const Vexil&) = delete;

    automation::Process& Process() { return process_; }
    HWND Main() const { return main_; }
    HWND Editor() const;
    HWND PaletteBar() const;
    HWND List() const;
    // The sixteen palette swatches, left to right, and the text and
    // background swatches below them.
    std::vector<HWND> Swatches() const;
    HWND TextSwatch() const;
    HWND BackSwatch() const;
    // The window of the program that has the keyboard focus; null when none has.
    HWND Focus() const;

    // A fresh temporary path, removed again when this object goes.
    std::string NewFile(const std::string& stem);
    // Waits until every message sent so far has been handled.
    void Sync() const;
    // The same for long handlers (a big load or save); raises when the
    // program does not answer within the time.
    void WaitIdle(DWORD timeoutMs) const;
    void Menu(const std::string& mnemonics);
    // File, New; unsaved changes are dropped (No to the question).
    void FileNew();
    // File, Save into a fresh file; returns its bytes.
    std::string SaveBytes(DWORD timeoutMs = automation::kDefaultTimeoutMs);
    // File, Load of this file; waits until the editor's text starts with expectedText.
    void Load(const std::string& path, const std::string& expectedText,
              DWORD timeoutMs = automation::kDefaultTimeoutMs);
    HWND WaitForDialog() const;
    // The program's question whether to save unsaved changes, waited for up
    // to timeoutMs; null when it did not come.
    HWND SaveQuestion(DWORD timeoutMs) const;
    // The next dialog, once a question about unsaved changes before it (if
    // one comes) is answered No.
    HWND DialogAfterQuestion() const;
    // Waits (generously) for the program's next message box, reads it and
    // presses its OK button.
    automation::MessageBoxContent TakeMessageBox() const;

    // Characters to the editor as WM_CHAR, '\n' as the Enter key.
    void Type(const std::string& text);
    std::string Text() const;
    // Packed EM_GETSEL: start and end of the selection.
    std::pair<int, int> Selection() const;
    // Where the character at this position stands, in editor client pixels.
    POINT CharPos(int position) const;
    // Drags the mouse in the editor from before one character to before another.
    void Drag(int fromPosition, int toPosition);

private:
    automation::Process process_;
    HWND main_ = nullptr;
    std::vector<std::string> files_;
};

}  // namespace e2e
