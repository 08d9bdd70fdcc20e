// Controls and window controls: properties kept while no window exists,
// windows created from creation parameters, messages handled by each class's
// WndProc, notifications reflected from the parent to the child that sent
// them, and windows destroyed and re-created on demand.
#pragma once

#include "winlib/Components.h"
#include "winlib/Graphics.h"
#include "winlib/Messages.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace winlib {

class TWinControl;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Keys and buttons held during an input event.
enum TShiftFlag : unsigned { shShift = 1, shAlt = 2, shCtrl = 4, shLeft = 8, shRight = 16, shMiddle = 32, shDouble = 64 };
using TShiftState = unsigned;

// The keyboard part of the shift state right now.
TShiftState KeyboardShiftState();

using TNotifyEvent = std::function<void(TComponent* sender)>;
// The handler may set key to 0 to keep the key from the control.
using TKeyEvent = std::function<void(TComponent* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TComponent* sender, char& key)>;
using TMouseEvent = std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent* sender, TShiftState shift, int x, int y)>;

// Shows the exception being handled in the error box (or, without an
// application object, in a plain message box). Defined with the application.
void HandleException(TComponent* sender) noexcept;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    const char* ClassName() const override { return "TControl"; }

    TWinControl* Parent() const { return parent_; }

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    virtual void SetBounds(int left, int top, int width, int height);

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    virtual bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);

    // The caption or text: the window's text while a window exists.
    virtual std::string Text() const;
    virtual void SetText(const std::string& text);
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& text) { SetText(text); }

    std::string Hint;
    int HelpContext = 0;
    bool ShowHint = false;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // Sends a message straight to the control's handlers.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Where every message arrives. Each class overrides it with a switch over
    // the messages it handles, a case calling a private handler of the class,
    // and hands every other message to its base class's WndProc; a handler
    // that wants the base's handling as well calls the base's WndProc itself.
    virtual void WndProc(TMessage& message);
    // What the message comes to when no class handles it: the window's system
    // procedure, or nothing for a control without a window.
    virtual void DefaultHandler(TMessage& message);

protected:
    virtual void Click();
    virtual void Resize();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

    // Keeps the stored bounds in step with the window without moving it.
    void StoreBounds(int left, int top, int width, int height);

    TWinControl* parent_ = nullptr;
    std::string text_;
    TFont font_;
    // While true, a change of font_ comes from the parent, not from the user.
    bool takingParentFont_ = false;

private:
    friend class TWinControl;

    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    bool visible_ = true;
    bool enabled_ = true;
    bool parentFont_ = true;
    bool parentColor_ = false;
    TColor color_ = clBtnFace;
};

// Everything needed to register a window class and create a window.
struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    WNDCLASSEXA WindowClass{};
    std::string WinClassName;
    // The window procedure for messages that no handler takes: DefWindowProcA
    // for our own classes, the system class's procedure for controls built
    // on one (see MakeSuperclass).
    WNDPROC DefWndProc = DefWindowProcA;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    // Destroys the window, the one place where windows die with their
    // objects; see the definition for what that means for derived classes.
    ~TWinControl() override;
    const char* ClassName() const override { return "TWinControl"; }

    virtual void SetParent(TWinControl* parent);

    // The window, created first when it does not exist yet.
    HWND Handle();
    HWND WindowHandle() { return Handle(); }
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    // Destroys the window through the destruction hooks and creates it again.
    void RecreateWnd();
    // Destroys the windows of the children and then this one, through the hooks.
    void DestroyHandle();

    std::size_t ControlCount() const { return controls_.size(); }
    TWinControl* Controls(std::size_t index) const { return controls_.at(index); }

    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value);
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int value) { tabOrder_ = value; }
    // The children in tab order, which is also the order of their windows
    // (the order the dialog keys walk); those that never take the focus last.
    std::vector<TWinControl*> TabList() const;
    bool Ctl3D = true;

    bool Focused() const;
    virtual void SetFocus();

    std::string Text() const override;
    void SetText(const std::string& text) override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetEnabled(bool enabled) override;

    // The client area as the children are laid out in it.
    virtual RECT ClientRect();
    int ClientWidth() { RECT r = ClientRect(); return r.right - r.left; }
    int ClientHeight() { RECT r = ClientRect(); return r.bottom - r.top; }

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // Whether Enter in the form presses this control (a default button).
    virtual bool IsDefault() const { return false; }
    // False for controls that only paint and never take the focus.
    virtual bool HasTabOrder() const { return true; }

    // The control bound to a window of ours, or null.
    static TWinControl* FromHandle(HWND window);

    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

protected:
    virtual void CreateParams(TCreateParams& params);
    // Whether the window starts a group for the arrow keys of the dialog
    // keys; the group runs to the next window that starts one.
    virtual bool StartsGroup() const { return true; }
    // The control before this one in its parent's tab order, or null.
    TWinControl* PreviousInTabOrder() const;
    // Makes the window's class a superclass of a system class: our class is
    // registered from the system class's information, and what no handler
    // takes goes to the system class's procedure.
    void MakeSuperclass(TCreateParams& params, const char* systemClassName);
    // Creates the window; overrides call it first and then complete the window.
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    // Prepares the destruction; overrides save what they need and call it last.
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    // The part of the client area that children are laid out in.
    virtual void AdjustClientRect(RECT& rect);
    void AlignControls();
    bool CreatingWindow() const { return creatingWindow_; }
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    // The brush that paints the control's background in its colour.
    HBRUSH BackgroundBrush() const;

private:
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend class TControl;

    void WMCommand(TMessage& message);
    void WMNotify(TMessage& message);
    void WMCtlColor(TMessage& message);
    void CNCtlColor(TMessage& message);
    void WMDrawItem(TMessage& message);
    void WMMeasureItem(TMessage& message);
    void WMDestroy(TMessage& message);
    void WMWindowPosChanged(TMessage& message);
    void WMSize(TMessage& message);
    void WMKeyDown(TMessage& message);
    void WMKeyUp(TMessage& message);
    void WMChar(TMessage& message);
    void WMMouseDown(TMessage& message);
    void WMMouseUp(TMessage& message);
    void WMMouseMove(TMessage& message);
    void WMSetFocus(TMessage& message);
    void WMKillFocus(TMessage& message);
    void CMFontChanged(TMessage& message);
    void CMColorChanged(TMessage& message);

    void CreateHandle();
    void Bind(HWND window);
    void Unbind();
    void InsertControl(TWinControl* control);
    void RemoveControl(TWinControl* control);
    void UpdateBoundsFromWindow();

    HWND handle_ = nullptr;
    WNDPROC defWndProc_ = DefWindowProcA;
    // The module of defWndProc_, held while the window lives: the object's
    // own parts may have let go of it by the time the window dies.
    ModuleHandle procedureModule_;
    std::vector<TWinControl*> controls_;
    bool tabStop_ = false;
    int tabOrder_ = -1;
    bool creatingWindow_ = false;
    bool aligning_ = false;
    int controlId_;
    mutable BrushHandle backgroundBrush_;
    mutable TColor backgroundBrushColor_ = 0;
};

// A window of a class of our own that paints itself.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    const char* ClassName() const override { return "TCustomControl"; }

protected:
    void WndProc(TMessage& message) override;
    // Paints the control; the background is already filled with its colour.
    virtual void Paint(HDC dc, const RECT& clientRect);

private:
    void WMPaint(TMessage& message);
    void WMEraseBkgnd(TMessage& message);
};

// A control that only paints itself and takes mouse presses (a shape, a
// label, a picture): never a stop of Tab or of the arrow keys.
class TGraphicControl : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    const char* ClassName() const override { return "TGraphicControl"; }
    bool HasTabOrder() const override { return false; }
};

// Holds off a window's painting while bulk work runs and has it painted
// anew when the work ends; work that leaves what is shown as it was (reading
// that moves the selection and puts it back) needs no painting anew. A
// hidden window is left alone. Not nested: the first suspension to end lets
// the window paint again.
class RedrawSuspension {
public:
    explicit RedrawSuspension(HWND window, bool repaint = true);
    ~RedrawSuspension();
    RedrawSuspension(const RedrawSuspension&) = delete;
    RedrawSuspension& operator=(const RedrawSuspension&) = delete;

private:
    HWND window_;
    bool repaint_;
};

}  // namespace winlib
