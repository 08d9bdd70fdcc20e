#include "winlib/StdControls.h"

#include <algorithm>

namespace winlib {

// ------------------------------------------------------------ edit and memo

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

void TCustomEdit::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case CN_COMMAND: CNCommand(message); break;
    default: TWinControl::WndProc(message); break;
    }
}

void TCustomEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    MakeSuperclass(params, "EDIT");
    params.Style |= ES_AUTOHSCROLL;
    if (readOnly_)
        params.Style |= ES_READONLY;
    if (borderStyle_ == bsSingle) {
        if (Ctl3D)
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
}

void TCustomEdit::CreateWnd()
{
    TWinControl::CreateWnd();
    HWND window = Handle();
    SendMessageA(window, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
    SendMessageA(window, EM_SETMODIFY, modified_ ? TRUE : FALSE, 0);
}

void TCustomEdit::DestroyWnd()
{
    modified_ = SendMessageA(Handle(), EM_GETMODIFY, 0, 0) != 0;
    TWinControl::DestroyWnd();
}

void TCustomEdit::SetMaxLength(int value)
{
    maxLength_ = value;
    if (HandleAllocated())
        ApplyMaxLength(value);
}

void TCustomEdit::ApplyMaxLength(int value) { SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(value), 0); }

void TCustomEdit::SetBorderStyle(TBorderStyle value)
{
    if (value == borderStyle_)
        return;
    borderStyle_ = value;
    RecreateWnd();
}

void TCustomEdit::SetReadOnly(bool value)
{
    readOnly_ = value;
    if (HandleAllocated())
        SendMessageA(Handle(), EM_SETREADONLY, value ? TRUE : FALSE, 0);
}

bool TCustomEdit::IsModified()
{
    if (HandleAllocated())
        return SendMessageA(Handle(), EM_GETMODIFY, 0, 0) != 0;
    return modified_;
}

void TCustomEdit::SetModified(bool value)
{
    if (HandleAllocated())
        SendMessageA(Handle(), EM_SETMODIFY, value ? TRUE : FALSE, 0);
    else
        modified_ = value;
}

int TCustomEdit::SelectionStart()
{
    DWORD start = 0, end = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

void TCustomEdit::SetSelectionStart(int position)
{
    SendMessageA(Handle(), EM_SETSEL, static_cast<WPARAM>(position), position);
}

int TCustomEdit::SelectionLength()
{
    DWORD start = 0, end = 0;
    SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelectionLength(int length)
{
    HWND window = Handle();
    DWORD start = 0, end = 0;
    SendMessageA(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    SendMessageA(window, EM_SETSEL, start, static_cast<LPARAM>(start) + length);
    SendMessageA(window, EM_SCROLLCARET, 0, 0);
}

std::string TCustomEdit::SelectedText()
{
    // The plain edit has no message for the selected text alone.
    const int start = SelectionStart();
    const int length = SelectionLength();
    const std::string text = WholeText();
    if (start < 0 || length <= 0 || static_cast<size_t>(start) >= text.size())
        return std::string();
    return text.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}

void TCustomEdit::SetSelectedText(const std::string& text)
{
    SendMessageA(Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TCustomEdit::SelectAllText() { SendMessageA(Handle(), EM_SETSEL, 0, -1); }

void TCustomEdit::ClearText() { SetWindowTextA(Handle(), ""); }

int TCustomEdit::CopySelectedText(char* buffer, int bufSize)
{
    if (buffer == nullptr)
        return 0;
    const std::string text = SelectedText();
    const int count = (std::max)(0, (std::min)(static_cast<int>(text.size()), bufSize));
    std::copy_n(text.data(), count, buffer);
    buffer[count] = '\0';
    return count;
}

std::string TCustomEdit::WholeText()
{
    HWND window = Handle();
    const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(length) + 1, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return text;
}

bool TCustomEdit::CanUndo() { return SendMessageA(Handle(), EM_CANUNDO, 0, 0) != 0; }

void TCustomEdit::Undo() { SendMessageA(Handle(), EM_UNDO, 0, 0); }

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::CNCommand(TMessage& message)
{
    // The window reports its first text while it is being made; that is no
    // change the program made or the user typed.
    if (HIWORD(message.WParam) == EN_CHANGE && !CreatingWindow())
        Change();
    message.Result = 0;
}

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner)
{
    SetBounds(0, 0, 185, 89);
}

void TCustomMemo::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_GETDLGCODE: WMGetDlgCode(message); break;
    default: TCustomEdit::WndProc(message); break;
    }
}

void TCustomMemo::CreateParams(TCreateParams& params)
{
    TCustomEdit::CreateParams(params);
    params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
    if (wordWrap_)
        params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    // Without it an edit that has answered a dialog's WM_GETDLGCODE hands
    // Enter to the form's default button instead of breaking the line.
    if (wantReturns_)
        params.Style |= ES_WANTRETURN;
    switch (alignment_) {
    case taLeftJustify: params.Style |= ES_LEFT; break;
    case taRightJustify: params.Style |= ES_RIGHT; break;
    case taCenter: params.Style |= ES_CENTER; break;
    }
    switch (scrollBars_) {
    case ssNone: break;
    case ssHorizontal: params.Style |= WS_HSCROLL; break;
    case ssVertical: params.Style |= WS_VSCROLL; break;
    case ssBoth: params.Style |= WS_HSCROLL | WS_VSCROLL; break;
    }
}

void TCustomMemo::SetScrollBars(TScrollStyle value)
{
    if (value == scrollBars_)
        return;
    scrollBars_ = value;
    RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool value)
{
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    RecreateWnd();
}

void TCustomMemo::SetAlignment(TAlignment value)
{
    if (value == alignment_)
        return;
    alignment_ = value;
    RecreateWnd();
}

void TCustomMemo::SetWantReturns(bool value)
{
    if (value == wantReturns_)
        return;
    wantReturns_ = value;
    // The edit reads ES_WANTRETURN only when it is made.
    RecreateWnd();
}

void TCustomMemo::WMGetDlgCode(TMessage& message)
{
    TCustomEdit::WndProc(message);
    // The message loop asks before every key it might take for the form:
    // Tab moves the focus and Enter presses the default button unless the
    // control claims them. A multi-line edit claims every key by itself.
    const auto* msg = reinterpret_cast<const MSG*>(message.LParam);
    const bool keyMessage = msg != nullptr && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR);
    const WPARAM key = keyMessage ? msg->wParam : 0;
    // Tabbing into the memo keeps its caret and selection: the form is not
    // to select all its text.
    LRESULT code = message.Result & ~static_cast<LRESULT>(DLGC_HASSETSEL);
    // Esc belongs to the form, never to the text. An edit asked this way
    // takes itself to be in a dialog and, given Esc, closes its parent.
    if (key == VK_ESCAPE) {
        message.Result = code & ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
        return;
    }
    if (wantTabs_) {
        code |= DLGC_WANTTAB;
    } else {
        code &= ~static_cast<LRESULT>(DLGC_WANTTAB);
        if (key == VK_TAB)
            code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    }
    if (!wantReturns_)
        code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    else if (key == VK_RETURN)
        code |= DLGC_WANTALLKEYS;
    message.Result = code;
}

}  // namespace winlib
