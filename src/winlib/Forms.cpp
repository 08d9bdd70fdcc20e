#include "winlib/Forms.h"

#include "winlib/Exceptions.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>
#include <vector>
#if defined(__GNUC__)
#include <cxxabi.h>
#include <cstdlib>
#endif

namespace winlib {

TApplication* Application = nullptr;

namespace {

const char* const ApplicationClassName = "TApplication";

LRESULT CALLBACK ApplicationWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // The application window stands for the program in the taskbar; closing
    // it closes the main window, minimising and restoring it take the
    // program's windows with it.
    const WPARAM command = wParam & 0xFFF0;
    if (Application != nullptr && msg == WM_SYSCOMMAND && (command == SC_MINIMIZE || command == SC_RESTORE)) {
        if (command == SC_MINIMIZE)
            Application->Minimize();
        else
            Application->Restore();
        return 0;
    }
    if (msg == WM_CLOSE || (msg == WM_SYSCOMMAND && command == SC_CLOSE)) {
        if (Application != nullptr && Application->MainForm() != nullptr) {
            try {
                Application->MainForm()->Close();
            } catch (...) {
                HandleException(Application);
            }
        }
        return 0;
    }
    const LRESULT result = DefWindowProcA(window, msg, wParam, lParam);
    // It has nothing to type into: it hands the activation on.
    if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && !IsIconic(window) && Application != nullptr)
        Application->ActivateLastWindow();
    return result;
}

std::string ModuleBaseName()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* slash = std::strrchr(path, '\\');
    return slash != nullptr ? slash + 1 : path;
}

std::string TypeName(const std::type_info& type)
{
#if defined(__GNUC__)
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    if (status == 0 && demangled != nullptr) {
        std::string name = demangled;
        std::free(demangled);
        return name;
    }
#endif
    return type.name();
}

// Disables the thread's other enabled top-level windows while a modal form
// is up, and enables them again afterwards.
class DisabledTaskWindows {
public:
    explicit DisabledTaskWindows(HWND except) : except_(except)
    {
        EnumThreadWindows(GetCurrentThreadId(), &DisabledTaskWindows::Visit, reinterpret_cast<LPARAM>(this));
    }
    ~DisabledTaskWindows()
    {
        for (HWND window : windows_)
            if (IsWindow(window))
                EnableWindow(window, TRUE);
    }
    DisabledTaskWindows(const DisabledTaskWindows&) = delete;
    DisabledTaskWindows& operator=(const DisabledTaskWindows&) = delete;

private:
    static BOOL CALLBACK Visit(HWND window, LPARAM self)
    {
        auto* me = reinterpret_cast<DisabledTaskWindows*>(self);
        if (window != me->except_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            me->windows_.push_back(window);
        }
        return TRUE;
    }

    HWND except_;
    std::vector<HWND> windows_;
};

// Whether the window can take the activation or the focus now.
bool TakesInput(HWND window)
{
    return window != nullptr && IsWindow(window) && IsWindowVisible(window) && IsWindowEnabled(window);
}

}  // namespace

namespace {

// The program's error box: task-modal without an owner, so that it disables
// every other window of the program. Closing it leaves no window of the
// program active; the window that was is made so again, and its form gives
// the focus back to the control that had it, so that the user's keys go
// where they went before.
void ShowErrorBox(const std::string& text, const std::string& caption) noexcept
{
    HWND active = GetActiveWindow();
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR | MB_OK | MB_TASKMODAL);
    if (active != nullptr && IsWindow(active))
        SetActiveWindow(active);
}

}  // namespace

std::string ErrorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

std::string ForeignExceptionText(const char* className, const void* address, const std::string& text)
{
    return Format("Exception %s in module %s at %p.", className, ModuleBaseName().c_str(), address) + "\n" + text;
}

void HandleException(TComponent* sender) noexcept
{
    if (Application != nullptr) {
        Application->HandleException(sender);
        return;
    }
    // No application object (a test, or start-up not yet done): a plain box.
    try {
        throw;
    } catch (const EAbort&) {
    } catch (const std::exception& error) {
        ShowErrorBox(error.what(), "Error");
    } catch (...) {
        ShowErrorBox("Unknown exception", "Error");
    }
}

// ---------------------------------------------------------------- TForm

TForm::TForm(TComponent* owner) : TWinControl(owner)
{
    SetVisible(false);
}

// Nothing here needs the window, which the base destroys next.
TForm::~TForm()
{
    if (Application != nullptr)
        Application->FormDestroyed(this);
}

void TForm::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_CLOSE: WMClose(message); break;
    case WM_DESTROY: WMDestroy(message); break;
    case WM_COMMAND: WMCommand(message); break;
    case WM_INITMENUPOPUP: WMInitMenuPopup(message); break;
    case WM_ACTIVATE: WMActivate(message); break;
    case WM_SYSCOMMAND: WMSysCommand(message); break;
    case WM_QUERYENDSESSION: WMQueryEndSession(message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(message); break;
    case DM_GETDEFID: DMGetDefId(message); break;
    case CM_RELEASE: CMRelease(message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(message); break;
    default: TWinControl::WndProc(message); break;
    }
}

void TForm::SetClientSize(int width, int height)
{
    clientWidth_ = width;
    clientHeight_ = height;
    clientSizeSet_ = true;
    if (HandleAllocated()) {
        RECT frame{0, 0, width, height};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_STYLE)),
                           GetMenu(Handle()) != nullptr,
                           static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_EXSTYLE)));
        SetBounds(Left(), Top(), frame.right - frame.left, frame.bottom - frame.top);
    }
}

void TForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    params.ExStyle = WS_EX_CONTROLPARENT;
    switch (BorderStyle) {
    case bsNone: params.Style |= WS_POPUP; break;
    case bsSingle: params.Style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU; break;
    case bsSizeable: params.Style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME; break;
    case bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    if (BorderStyle == bsSingle || BorderStyle == bsSizeable) {
        if (MinimizeBox)
            params.Style |= WS_MINIMIZEBOX;
        if (MaximizeBox)
            params.Style |= WS_MAXIMIZEBOX;
    }
    if (!Enabled())
        params.Style |= WS_DISABLED;
    params.WndParent = Application != nullptr ? Application->Handle() : nullptr;
    params.WindowClass.hIcon = Icon;
    params.WindowClass.hbrBackground = nullptr;

    if (clientSizeSet_) {
        RECT frame{0, 0, clientWidth_, clientHeight_};
        AdjustWindowRectEx(&frame, params.Style, MenuHandle != nullptr, params.ExStyle);
        params.Width = frame.right - frame.left;
        params.Height = frame.bottom - frame.top;
    }
    if (Position == poScreenCenter) {
        RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        params.X = work.left + (work.right - work.left - params.Width) / 2;
        params.Y = work.top + (work.bottom - work.top - params.Height) / 2;
    }
}

void TForm::CreateWnd()
{
    TWinControl::CreateWnd();
    if (MenuHandle != nullptr)
        SetMenu(Handle(), MenuHandle);
    HICON icon = Icon != nullptr ? Icon : (Application != nullptr ? Application->Icon : nullptr);
    if (icon != nullptr) {
        SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
}

void TForm::DoCreate()
{
    if (!OnCreate)
        return;
    try {
        OnCreate(this);
    } catch (...) {
        HandleException(this);
    }
}

void TForm::Show()
{
    HWND window = Handle();
    SetVisible(true);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    UpdateWindow(window);
    if (OnShow)
        OnShow(this);
}

void TForm::Hide() { SetVisible(false); }

TCloseAction TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    if (!canClose)
        return caNone;
    TCloseAction action = (Application != nullptr && Application->MainForm() == this) ? caFree : caHide;
    if (OnClose)
        OnClose(this, action);
    return action;
}

void TForm::Close()
{
    if (modal_) {
        // A button may have set the result already.
        if (ModalResult == mrNone)
            ModalResult = mrCancel;
        return;
    }
    const TCloseAction action = CloseQuery();
    if (action == caNone)
        return;
    if (Application != nullptr && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    if (action == caHide)
        Hide();
    else if (action == caMinimize)
        ShowWindow(Handle(), SW_MINIMIZE);
    else if (action == caFree)
        Release();
}

void TForm::Release() { PostMessageA(Handle(), CM_RELEASE, 0, 0); }

int TForm::ShowModal()
{
    if (modal_)
        throw EInvalidOperation("Cannot make a visible window modal");
    HWND previous = GetActiveWindow();
    HWND window = Handle();
    ModalResult = mrNone;
    modal_ = true;
    Finally notModal([this] { modal_ = false; });
    TCloseAction action = caHide;
    {
        DisabledTaskWindows disabled(window);
        Show();
        action = ModalLoop();
    }
    const int result = ModalResult;
    Hide();
    if (previous != nullptr && IsWindow(previous))
        SetActiveWindow(previous);
    if (action == caFree)
        Release();
    return result;
}

TCloseAction TForm::ModalLoop()
{
    TCloseAction action = caHide;
    MSG msg;
    while (ModalResult == mrNone) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: leave the quit for the outer loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            ModalResult = mrCancel;
            break;
        }
        if (got == -1)
            throw EWin32Error::FromLastError();
        if (!(Application != nullptr && Application->IsDialogKeyMessage(msg))) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (ModalResult != mrNone) {
            action = CloseQuery();
            if (action == caNone)
                ModalResult = mrNone;
        }
    }
    return action;
}

void TForm::WMClose(TMessage& message)
{
    Close();
    message.Result = 0;
}

void TForm::WMDestroy(TMessage& message)
{
    if (Application != nullptr)
        Application->ForgetActiveForm(Handle());
    TWinControl::WndProc(message);
}

void TForm::WMCommand(TMessage& message)
{
    if (message.LParam == 0 && HIWORD(message.WParam) == 0 && OnMenuCommand &&
        OnMenuCommand(LOWORD(message.WParam))) {
        message.Result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

void TForm::WMInitMenuPopup(TMessage& message)
{
    if (OnMenuPopup)
        OnMenuPopup(reinterpret_cast<HMENU>(message.WParam));
    TWinControl::WndProc(message);
}

void TForm::WMActivate(TMessage& message)
{
    // The system puts the focus on the frame, where keys go nowhere: the
    // form gives it to a control.
    TWinControl::WndProc(message);
    if (LOWORD(message.WParam) != WA_INACTIVE) {
        if (Application != nullptr)
            Application->ActiveFormHandle = Handle();
        if (HIWORD(message.WParam) == 0)
            RestoreFocus();
    }
}

void TForm::CMFocusChanged(TMessage& message) { focusedWindow_ = reinterpret_cast<HWND>(message.LParam); }

// The control that had the focus when the form was left, else the one it
// starts with, else the first that Tab reaches.
void TForm::RestoreFocus()
{
    HWND form = Handle();
    const auto canTake = [form](HWND window) { return TakesInput(window) && IsChild(form, window); };
    HWND target = focusedWindow_;
    if (!canTake(target) && ActiveControl != nullptr)
        target = ActiveControl->Handle();
    if (!canTake(target))
        target = GetNextDlgTabItem(form, nullptr, FALSE);
    if (canTake(target))
        ::SetFocus(target);
}

void TForm::WMSysCommand(TMessage& message)
{
    // The main window goes behind the program's taskbar button rather than
    // shrinking to a title bar of its own.
    if ((message.WParam & 0xFFF0) == SC_MINIMIZE && Application != nullptr && Application->MainForm() == this) {
        Application->Minimize();
        message.Result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

void TForm::WMQueryEndSession(TMessage& message)
{
    // A failure leaves the answer 0: the session waits for the user.
    bool canEnd = true;
    if (OnCloseQuery) {
        endingSession_ = true;
        Finally done([this] { endingSession_ = false; });
        OnCloseQuery(this, canEnd);
    }
    message.Result = canEnd ? TRUE : FALSE;
}

namespace {

// A function of user32 looked up, so that the program still starts on a
// system that lacks it; none there.
template <class Function>
Function UserFunction(const char* name)
{
    const HMODULE user = GetModuleHandleA("user32.dll");
    const FARPROC found = user != nullptr ? GetProcAddress(user, name) : nullptr;
    Function function = nullptr;
    static_assert(sizeof function == sizeof found, "a function pointer");
    std::memcpy(&function, &found, sizeof function);
    return function;
}

}  // namespace

ShutdownBlock::ShutdownBlock(HWND window, const std::wstring& reason)
{
    const auto create = UserFunction<BOOL(WINAPI*)(HWND, LPCWSTR)>("ShutdownBlockReasonCreate");
    if (create != nullptr && create(window, reason.c_str()))
        window_ = window;
}

ShutdownBlock::~ShutdownBlock()
{
    if (window_ == nullptr)
        return;
    if (const auto destroy = UserFunction<BOOL(WINAPI*)(HWND)>("ShutdownBlockReasonDestroy"))
        destroy(window_);
}

void TForm::WMEraseBkgnd(TMessage& message)
{
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(reinterpret_cast<HDC>(message.WParam), &client, BackgroundBrush());
    message.Result = 1;
}

namespace {
TWinControl* FindDefault(TWinControl* parent)
{
    for (std::size_t i = 0; i < parent->ControlCount(); ++i) {
        TWinControl* child = parent->Controls(i);
        if (child->IsDefault())
            return child;
        if (TWinControl* inner = FindDefault(child))
            return inner;
    }
    return nullptr;
}
}  // namespace

void TForm::DMGetDefId(TMessage& message)
{
    TWinControl* button = FindDefault(this);
    message.Result =
        button != nullptr && button->HandleAllocated() ? MAKELRESULT(GetDlgCtrlID(button->Handle()), DC_HASDEFID) : 0;
}

void TForm::CMRelease(TMessage&) { delete this; }

// ---------------------------------------------------------- TApplication

TApplication::TApplication() : TComponent(nullptr) { Application = this; }

TApplication::~TApplication()
{
    // Forms go first, while the application window they are owned by exists.
    DestroyComponents();
    if (handle_ != nullptr)
        DestroyWindow(handle_);
    if (Application == this)
        Application = nullptr;
}

void TApplication::Initialize()
{
    if (handle_ != nullptr)
        return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExA(instance, ApplicationClassName, &windowClass)) {
        windowClass = WNDCLASSEXA{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = ApplicationWindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = Icon;
        windowClass.lpszClassName = ApplicationClassName;
        if (RegisterClassExA(&windowClass) == 0)
            throw EWin32Error::FromLastError();
    }
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    handle_ = CreateWindowExA(0, ApplicationClassName, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                              nullptr, nullptr, instance, nullptr);
    if (handle_ == nullptr)
        throw EWin32Error::FromLastError();
}

void TApplication::SetTitle(const std::string& title)
{
    title_ = title;
    if (handle_ != nullptr)
        SetWindowTextA(handle_, title_.c_str());
}

void TApplication::Run()
{
    if (mainForm_ != nullptr) {
        if (handle_ != nullptr) {
            if (Icon != nullptr)
                SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon));
            ShowWindow(handle_, SW_SHOWNOACTIVATE);
        }
        mainForm_->Show();
    }
    MSG msg;
    while (!terminated_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            terminated_ = true;
            break;
        }
        if (got == -1)
            throw EWin32Error::FromLastError();
        HandleMessage(msg);
    }
}

void TApplication::Minimize()
{
    if (handle_ == nullptr || IsIconic(handle_))
        return;
    ShowOwnedPopups(handle_, FALSE);
    ShowWindow(handle_, SW_MINIMIZE);
}

void TApplication::Restore()
{
    if (handle_ == nullptr || !IsIconic(handle_))
        return;
    ShowWindow(handle_, SW_RESTORE);
    ShowOwnedPopups(handle_, TRUE);
    ActivateLastWindow();
}

void TApplication::ActivateLastWindow()
{
    HWND target = handle_ != nullptr ? GetLastActivePopup(handle_) : nullptr;
    if (target == handle_ || !TakesInput(target))
        target = mainForm_ != nullptr && mainForm_->HandleAllocated() ? mainForm_->Handle() : nullptr;
    if (TakesInput(target))
        SetActiveWindow(target);
}

void TApplication::HandleMessage(MSG& msg)
{
    if (IsDialogKeyMessage(msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        HandleMessage(msg);
    }
}

bool TApplication::IsDialogKeyMessage(MSG& msg)
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP && msg.message != WM_CHAR)
        return false;
    HWND form = ActiveFormHandle;
    if (form == nullptr || !IsWindow(form) || (msg.hwnd != form && !IsChild(form, msg.hwnd)))
        return false;
    return IsDialogMessageA(form, &msg) != FALSE;
}

void TApplication::Terminate()
{
    terminated_ = true;
    PostQuitMessage(0);
}

void TApplication::FormDestroyed(TForm* form)
{
    if (mainForm_ == form)
        mainForm_ = nullptr;
    if (form->HandleAllocated())
        ForgetActiveForm(form->Handle());
}

void TApplication::ForgetActiveForm(HWND window)
{
    if (ActiveFormHandle == window)
        ActiveFormHandle = nullptr;
}

void TApplication::HandleException(TComponent*) noexcept
{
    if (HWND capture = GetCapture())
        SendMessageA(capture, WM_CANCELMODE, 0, 0);
    try {
        throw;
    } catch (const EAbort&) {
    } catch (const Exception& error) {
        ShowException(error);
    } catch (const std::exception& error) {
        const std::string text = ForeignExceptionText(TypeName(typeid(error)).c_str(), &error, error.what());
        ShowErrorBox(text, "Application Error");
    } catch (...) {
        const std::string text = ForeignExceptionText("unknown", nullptr, "");
        ShowErrorBox(text, "Application Error");
    }
}

void TApplication::ShowException(const Exception& error)
{
    ShowErrorBox(ErrorBoxText(error.Message()), title_);
}

void TApplication::ShowFatalException() noexcept
{
    std::string text;
    try {
        throw;
    } catch (const Exception& error) {
        text = ForeignExceptionText(error.ClassName(), &error, error.Message());
    } catch (const std::exception& error) {
        text = ForeignExceptionText(TypeName(typeid(error)).c_str(), &error, error.what());
    } catch (...) {
        text = ForeignExceptionText("unknown", nullptr, "");
    }
    ShowErrorBox(text, "Application Error");
}

void TApplication::HelpContext(int context)
{
    if (HelpEngine)
        HelpEngine(mainForm_ != nullptr && mainForm_->HandleAllocated() ? mainForm_->Handle() : handle_, HelpFile,
                   context);
}

}  // namespace winlib
