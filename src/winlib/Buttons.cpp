#include "winlib/Buttons.h"

#include "winlib/Forms.h"

namespace winlib {

TForm* GetParentForm(TControl* control)
{
    for (TControl* current = control; current != nullptr; current = current->Parent()) {
        if (auto* form = dynamic_cast<TForm*>(current))
            return form;
    }
    return nullptr;
}

namespace {

WORD NotificationCode(const TMessage& message) { return HIWORD(message.WParam); }

void SetStyleBit(HWND window, DWORD bit, bool on)
{
    LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    style = on ? (style | static_cast<LONG_PTR>(bit)) : (style & ~static_cast<LONG_PTR>(bit));
    SetWindowLongPtrA(window, GWL_STYLE, style);
    InvalidateRect(window, nullptr, TRUE);
}

}  // namespace

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND: CNCommand(message); break;
    default: TWinControl::WndProc(message); break;
    }
}

DWORD TButton::ButtonStyle() const { return default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON; }

void TButton::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    MakeSuperclass(params, "BUTTON");
    params.Style |= ButtonStyle();
}

void TButton::SetDefault(bool value)
{
    if (value == default_)
        return;
    default_ = value;
    if (HandleAllocated()) {
        if (ButtonStyle() == BS_OWNERDRAW)
            InvalidateRect(Handle(), nullptr, TRUE);
        else
            SendMessageA(Handle(), BM_SETSTYLE, ButtonStyle(), TRUE);
    }
}

void TButton::Press()
{
    if (Enabled())
        Click();
}

void TButton::Click()
{
    // The form learns its result first, so that the handler may still change it.
    if (ModalResult != mrNone) {
        if (TForm* form = GetParentForm(this))
            form->ModalResult = ModalResult;
    }
    TWinControl::Click();
}

void TButton::CNCommand(TMessage& message)
{
    const WORD code = NotificationCode(message);
    // A button that draws itself reports a quick second press as a double
    // click; for the user it is a second press all the same.
    if (code == BN_CLICKED || (code == BN_DOUBLECLICKED && ButtonStyle() == BS_OWNERDRAW))
        Click();
    message.Result = 0;
}

// ---------------------------------------------------------------- TBitBtn

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner)
{
    glyphFill_.SetColor(RGB(0, 160, 0));
    glyphOutline_.SetColor(RGB(0, 96, 0));
    disabledFill_.SetColor(clSystemColor | COLOR_BTNSHADOW);
    disabledOutline_.SetColor(clSystemColor | COLOR_BTNSHADOW);
}

void TBitBtn::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CN_DRAWITEM: CNDrawItem(message); break;
    default: TButton::WndProc(message); break;
    }
}

DWORD TBitBtn::ButtonStyle() const { return BS_OWNERDRAW; }

void TBitBtn::SetKind(TBitBtnKind kind)
{
    kind_ = kind;
    if (kind == bkOK) {
        SetCaption("OK");
        ModalResult = mrOk;
        SetDefault(true);
    }
    if (HandleAllocated())
        InvalidateRect(Handle(), nullptr, TRUE);
}

void TBitBtn::CNDrawItem(TMessage& message)
{
    DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam));
    message.Result = TRUE;
}

void TBitBtn::DrawButton(const DRAWITEMSTRUCT& item)
{
    HDC dc = item.hDC;
    RECT frame = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool enabled = (item.itemState & ODS_DISABLED) == 0;

    // The default button, and the one with the focus, wear a dark rim.
    if (IsDefault() || focused) {
        FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&frame, -1, -1);
    }
    DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));

    const int shift = pressed ? 1 : 0;
    RECT textArea = item.rcItem;
    if (kind_ == bkOK) {
        const int height = item.rcItem.bottom - item.rcItem.top;
        const int glyphLeft = item.rcItem.left + GlyphMargin + shift;
        const int glyphTop = item.rcItem.top + (height - GlyphSize) / 2 + shift;
        DrawCheckGlyph(dc, glyphLeft, glyphTop, enabled);
        textArea.left = item.rcItem.left + GlyphMargin + GlyphSize;
    }
    OffsetRect(&textArea, shift, shift);

    DrawCaption(dc, Text(), textArea, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Font(), enabled);

    if (focused && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        RECT focus = frame;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

void TBitBtn::DrawCheckGlyph(HDC dc, int left, int top, bool enabled)
{
    // A thick tick within the glyph square, touching its left edge.
    POINT tick[] = {{0, 9}, {3, 6}, {7, 10}, {14, 3}, {17, 6}, {7, 16}};
    for (POINT& point : tick) {
        point.x += left;
        point.y += top;
    }
    SelectedObject brush(dc, enabled ? glyphFill_.Handle() : disabledFill_.Handle());
    SelectedObject pen(dc, enabled ? glyphOutline_.Handle() : disabledOutline_.Handle());
    Polygon(dc, tick, static_cast<int>(sizeof tick / sizeof tick[0]));
}

// --------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
    SetParentColor(true);
}

void TCheckBox::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND: CNCommand(message); break;
    default: TWinControl::WndProc(message); break;
    }
}

void TCheckBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    MakeSuperclass(params, "BUTTON");
    params.Style |= BS_AUTOCHECKBOX;
    if (alignment_ == taLeftJustify)
        params.Style |= BS_LEFTTEXT;
}

void TCheckBox::CreateWnd()
{
    TWinControl::CreateWnd();
    SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::DestroyWnd()
{
    checked_ = Checked();
    TWinControl::DestroyWnd();
}

bool TCheckBox::Checked() const
{
    if (!HandleAllocated())
        return checked_;
    HWND window = const_cast<TCheckBox*>(this)->Handle();
    return SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool value)
{
    checked_ = value;
    if (HandleAllocated())
        SendMessageA(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::SetAlignment(TAlignment value)
{
    if (value == taCenter)
        value = taRightJustify;
    if (value == alignment_)
        return;
    alignment_ = value;
    if (HandleAllocated())
        SetStyleBit(Handle(), BS_LEFTTEXT, value == taLeftJustify);
}

void TCheckBox::CNCommand(TMessage& message)
{
    // The window has toggled itself by the time it reports the click.
    if (NotificationCode(message) == BN_CLICKED)
        Click();
    message.Result = 0;
}

// ------------------------------------------------------------ TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 113, 17);
    SetTabStop(false);
    SetParentColor(true);
}

void TRadioButton::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND: CNCommand(message); break;
    case BM_SETCHECK: BMSetCheck(message); break;
    default: TWinControl::WndProc(message); break;
    }
}

void TRadioButton::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    MakeSuperclass(params, "BUTTON");
    // Automatic, so that the arrow keys of the dialog manager check it too.
    params.Style |= BS_AUTORADIOBUTTON;
}

bool TRadioButton::StartsGroup() const { return dynamic_cast<TRadioButton*>(PreviousInTabOrder()) == nullptr; }

void TRadioButton::CreateWnd()
{
    TWinControl::CreateWnd();
    settingFromCode_ = true;
    SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
    settingFromCode_ = false;
}

void TRadioButton::DestroyWnd()
{
    checked_ = Checked();
    TWinControl::DestroyWnd();
}

bool TRadioButton::Checked() const
{
    if (!HandleAllocated())
        return checked_;
    HWND window = const_cast<TRadioButton*>(this)->Handle();
    return SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TRadioButton::SetChecked(bool value)
{
    if (HandleAllocated()) {
        settingFromCode_ = true;
        SendMessageA(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
        settingFromCode_ = false;
    }
    checked_ = value;
    SetTabStop(value);
    if (value)
        UncheckSiblings();
}

void TRadioButton::UncheckSiblings()
{
    TWinControl* parent = Parent();
    if (parent == nullptr)
        return;
    for (std::size_t i = 0; i < parent->ControlCount(); ++i) {
        auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i));
        if (other != nullptr && other != this && other->Checked())
            other->SetChecked(false);
    }
}

void TRadioButton::BMSetCheck(TMessage& message)
{
    const bool wasChecked = checked_;
    TWinControl::WndProc(message);
    checked_ = message.WParam == BST_CHECKED;
    SetTabStop(checked_);
    if (checked_ && !wasChecked && !settingFromCode_)
        checkedByWindow_ = true;
}

void TRadioButton::CNCommand(TMessage& message)
{
    message.Result = 0;
    if (NotificationCode(message) != BN_CLICKED)
        return;
    bool checkedNow = checkedByWindow_;
    checkedByWindow_ = false;
    if (!Checked()) {
        SetChecked(true);
        checkedNow = true;
    }
    // The window unchecks its group, which need not be all our siblings.
    UncheckSiblings();
    if (checkedNow)
        Click();
}

}  // namespace winlib
