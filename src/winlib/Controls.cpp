#include "winlib/Controls.h"

#include "winlib/Exceptions.h"

#include <windowsx.h>

#include <algorithm>
#include <unordered_map>

namespace winlib {

namespace {

// The property under which a window of ours keeps its control.
const char* ControlProperty()
{
    static const ATOM atom = GlobalAddAtomA("Vexil.WinControl");
    return MAKEINTATOM(atom);
}

// The system procedure of each class we built on a system class, by class
// name, for the messages that arrive before a window is bound to its control.
std::unordered_map<std::string, WNDPROC>& BaseProcedures()
{
    static std::unordered_map<std::string, WNDPROC> procedures;
    return procedures;
}

WNDPROC BaseProcedureOf(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    const auto found = BaseProcedures().find(name);
    return found != BaseProcedures().end() ? found->second : DefWindowProcA;
}

HINSTANCE ModuleInstance() { return GetModuleHandleA(nullptr); }

// A reference to the module that holds the code at an address, if a module
// does (a system's procedure may also be a stand-in value of no module).
ModuleHandle ModuleOfCode(WNDPROC code)
{
    const auto address = reinterpret_cast<LPCSTR>(reinterpret_cast<UINT_PTR>(code));
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, address, &module))
        return ModuleHandle();
    return ModuleHandle(module);
}

TShiftState MouseShiftState(WPARAM keys)
{
    TShiftState shift = 0;
    if (keys & MK_SHIFT)
        shift |= shShift;
    if (keys & MK_CONTROL)
        shift |= shCtrl;
    if (keys & MK_LBUTTON)
        shift |= shLeft;
    if (keys & MK_RBUTTON)
        shift |= shRight;
    if (keys & MK_MBUTTON)
        shift |= shMiddle;
    if (GetKeyState(VK_MENU) < 0)
        shift |= shAlt;
    return shift;
}

int NextControlId()
{
    static int next = 100;
    return next++;
}

}  // namespace

TShiftState KeyboardShiftState()
{
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= shShift;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= shCtrl;
    if (GetKeyState(VK_MENU) < 0)
        shift |= shAlt;
    return shift;
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWinControl* control = TWinControl::FromHandle(window);
    if (control == nullptr && msg == WM_NCCREATE) {
        control = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (control != nullptr)
            control->Bind(window);
    }
    if (control == nullptr)
        return CallWindowProcA(BaseProcedureOf(window), window, msg, wParam, lParam);

    TMessage message{msg, wParam, lParam, 0};
    try {
        control->WndProc(message);
    } catch (...) {
        // Nothing may unwind through the system's frames: the error box
        // reports it and the message loop goes on.
        HandleException(control);
    }
    if (msg == WM_NCDESTROY)
        control->Unbind();
    return message.Result;
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner) : TComponent(owner)
{
    font_.OnChange = [this] {
        if (!takingParentFont_)
            parentFont_ = false;
        Perform(CM_FONTCHANGED);
    };
}

void TControl::SetBounds(int left, int top, int width, int height) { StoreBounds(left, top, width, height); }

void TControl::StoreBounds(int left, int top, int width, int height)
{
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void TControl::SetAlign(TAlign align)
{
    if (align == align_)
        return;
    align_ = align;
    if (auto* win = dynamic_cast<TWinControl*>(parent_))
        win->AlignControls();
}

void TControl::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    if (auto* self = dynamic_cast<TWinControl*>(this); self != nullptr && self->HandleAllocated())
        ShowWindow(self->handle_, visible ? SW_SHOWNA : SW_HIDE);
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetParentFont(bool value)
{
    parentFont_ = value;
    if (value && parent_ != nullptr) {
        takingParentFont_ = true;
        font_.Assign(&parent_->Font());
        takingParentFont_ = false;
    }
}

void TControl::SetColor(TColor color)
{
    parentColor_ = false;
    if (color == color_)
        return;
    color_ = color;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value)
{
    parentColor_ = value;
    if (value && parent_ != nullptr && parent_->Color() != color_) {
        color_ = parent_->Color();
        Perform(CM_COLORCHANGED);
    }
}

std::string TControl::Text() const { return text_; }

void TControl::SetText(const std::string& text)
{
    text_ = text;
    Perform(CM_TEXTCHANGED);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    WndProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& message) { DefaultHandler(message); }

void TControl::DefaultHandler(TMessage& message) { message.Result = 0; }

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

// ------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner), controlId_(NextControlId()) {}

// The one place where a window dies with its object. The derived parts are
// gone by now and only this class's handlers see the last messages, so what
// any window needs at its end is done here: the menu bar goes back to its
// menu component (WMDestroy), the system class's module stays loaded until
// the window is gone (procedureModule_). Children's windows die with this one
// while their objects are whole; their owner destroys those afterwards.
TWinControl::~TWinControl()
{
    if (handle_ != nullptr)
        DestroyWindow(handle_);
    // Only if the system refused: the window lives on without us.
    Unbind();
    for (TWinControl* child : controls_)
        child->parent_ = nullptr;
    controls_.clear();
    if (parent_ != nullptr)
        parent_->RemoveControl(this);
}

void TWinControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    if (parent_ != nullptr)
        parent_->RemoveControl(this);
    if (parent != nullptr)
        parent->InsertControl(this);
}

void TWinControl::InsertControl(TWinControl* control)
{
    controls_.push_back(control);
    control->parent_ = this;
    if (control->ParentFont())
        control->SetParentFont(true);
    if (control->ParentColor())
        control->SetParentColor(true);
    if (control->tabOrder_ < 0)
        control->tabOrder_ = static_cast<int>(controls_.size()) - 1;
    if (HandleAllocated()) {
        control->CreateHandle();
        AlignControls();
    }
}

void TWinControl::RemoveControl(TWinControl* control)
{
    if (control->HandleAllocated() && !control->Destroying())
        control->DestroyHandle();
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    control->parent_ = nullptr;
}

TWinControl* TWinControl::FromHandle(HWND window)
{
    if (window == nullptr)
        return nullptr;
    return static_cast<TWinControl*>(GetPropA(window, ControlProperty()));
}

void TWinControl::Bind(HWND window)
{
    handle_ = window;
    SetPropA(window, ControlProperty(), this);
}

void TWinControl::Unbind()
{
    if (handle_ != nullptr)
        RemovePropA(handle_, ControlProperty());
    handle_ = nullptr;
    procedureModule_.Reset();
}

HWND TWinControl::Handle()
{
    if (handle_ == nullptr)
        CreateHandle();
    return handle_;
}

void TWinControl::CreateHandle()
{
    if (handle_ != nullptr)
        return;
    if (parent_ != nullptr && !parent_->HandleAllocated()) {
        // The parent makes its children's windows along with its own.
        parent_->CreateHandle();
        if (handle_ != nullptr)
            return;
    }
    creatingWindow_ = true;
    {
        Finally created([this] { creatingWindow_ = false; });
        CreateWnd();
    }

    // Each new window goes behind its siblings: made in tab order, they
    // stand in it for the dialog keys.
    const std::vector<TWinControl*> children = TabList();
    AlignControls();
    for (TWinControl* child : children)
        child->CreateHandle();
}

std::vector<TWinControl*> TWinControl::TabList() const
{
    std::vector<TWinControl*> list = controls_;
    const auto painted = std::stable_partition(list.begin(), list.end(),
                                               [](const TWinControl* control) { return control->HasTabOrder(); });
    std::stable_sort(list.begin(), painted,
                     [](const TWinControl* a, const TWinControl* b) { return a->tabOrder_ < b->tabOrder_; });
    return list;
}

TWinControl* TWinControl::PreviousInTabOrder() const
{
    if (parent_ == nullptr || !HasTabOrder())
        return nullptr;
    const std::vector<TWinControl*> list = parent_->TabList();
    const auto self = std::find(list.begin(), list.end(), this);
    return self == list.begin() || self == list.end() ? nullptr : *(self - 1);
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = text_;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (tabStop_)
        params.Style |= WS_TABSTOP;
    if (StartsGroup())
        params.Style |= WS_GROUP;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    if (Visible())
        params.Style |= WS_VISIBLE;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    if (parent_ != nullptr)
        params.WndParent = parent_->Handle();
    params.WindowClass.cbSize = sizeof(WNDCLASSEXA);
    params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    params.WindowClass.lpfnWndProc = ControlWindowProc;
    params.WindowClass.hInstance = ModuleInstance();
    params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    params.WinClassName = ClassName();
    params.DefWndProc = DefWindowProcA;
}

void TWinControl::MakeSuperclass(TCreateParams& params, const char* systemClassName)
{
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    const bool found = GetClassInfoExA(ModuleInstance(), systemClassName, &info) ||
                       GetClassInfoExA(nullptr, systemClassName, &info) ||
                       GetClassInfoExA(GetModuleHandleA(nullptr), systemClassName, &info);
    if (!found)
        return;
    params.DefWndProc = info.lpfnWndProc;
    params.WindowClass.style = info.style;
    params.WindowClass.cbClsExtra = info.cbClsExtra;
    params.WindowClass.cbWndExtra = info.cbWndExtra;
    params.WindowClass.hCursor = info.hCursor;
    params.WindowClass.hbrBackground = info.hbrBackground;
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if (parent_ == nullptr && (params.Style & WS_CHILD) != 0)
        throw EInvalidOperation(Format("Control '%s' has no parent window", Name().c_str()));
    CreateWindowHandle(params);
    // The framework gives every window the control's font.
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), 0);
}

void TWinControl::CreateWindowHandle(const TCreateParams& params)
{
    HINSTANCE instance = params.WindowClass.hInstance != nullptr ? params.WindowClass.hInstance : ModuleInstance();
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExA(instance, params.WinClassName.c_str(), &existing)) {
        WNDCLASSEXA windowClass = params.WindowClass;
        windowClass.cbSize = sizeof windowClass;
        windowClass.hInstance = instance;
        windowClass.lpfnWndProc = ControlWindowProc;
        windowClass.lpszClassName = params.WinClassName.c_str();
        if (RegisterClassExA(&windowClass) == 0)
            throw EWin32Error::FromLastError();
    }
    // Kept fresh on every creation: a system class's library may have been
    // unloaded and loaded again at another address since the last window.
    BaseProcedures()[params.WinClassName] = params.DefWndProc;
    defWndProc_ = params.DefWndProc;

    const bool child = (params.Style & WS_CHILD) != 0;
    HWND window = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                                  params.X, params.Y, params.Width, params.Height, params.WndParent,
                                  child ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId_)) : nullptr,
                                  instance, this);
    if (window == nullptr)
        throw EWin32Error::FromLastError();
    if (handle_ == nullptr)
        Bind(window);
    procedureModule_ = ModuleOfCode(defWndProc_);
}

void TWinControl::DestroyHandle()
{
    if (handle_ == nullptr)
        return;
    for (TWinControl* child : controls_)
        child->DestroyHandle();
    DestroyWnd();
}

void TWinControl::DestroyWnd()
{
    text_ = Text();
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle()
{
    if (handle_ != nullptr)
        Win32Check(DestroyWindow(handle_) != FALSE);
}

void TWinControl::RecreateWnd()
{
    if (handle_ == nullptr)
        return;
    DestroyHandle();
    CreateHandle();
}

void TWinControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_COMMAND: WMCommand(message); break;
    case WM_NOTIFY: WMNotify(message); break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: WMCtlColor(message); break;
    case CN_CTLCOLORBTN:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORSTATIC: CNCtlColor(message); break;
    case WM_DRAWITEM: WMDrawItem(message); break;
    case WM_MEASUREITEM: WMMeasureItem(message); break;
    case WM_DESTROY: WMDestroy(message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(message); break;
    case WM_SIZE: WMSize(message); break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKeyDown(message); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKeyUp(message); break;
    case WM_CHAR: WMChar(message); break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: WMMouseDown(message); break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: WMMouseUp(message); break;
    case WM_MOUSEMOVE: WMMouseMove(message); break;
    case WM_SETFOCUS: WMSetFocus(message); break;
    case WM_KILLFOCUS: WMKillFocus(message); break;
    case CM_FONTCHANGED: CMFontChanged(message); break;
    case CM_COLORCHANGED: CMColorChanged(message); break;
    default: TControl::WndProc(message); break;
    }
}

void TWinControl::DefaultHandler(TMessage& message)
{
    if (handle_ == nullptr || (message.Msg >= CM_BASE && message.Msg < CN_BASE + 0x400)) {
        message.Result = 0;
        return;
    }
    message.Result = CallWindowProcA(defWndProc_, handle_, message.Msg, message.WParam, message.LParam);
}

std::string TWinControl::Text() const
{
    if (handle_ == nullptr)
        return text_;
    const int length = GetWindowTextLengthA(handle_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(handle_, text.data(), length + 1);
    text.resize(static_cast<size_t>((std::max)(copied, 0)));
    return text;
}

void TWinControl::SetText(const std::string& text)
{
    text_ = text;
    if (handle_ != nullptr)
        SetWindowTextA(handle_, text.c_str());
    Perform(CM_TEXTCHANGED);
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    if (handle_ != nullptr) {
        // The window reports back its new bounds through WM_WINDOWPOSCHANGED.
        SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        StoreBounds(left, top, width, height);
    } else {
        const bool resized = width != Width() || height != Height();
        StoreBounds(left, top, width, height);
        if (resized)
            AlignControls();
    }
}

void TWinControl::SetEnabled(bool enabled)
{
    TControl::SetEnabled(enabled);
    if (handle_ != nullptr)
        EnableWindow(handle_, enabled ? TRUE : FALSE);
}

void TWinControl::SetTabStop(bool value)
{
    tabStop_ = value;
    if (handle_ != nullptr) {
        LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
        style = value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrA(handle_, GWL_STYLE, style);
    }
}

bool TWinControl::Focused() const { return handle_ != nullptr && GetFocus() == handle_; }

void TWinControl::SetFocus() { ::SetFocus(Handle()); }

RECT TWinControl::ClientRect()
{
    RECT rect{0, 0, Width(), Height()};
    if (handle_ != nullptr)
        GetClientRect(handle_, &rect);
    return rect;
}

void TWinControl::AdjustClientRect(RECT&) {}

void TWinControl::AlignControls()
{
    if (aligning_)
        return;
    aligning_ = true;
    RECT rect = ClientRect();
    AdjustClientRect(rect);
    for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TWinControl* child : controls_) {
            if (child->Align() != kind || !child->Visible())
                continue;
            const int w = child->Width(), h = child->Height();
            switch (kind) {
            case alTop:
                child->SetBounds(rect.left, rect.top, rect.right - rect.left, h);
                rect.top += h;
                break;
            case alBottom:
                child->SetBounds(rect.left, rect.bottom - h, rect.right - rect.left, h);
                rect.bottom -= h;
                break;
            case alLeft:
                child->SetBounds(rect.left, rect.top, w, rect.bottom - rect.top);
                rect.left += w;
                break;
            case alRight:
                child->SetBounds(rect.right - w, rect.top, w, rect.bottom - rect.top);
                rect.right -= w;
                break;
            case alClient:
                child->SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
                break;
            default: break;
            }
        }
    }
    aligning_ = false;
}

void TWinControl::UpdateBoundsFromWindow()
{
    RECT rect;
    GetWindowRect(handle_, &rect);
    if ((GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD) != 0 && GetParent(handle_) != nullptr)
        MapWindowPoints(HWND_DESKTOP, GetParent(handle_), reinterpret_cast<POINT*>(&rect), 2);
    StoreBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void TWinControl::WMDestroy(TMessage& message)
{
    // A window frees its menu bar with itself, but ours belong to their menu
    // components, which may give them to the next window of the form.
    if ((GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD) == 0 && GetMenu(handle_) != nullptr)
        SetMenu(handle_, nullptr);
    DefaultHandler(message);
}

void TWinControl::WMWindowPosChanged(TMessage& message)
{
    UpdateBoundsFromWindow();
    DefaultHandler(message);
}

void TWinControl::WMSize(TMessage& message)
{
    DefaultHandler(message);
    UpdateBoundsFromWindow();
    AlignControls();
    Resize();
}

void TWinControl::WMCommand(TMessage& message)
{
    if (message.LParam != 0) {
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(message.LParam))) {
            message.Result = child->Perform(CN_COMMAND, message.WParam, message.LParam);
            return;
        }
    }
    DefaultHandler(message);
}

void TWinControl::WMNotify(TMessage& message)
{
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    if (header != nullptr) {
        if (TWinControl* child = FromHandle(header->hwndFrom)) {
            message.Result = child->Perform(CN_NOTIFY, message.WParam, message.LParam);
            return;
        }
    }
    DefaultHandler(message);
}

void TWinControl::WMCtlColor(TMessage& message)
{
    if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(message.LParam))) {
        message.Result = child->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
        return;
    }
    DefaultHandler(message);
}

void TWinControl::CNCtlColor(TMessage& message)
{
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    SetTextColor(dc, ColorToRGB(Font().Color()));
    SetBkColor(dc, ColorToRGB(Color()));
    message.Result = reinterpret_cast<LRESULT>(BackgroundBrush());
}

HBRUSH TWinControl::BackgroundBrush() const
{
    if (!backgroundBrush_ || backgroundBrushColor_ != Color()) {
        backgroundBrush_.Reset(CreateSolidBrush(ColorToRGB(Color())));
        backgroundBrushColor_ = Color();
    }
    return backgroundBrush_.Get();
}

void TWinControl::WMDrawItem(TMessage& message)
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
    if (item != nullptr && item->CtlType != ODT_MENU) {
        if (TWinControl* child = FromHandle(item->hwndItem)) {
            message.Result = child->Perform(CN_DRAWITEM, message.WParam, message.LParam);
            return;
        }
    }
    DefaultHandler(message);
}

void TWinControl::WMMeasureItem(TMessage& message)
{
    const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(message.LParam);
    if (item != nullptr && item->CtlType != ODT_MENU && handle_ != nullptr) {
        if (TWinControl* child = FromHandle(GetDlgItem(handle_, static_cast<int>(item->CtlID)))) {
            message.Result = child->Perform(CN_MEASUREITEM, message.WParam, message.LParam);
            return;
        }
    }
    DefaultHandler(message);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyPress(char& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TWinControl::WMKeyDown(TMessage& message)
{
    WORD key = static_cast<WORD>(message.WParam);
    KeyDown(key, KeyboardShiftState());
    if (key == 0) {
        message.Result = 0;
        return;
    }
    message.WParam = key;
    DefaultHandler(message);
}

void TWinControl::WMKeyUp(TMessage& message)
{
    WORD key = static_cast<WORD>(message.WParam);
    if (OnKeyUp)
        OnKeyUp(this, key, KeyboardShiftState());
    if (key == 0) {
        message.Result = 0;
        return;
    }
    message.WParam = key;
    DefaultHandler(message);
}

void TWinControl::WMChar(TMessage& message)
{
    char key = static_cast<char>(message.WParam);
    KeyPress(key);
    if (key == 0) {
        message.Result = 0;
        return;
    }
    message.WParam = static_cast<unsigned char>(key);
    DefaultHandler(message);
}

void TWinControl::WMMouseDown(TMessage& message)
{
    DefaultHandler(message);
    TMouseButton button = mbLeft;
    if (message.Msg == WM_RBUTTONDOWN || message.Msg == WM_RBUTTONDBLCLK)
        button = mbRight;
    else if (message.Msg == WM_MBUTTONDOWN || message.Msg == WM_MBUTTONDBLCLK)
        button = mbMiddle;
    TShiftState shift = MouseShiftState(message.WParam);
    const bool doubleClick = message.Msg == WM_LBUTTONDBLCLK || message.Msg == WM_RBUTTONDBLCLK ||
                             message.Msg == WM_MBUTTONDBLCLK;
    if (doubleClick)
        shift |= shDouble;
    MouseDown(button, shift, GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
    if (doubleClick && button == mbLeft && OnDblClick)
        OnDblClick(this);
}

void TWinControl::WMMouseUp(TMessage& message)
{
    // The control handles the release first, so that the handler sees its result.
    DefaultHandler(message);
    TMouseButton button = mbLeft;
    if (message.Msg == WM_RBUTTONUP)
        button = mbRight;
    else if (message.Msg == WM_MBUTTONUP)
        button = mbMiddle;
    MouseUp(button, MouseShiftState(message.WParam), GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
}

void TWinControl::WMMouseMove(TMessage& message)
{
    DefaultHandler(message);
    if (OnMouseMove)
        OnMouseMove(this, MouseShiftState(message.WParam), GET_X_LPARAM(message.LParam),
                    GET_Y_LPARAM(message.LParam));
}

void TWinControl::WMSetFocus(TMessage& message)
{
    DefaultHandler(message);
    // The form keeps the control that had the focus last, to give it back.
    TWinControl* top = this;
    while (top->parent_ != nullptr)
        top = top->parent_;
    if (top != this && handle_ != nullptr)
        top->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(handle_));
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::WMKillFocus(TMessage& message)
{
    DefaultHandler(message);
    if (OnExit)
        OnExit(this);
}

void TWinControl::CMFontChanged(TMessage&)
{
    if (handle_ != nullptr) {
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), TRUE);
        InvalidateRect(handle_, nullptr, TRUE);
    }
    for (TWinControl* child : controls_) {
        if (child->ParentFont())
            child->SetParentFont(true);
    }
}

void TWinControl::CMColorChanged(TMessage&)
{
    if (handle_ != nullptr)
        InvalidateRect(handle_, nullptr, TRUE);
    for (TWinControl* child : controls_) {
        if (child->ParentColor())
            child->SetParentColor(true);
    }
}

// ---------------------------------------------------------- TCustomControl

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT: WMPaint(message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(message); break;
    default: TWinControl::WndProc(message); break;
    }
}

void TCustomControl::Paint(HDC, const RECT&) {}

void TCustomControl::WMPaint(TMessage& message)
{
    const PaintDC paint(Handle());
    if (paint.Get() != nullptr) {
        RECT client;
        GetClientRect(Handle(), &client);
        Paint(paint.Get(), client);
    }
    message.Result = 0;
}

void TCustomControl::WMEraseBkgnd(TMessage& message)
{
    RECT client;
    GetClientRect(Handle(), &client);
    FillRect(reinterpret_cast<HDC>(message.WParam), &client, BackgroundBrush());
    message.Result = 1;
}

// ------------------------------------------------------ RedrawSuspension

RedrawSuspension::RedrawSuspension(HWND window, bool repaint)
    : window_(IsWindowVisible(window) ? window : nullptr), repaint_(repaint)
{
    if (window_ != nullptr)
        SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
}

RedrawSuspension::~RedrawSuspension()
{
    if (window_ == nullptr)
        return;
    SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    if (repaint_)
        InvalidateRect(window_, nullptr, TRUE);
}

}  // namespace winlib
