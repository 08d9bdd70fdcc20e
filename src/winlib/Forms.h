// Forms, the application object with its message loop, and the error box.
#pragma once

#include "winlib/Controls.h"
#include "winlib/Exceptions.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace winlib {

enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TPosition { poDesigned, poScreenCenter };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };

constexpr int mrNone = 0;
constexpr int mrOk = IDOK;
constexpr int mrCancel = IDCANCEL;

using TCloseEvent = std::function<void(TComponent* sender, TCloseAction& action)>;
// Whether the form may close; canClose starts true.
using TCloseQueryEvent = std::function<void(TComponent* sender, bool& canClose)>;

// While it lives, Windows shows the reason to a user who ends the session,
// rather than ending the program; where the system has no such list
// (before Vista) it does nothing.
class ShutdownBlock {
public:
    ShutdownBlock(HWND window, const std::wstring& reason);
    ~ShutdownBlock();
    ShutdownBlock(const ShutdownBlock&) = delete;
    ShutdownBlock& operator=(const ShutdownBlock&) = delete;

private:
    HWND window_ = nullptr;  // none: nothing to take back
};

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;
    const char* ClassName() const override { return "TForm"; }

    // Sets the size of the client area; the frame grows around it.
    void SetClientSize(int width, int height);
    TPosition Position = poDesigned;
    TFormBorderStyle BorderStyle = bsSizeable;
    bool MinimizeBox = true;
    bool MaximizeBox = true;
    // Not owned: icons loaded from the program's resources live as long as it.
    HICON Icon = nullptr;
    // The menu bar's handle; the menu component owns it.
    HMENU MenuHandle = nullptr;
    // Menu commands and the opening of menus, given to the menu component.
    std::function<bool(WORD id)> OnMenuCommand;
    std::function<void(HMENU menu)> OnMenuPopup;

    int ModalResult = mrNone;
    int ShowModal();
    void Show();
    void Hide();
    void Close();
    // Destroys the form once the current handler has returned.
    void Release();
    bool Modal() const { return modal_; }

    // The control that takes the focus when the form is first activated.
    TWinControl* ActiveControl = nullptr;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    // Asked before the form closes by any road, and when Windows asks
    // whether the session may end.
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;
    // True while OnCloseQuery answers Windows' question about ending the session.
    bool EndingSession() const noexcept { return endingSession_; }

    // Runs the creation event, after the components exist.
    void DoCreate();

protected:
    void WndProc(TMessage& message) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    void WMClose(TMessage& message);
    void WMDestroy(TMessage& message);
    void WMCommand(TMessage& message);
    void WMInitMenuPopup(TMessage& message);
    void WMActivate(TMessage& message);
    void WMSysCommand(TMessage& message);
    void WMQueryEndSession(TMessage& message);
    void WMEraseBkgnd(TMessage& message);
    void DMGetDefId(TMessage& message);
    void CMRelease(TMessage& message);
    void CMFocusChanged(TMessage& message);

    TCloseAction CloseQuery();
    // Runs the messages until the modal result is set and the form may close.
    TCloseAction ModalLoop();
    void RestoreFocus();

    // The window of the control that had the focus last; not owned, and
    // checked before use, as the control may have gone since.
    HWND focusedWindow_ = nullptr;

    int clientWidth_ = 0;
    int clientHeight_ = 0;
    bool clientSizeSet_ = false;
    bool modal_ = false;
    bool endingSession_ = false;
};

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;
    const char* ClassName() const override { return "TApplication"; }

    void Initialize();
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);
    std::string HelpFile;
    HICON Icon = nullptr;

    TForm* MainForm() const { return mainForm_; }
    // Makes a form owned by the application; the first one is the main window.
    template <class T>
    void CreateForm(T*& reference)
    {
        T* form = new T(this);
        reference = form;
        if (mainForm_ == nullptr)
            mainForm_ = form;
        form->DoCreate();
    }
    void Run();
    void ProcessMessages();
    // The program's windows go behind its taskbar button, which is the
    // application window, and come back from there.
    void Minimize();
    void Restore();
    // Passes the activation that the application window got on to the
    // program's window that was active last, or the main window.
    void ActivateLastWindow();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // The form leaves the books: no longer the main form, nor the active one.
    void FormDestroyed(TForm* form);
    // A window that is going stops being the active form's.
    void ForgetActiveForm(HWND window);

    // The error box for the exception being handled.
    void HandleException(TComponent* sender) noexcept;
    void ShowException(const Exception& error);
    // For an exception outside any handler: shown, and the caller ends the program.
    void ShowFatalException() noexcept;

    // Shows a help topic of the help file; what stands in for the help engine
    // is set by the program.
    std::function<void(HWND owner, const std::string& helpFile, int context)> HelpEngine;
    void HelpContext(int context);

    HWND Handle() const { return handle_; }
    // The form whose dialog keys (Tab, Enter) the message loop handles.
    HWND ActiveFormHandle = nullptr;

    // Whether the loop should hand this message to the active form's dialog
    // key handling.
    bool IsDialogKeyMessage(MSG& msg);

private:
    void HandleMessage(MSG& msg);

    std::string title_;
    TForm* mainForm_ = nullptr;
    HWND handle_ = nullptr;
    bool terminated_ = false;
};

// The one application object of the program.
extern TApplication* Application;

// The text of the error box: the message with "." appended when it is not
// empty and its last character comes after "." in character code.
std::string ErrorBoxText(const std::string& message);

// The text shown for an exception that is not one of the library's.
std::string ForeignExceptionText(const char* className, const void* address, const std::string& text);

}  // namespace winlib
