// The edit and multi-line edit bases: window styles from the settings, the
// modified flag without a window, re-creation, OnChange, the dialog keys of
// the application's message loop, and the key and mouse events.
#include "RichEditProbe.h"

#include "winlib/Forms.h"
#include "winlib/StdControls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace winlib;
using richtest::PumpMessages;
using richtest::RichEditTest;

namespace {

class EditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application.Initialize();
        form = new TForm(&application);
        form->SetClientSize(400, 300);
    }

    LONG_PTR StyleOf(TWinControl* control) { return GetWindowLongPtrA(control->Handle(), GWL_STYLE); }
    LONG_PTR ExStyleOf(TWinControl* control) { return GetWindowLongPtrA(control->Handle(), GWL_EXSTYLE); }

    TApplication application;
    TForm* form = nullptr;
};

}  // namespace

TEST_F(EditTest, MemoStylesComeFromItsSettings)
{
    auto* memo = new TCustomMemo(form);
    memo->SetScrollBars(ssBoth);
    memo->SetAlignment(taRightJustify);
    memo->SetReadOnly(true);
    memo->SetEnabled(false);
    memo->SetParent(form);
    const LONG_PTR style = StyleOf(memo);
    EXPECT_NE(style & ES_MULTILINE, 0);
    EXPECT_NE(style & ES_AUTOVSCROLL, 0);
    EXPECT_EQ(style & ES_AUTOHSCROLL, 0) << "word wrap is on";
    EXPECT_NE(style & ES_RIGHT, 0);
    EXPECT_NE(style & WS_HSCROLL, 0);
    EXPECT_NE(style & WS_VSCROLL, 0);
    EXPECT_NE(style & ES_READONLY, 0);
    EXPECT_NE(style & WS_TABSTOP, 0);
    EXPECT_NE(style & WS_DISABLED, 0);
    EXPECT_NE(style & ES_WANTRETURN, 0);
    EXPECT_NE(ExStyleOf(memo) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(style & WS_BORDER, 0);
    // It is an edit control underneath.
    SetWindowTextA(memo->Handle(), "one\r\ntwo");
    EXPECT_EQ(SendMessageA(memo->Handle(), EM_GETLINECOUNT, 0, 0), 2);

    memo->SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(memo->Handle()));
}

namespace {

// Shows the creation parameters that its settings give.
template <class Base>
class ParamsShown : public Base {
public:
    using Base::Base;
    TCreateParams Params()
    {
        TCreateParams params;
        this->CreateParams(params);
        return params;
    }
};

}  // namespace

TEST_F(EditTest, BorderIsAFlatLineWithoutCtl3DAndNothingWithBsNone)
{
    auto* edit = new ParamsShown<TCustomEdit>(form);
    TCreateParams params = edit->Params();
    EXPECT_NE(params.ExStyle & WS_EX_CLIENTEDGE, 0u);
    EXPECT_EQ(params.Style & WS_BORDER, 0u);
    EXPECT_NE(params.Style & ES_AUTOHSCROLL, 0u);
    EXPECT_EQ(params.Style & ES_MULTILINE, 0u);
    EXPECT_NE(params.WindowClass.lpfnWndProc, nullptr);

    edit->Ctl3D = false;
    params = edit->Params();
    EXPECT_EQ(params.ExStyle & WS_EX_CLIENTEDGE, 0u);
    EXPECT_NE(params.Style & WS_BORDER, 0u);

    edit->SetBorderStyle(bsNone);
    params = edit->Params();
    EXPECT_EQ(params.ExStyle & WS_EX_CLIENTEDGE, 0u);
    EXPECT_EQ(params.Style & WS_BORDER, 0u);

    auto* memo = new ParamsShown<TCustomMemo>(form);
    memo->SetWordWrap(false);
    memo->SetWantReturns(false);
    params = memo->Params();
    EXPECT_NE(params.Style & ES_AUTOHSCROLL, 0u);
    EXPECT_EQ(params.Style & ES_WANTRETURN, 0u);
    EXPECT_EQ(params.Style & (WS_HSCROLL | WS_VSCROLL), 0u);

    // A live window is remade with the new border.
    memo->SetParent(form);
    EXPECT_NE(ExStyleOf(memo) & WS_EX_CLIENTEDGE, 0);
    memo->SetBorderStyle(bsNone);
    EXPECT_EQ(ExStyleOf(memo) & WS_EX_CLIENTEDGE, 0);
}

TEST_F(EditTest, ChangedScrollBarsRemakeTheWindowWithTextAndModifiedFlag)
{
    auto* memo = new TCustomMemo(form);
    memo->SetParent(form);
    SetWindowTextA(memo->Handle(), "kept text");
    memo->SetModified(true);
    memo->SetScrollBars(ssVertical);
    EXPECT_NE(StyleOf(memo) & WS_VSCROLL, 0);
    EXPECT_EQ(memo->WholeText(), "kept text");
    EXPECT_TRUE(memo->IsModified());
}

TEST_F(EditTest, ModifiedFlagIsKeptWhileThereIsNoWindow)
{
    auto* memo = new TCustomMemo(form);
    EXPECT_FALSE(memo->IsModified());
    memo->SetModified(true);
    EXPECT_TRUE(memo->IsModified());
    memo->SetParent(form);
    EXPECT_NE(SendMessageA(memo->Handle(), EM_GETMODIFY, 0, 0), 0);
    SendMessageA(memo->Handle(), EM_SETMODIFY, FALSE, 0);
    memo->DestroyHandle();
    EXPECT_FALSE(memo->IsModified());
}

TEST_F(EditTest, ReadOnlyAndMaxLengthReachALiveWindow)
{
    auto* edit = new TCustomEdit(form);
    edit->SetMaxLength(4);
    edit->SetParent(form);
    for (char c : std::string("abcdef"))
        SendMessageA(edit->Handle(), WM_CHAR, static_cast<unsigned char>(c), 0);
    EXPECT_EQ(edit->WholeText(), "abcd");
    edit->SetMaxLength(5);
    SendMessageA(edit->Handle(), WM_CHAR, 'x', 0);
    SendMessageA(edit->Handle(), WM_CHAR, 'y', 0);
    EXPECT_EQ(edit->WholeText(), "abcdx");

    edit->SetReadOnly(true);
    EXPECT_NE(StyleOf(edit) & ES_READONLY, 0);
    SendMessageA(edit->Handle(), WM_CHAR, 'z', 0);
    EXPECT_EQ(edit->WholeText(), "abcdx");
}

TEST_F(EditTest, PlainEditSelectionOperations)
{
    auto* edit = new TCustomEdit(form);
    edit->SetParent(form);
    SetWindowTextA(edit->Handle(), "hello world");
    edit->SetSelectionStart(6);
    edit->SetSelectionLength(5);
    EXPECT_EQ(edit->SelectionStart(), 6);
    EXPECT_EQ(edit->SelectionLength(), 5);
    EXPECT_EQ(edit->SelectedText(), "world");
    char buffer[4];
    EXPECT_EQ(edit->CopySelectedText(buffer, 3), 3);
    EXPECT_STREQ(buffer, "wor");
    edit->SetSelectedText("there");
    EXPECT_EQ(edit->WholeText(), "hello there");
    edit->SelectAllText();
    EXPECT_EQ(edit->SelectionLength(), 11);
    edit->ClearText();
    EXPECT_EQ(edit->WholeText(), "");
}

TEST_F(EditTest, ChangeEventFollowsTheText)
{
    auto* edit = new TCustomEdit(form);
    int changes = 0;
    edit->OnChange = [&](TComponent*) { ++changes; };
    edit->SetText("before the window");
    edit->SetParent(form);
    EXPECT_EQ(changes, 0);
    edit->SetSelectedText("!");
    EXPECT_EQ(changes, 1);
}

// ------------------------------------------------ the message loop's keys

namespace {

// Posts a key as the keyboard would and lets the application's loop take it.
void PressKey(TApplication& application, HWND window, WORD key)
{
    const LPARAM down = 1 | (static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16);
    PostMessageA(window, WM_KEYDOWN, key, down);
    PostMessageA(window, WM_KEYUP, key, down | (1L << 30) | (1L << 31));
    for (int i = 0; i < 3; ++i)
        PumpMessages(application);
}

class DialogKeysTest : public RichEditTest {
protected:
    void SetUp() override
    {
        RichEditTest::SetUp();
        next = new TCustomEdit(form);
        next->SetParent(form);
        next->SetBounds(10, 220, 200, 24);
        application.ActiveFormHandle = form->Handle();
        edit->SetFocus();
        ASSERT_EQ(GetFocus(), Window());
    }

    TCustomEdit* next = nullptr;
};

}  // namespace

TEST_F(DialogKeysTest, EnterBreaksTheLineThroughTheDialogKeys)
{
    edit->SetSelectedText("ab");
    PressKey(application, Window(), VK_RETURN);
    EXPECT_EQ(edit->WholeText(), "ab\r\n");
    EXPECT_EQ(GetFocus(), Window());
}

TEST_F(DialogKeysTest, WithoutWantReturnsEnterIsLeftToTheForm)
{
    edit->SetSelectedText("ab");
    edit->SetWantReturns(false);
    edit->SetFocus();
    const LRESULT code = SendMessageA(Window(), WM_GETDLGCODE, VK_RETURN, 0);
    EXPECT_EQ(code & DLGC_WANTALLKEYS, 0);
    PressKey(application, Window(), VK_RETURN);
    EXPECT_EQ(edit->WholeText(), "ab");
}

TEST_F(DialogKeysTest, TabMovesTheFocusUnlessWantTabs)
{
    edit->SetSelectedText("ab");
    PressKey(application, Window(), VK_TAB);
    EXPECT_EQ(edit->WholeText(), "ab");
    EXPECT_EQ(GetFocus(), next->Handle());

    edit->SetWantTabs(true);
    edit->SetFocus();
    PressKey(application, Window(), VK_TAB);
    EXPECT_EQ(edit->WholeText(), "ab\t");
    EXPECT_EQ(GetFocus(), Window());
}

// --------------------------------------------------- key and mouse events

TEST_F(RichEditTest, KeyDownHandlerCanSwallowTheKey)
{
    SetContent("abc");
    bool swallow = true;
    std::vector<WORD> seen;
    edit->OnKeyDown = [&](TComponent* sender, WORD& key, TShiftState) {
        EXPECT_EQ(sender, edit);
        seen.push_back(key);
        if (swallow && key == VK_DELETE)
            key = 0;
    };
    edit->SetSelectionStart(0);
    SendMessageA(Window(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(edit->WholeText(), "abc");
    swallow = false;
    SendMessageA(Window(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(edit->WholeText(), "bc");
    EXPECT_EQ(seen, (std::vector<WORD>{VK_DELETE, VK_DELETE}));
}

TEST_F(RichEditTest, MouseUpHandlerRunsAfterTheControlTookTheRelease)
{
    SetContent("abcdefgh");
    POINTL at{};
    SendMessageA(Window(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), 3);
    const LPARAM where = MAKELPARAM(at.x + 1, at.y + 2);

    HWND captureDuringHandler = reinterpret_cast<HWND>(1);
    int caretDuringHandler = -1;
    TMouseButton buttonSeen = mbMiddle;
    int xSeen = -1, ySeen = -1;
    edit->OnMouseUp = [&](TComponent*, TMouseButton button, TShiftState, int x, int y) {
        captureDuringHandler = GetCapture();
        caretDuringHandler = edit->SelectionStart();
        buttonSeen = button;
        xSeen = x;
        ySeen = y;
    };
    SendMessageA(Window(), WM_LBUTTONDOWN, MK_LBUTTON, where);
    ASSERT_EQ(GetCapture(), Window()) << "the control captures the mouse while the button is down";
    SendMessageA(Window(), WM_LBUTTONUP, 0, where);
    EXPECT_NE(captureDuringHandler, Window());
    EXPECT_EQ(caretDuringHandler, 3);
    EXPECT_EQ(buttonSeen, mbLeft);
    EXPECT_EQ(xSeen, at.x + 1);
    EXPECT_EQ(ySeen, at.y + 2);

    SendMessageA(Window(), WM_RBUTTONUP, 0, where);
    EXPECT_EQ(buttonSeen, mbRight);
}
