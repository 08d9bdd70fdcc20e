// The rich text control against the real rich edit window: selection and
// text operations, re-creation of the window, the settings that send
// messages, the notifications and the window's library reference.
#include "RichEditProbe.h"

#include "winlib/Exceptions.h"
#include "winlib/Strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using namespace winlib;
using richtest::ProbeRichEdit;
using richtest::PumpMessages;
using richtest::RichEditTest;

namespace {

bool RichEditLibraryLoaded() { return GetModuleHandleA("riched20.dll") != nullptr; }

}  // namespace

// ------------------------------------------------------ selection and text

TEST_F(RichEditTest, OneCharacterSelectionReadsThatCharacterAndABreakReadsAsCR)
{
    SetContent("ab\rcd");
    edit->SetSelectionStart(1);
    edit->SetSelectionLength(1);
    EXPECT_EQ(edit->SelectionStart(), 1);
    EXPECT_EQ(edit->SelectionLength(), 1);
    EXPECT_EQ(edit->SelectedText(), "b");

    edit->SetSelectionStart(2);
    edit->SetSelectionLength(1);
    EXPECT_EQ(edit->SelectedText(), "\r");

    // The break counts as one position: d is at 4.
    edit->SetSelectionStart(4);
    edit->SetSelectionLength(1);
    EXPECT_EQ(edit->SelectedText(), "d");
}

// Every byte, alone and all together, reads as the control's own 8-bit text
// of the selection gives it.
TEST_F(RichEditTest, SelectedTextIsTheControlsOwnTextOfEveryByte)
{
    std::string everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte += static_cast<char>(b);
    SetContent(everyByte + "\r" + everyByte);
    const int length = static_cast<int>(edit->UnicodeText().size());
    for (int p = -1; p < length; ++p) {
        edit->SetSelectionStart((std::max)(p, 0));
        edit->SetSelectionLength(p < 0 ? length : 1);
        std::string own(4 * static_cast<size_t>(length) + 16, '\0');
        own.resize(static_cast<size_t>(
            SendMessageA(edit->Handle(), EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(own.data()))));
        ASSERT_EQ(edit->SelectedText(), own) << "position " << p;
    }
}

TEST_F(RichEditTest, SelectionStartMakesACaretAndLengthZeroKeepsTheStart)
{
    SetContent("0123456789");
    Select(3, 8);
    edit->SetSelectionStart(5);
    EXPECT_EQ(Selection().cpMin, 5);
    EXPECT_EQ(Selection().cpMax, 5);

    Select(2, 7);
    edit->SetSelectionLength(0);
    EXPECT_EQ(Selection().cpMin, 2);
    EXPECT_EQ(Selection().cpMax, 2);
    EXPECT_EQ(edit->SelectedText(), "");
}

TEST_F(RichEditTest, SelectionLengthSendsTheRealScrollCaretMessage)
{
    SetContent("abc");
    edit->StartRecording();
    edit->SetSelectionStart(1);
    EXPECT_FALSE(edit->Received(EM_SCROLLCARET));
    edit->SetSelectionLength(1);
    edit->StopRecording();
    ASSERT_TRUE(edit->Received(EM_SCROLLCARET));
    EXPECT_FALSE(edit->Received(WM_USER + 49));
    // Scrolled after the selection is set.
    UINT last = 0;
    for (const auto& m : edit->sent)
        if (m.msg == EM_EXSETSEL || m.msg == EM_SCROLLCARET)
            last = m.msg;
    EXPECT_EQ(last, static_cast<UINT>(EM_SCROLLCARET));
}

TEST_F(RichEditTest, SelectionLengthZeroBringsTheCaretIntoView)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line\r";
    SetContent(text);
    Select(995, 995);
    SendMessageA(Window(), EM_LINESCROLL, 0, -1000);
    ASSERT_EQ(SendMessageA(Window(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    edit->SetSelectionLength(0);
    EXPECT_GT(SendMessageA(Window(), EM_GETFIRSTVISIBLELINE, 0, 0), 150);
}

TEST_F(RichEditTest, SelectionPastTheEndReadsEmpty)
{
    SetContent("abc");
    edit->SetSelectionStart(10);
    edit->SetSelectionLength(1);
    EXPECT_EQ(edit->SelectedText(), "");
    EXPECT_EQ(edit->SelectionStart(), 3);
}

TEST_F(RichEditTest, SelectedTextReplacesTheSelectionAndLeavesTheCaretAfterIt)
{
    SetContent("hello world");
    Select(6, 11);
    edit->SetSelectedText("there");
    EXPECT_EQ(edit->WholeText(), "hello there");
    EXPECT_EQ(edit->SelectionStart(), 11);
    EXPECT_EQ(edit->SelectionLength(), 0);

    Select(0, 6);
    edit->SetSelectedText("");
    EXPECT_EQ(edit->WholeText(), "there");

    edit->SetSelectionStart(5);
    edit->SetSelectedText("\r");
    edit->SetSelectedText("x");
    EXPECT_EQ(edit->WholeText(), "there\r\nx");
}

TEST_F(RichEditTest, WholeTextHasCRLFForEveryParagraphBreak)
{
    SetContent("a\rb\r\rc");
    EXPECT_EQ(edit->WholeText(), "a\r\nb\r\n\r\nc");
    // Positions count a break once: c is at 5.
    edit->SetSelectionStart(5);
    edit->SetSelectionLength(1);
    EXPECT_EQ(edit->SelectedText(), "c");
}

TEST_F(RichEditTest, ClearTextEmptiesAndLeavesItUnmodified)
{
    edit->SetSelectedText("some text");
    ASSERT_TRUE(edit->IsModified());
    edit->ClearText();
    EXPECT_EQ(edit->WholeText(), "");
    EXPECT_FALSE(edit->IsModified());
}

TEST_F(RichEditTest, TypedTextCanBeUndoneButReplacedSelectionCannot)
{
    edit->SetSelectedText("abc");
    EXPECT_FALSE(edit->CanUndo());
    SendMessageA(Window(), WM_CHAR, 'x', 0);
    EXPECT_EQ(edit->WholeText(), "abcx");
    EXPECT_TRUE(edit->CanUndo());
    edit->Undo();
    EXPECT_EQ(edit->WholeText(), "abc");
}

TEST_F(RichEditTest, CopySelectedTextWritesAtMostBufSizeCharactersAndAZero)
{
    SetContent("0123456789");
    edit->SelectAllText();
    char buffer[8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(edit->CopySelectedText(buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "012");
    EXPECT_EQ(buffer[3], '\0');
    EXPECT_EQ(buffer[4], 'X');

    std::memset(buffer, 'X', sizeof buffer);
    Select(7, 10);
    EXPECT_EQ(edit->CopySelectedText(buffer, 7), 3);
    EXPECT_STREQ(buffer, "789");
    EXPECT_EQ(buffer[4], 'X');
}

TEST_F(RichEditTest, ModifiedFlagFollowsTheWindow)
{
    SetContent("abc");
    edit->SetModified(false);
    EXPECT_FALSE(edit->IsModified());
    SendMessageA(Window(), WM_CHAR, 'x', 0);
    EXPECT_TRUE(edit->IsModified());
    edit->SetModified(false);
    EXPECT_EQ(SendMessageA(Window(), EM_GETMODIFY, 0, 0), 0);
}

TEST_F(RichEditTest, ModifiedFlagSetBeforeTheWindowExistsReachesIt)
{
    auto* late = new ProbeRichEdit(form);
    late->SetModified(true);
    EXPECT_TRUE(late->IsModified());
    EXPECT_FALSE(late->HandleAllocated());
    late->SetParent(form);
    ASSERT_TRUE(late->HandleAllocated());
    EXPECT_NE(SendMessageA(late->Handle(), EM_GETMODIFY, 0, 0), 0);
}

TEST_F(RichEditTest, MaxLengthLimitsTypingAndIsSentAsTheRichEditLimit)
{
    edit->StartRecording();
    edit->SetMaxLength(5);
    edit->StopRecording();
    const auto limits = edit->SentOf(EM_EXLIMITTEXT);
    ASSERT_EQ(limits.size(), 1u);
    EXPECT_EQ(limits[0].lParam, 5);
    for (char c : std::string("abcdefgh"))
        SendMessageA(Window(), WM_CHAR, static_cast<unsigned char>(c), 0);
    EXPECT_EQ(edit->WholeText(), "abcde");
}

TEST_F(RichEditTest, OperationsMakeTheWindowWhenThereIsNoneYet)
{
    auto* late = new TRich2Edit(form);
    late->SetParent(nullptr);
    EXPECT_FALSE(late->HandleAllocated());
    EXPECT_THROW(late->SelectionStart(), EInvalidOperation);
    EXPECT_FALSE(late->HandleAllocated());
    late->SetParent(form);
    late->SetText("made with its text");
    late->DestroyHandle();
    ASSERT_FALSE(late->HandleAllocated());
    EXPECT_EQ(late->WholeText(), "made with its text");
    EXPECT_TRUE(late->HandleAllocated());
}

// ------------------------------------------------------------- re-creation

namespace {

// Bold red "bold" in "plain bold plain", a second paragraph, modified.
void MakeFormattedContent(RichEditTest&, ProbeRichEdit* edit)
{
    edit->SetSelectedText("plain bold plain\rsecond line");
    edit->SetSelectionStart(6);
    edit->SetSelectionLength(4);
    edit->SelectionAttributes().SetStyle({fsBold});
    edit->SelectionAttributes().SetColor(0x0000FF);
    edit->SetSelectionStart(0);
}

}  // namespace

class RecreationTest : public RichEditTest {
protected:
    void ExpectContentKept()
    {
        EXPECT_EQ(edit->WholeText(), "plain bold plain\r\nsecond line");
        const CHARFORMAT2A bold = FormatOf(7, 9);
        EXPECT_NE(bold.dwEffects & CFE_BOLD, 0u);
        EXPECT_EQ(bold.dwEffects & CFE_AUTOCOLOR, 0u);
        EXPECT_EQ(bold.crTextColor, 0x0000FFu);
        const CHARFORMAT2A plain = FormatOf(1, 3);
        EXPECT_EQ(plain.dwEffects & CFE_BOLD, 0u);
        EXPECT_NE(plain.crTextColor, 0x0000FFu);
    }
};

TEST_F(RecreationTest, HideScrollBarsRecreatesTheWindowKeepingTextFormattingAndModified)
{
    MakeFormattedContent(*this, edit);
    edit->SetModified(true);
    const int created = edit->windowsCreated;
    edit->SetHideScrollBars(false);
    EXPECT_EQ(edit->windowsCreated, created + 1);
    EXPECT_NE(GetWindowLongPtrA(Window(), GWL_STYLE) & ES_DISABLENOSCROLL, 0);
    ExpectContentKept();
    EXPECT_TRUE(edit->IsModified());

    edit->SetModified(false);
    edit->SetHideScrollBars(true);
    EXPECT_EQ(edit->windowsCreated, created + 2);
    EXPECT_EQ(GetWindowLongPtrA(Window(), GWL_STYLE) & ES_DISABLENOSCROLL, 0);
    ExpectContentKept();
    EXPECT_FALSE(edit->IsModified());
}

TEST_F(RecreationTest, ContentSurvivesAsRTFAlsoWhenPlainTextIsSet)
{
    MakeFormattedContent(*this, edit);
    edit->SetModified(true);
    edit->SetPlainText(true);
    edit->SetHideScrollBars(false);
    ExpectContentKept();
    EXPECT_TRUE(edit->IsModified());
    EXPECT_TRUE(edit->PlainText());
}

TEST_F(RecreationTest, ALimitAbove64KSurvivesANewWindowWithTheContent)
{
    edit->SetMaxLength(200000);
    const std::string text(70000, 'x');
    SetContent(text);
    edit->StartRecording();
    edit->SetHideScrollBars(false);
    edit->StopRecording();
    // EM_LIMITTEXT stops at 64K in a rich edit control; the limit must come
    // as EM_EXLIMITTEXT, before the content is streamed back.
    std::vector<UINT> order;
    for (const richtest::SentMessage& m : edit->sent)
        if ((m.msg == EM_EXLIMITTEXT && m.lParam == 200000) || m.msg == EM_STREAMIN)
            order.push_back(m.msg);
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.front(), static_cast<UINT>(EM_EXLIMITTEXT));
    EXPECT_EQ(SendMessageA(Window(), EM_GETLIMITTEXT, 0, 0), 200000);
    EXPECT_EQ(edit->WholeText(), text);
    SendMessageA(Window(), WM_CHAR, 'y', 0);
    EXPECT_EQ(edit->WholeText().size(), text.size() + 1);
}

TEST_F(RecreationTest, EditBaseSettingsRecreateTheWindowToo)
{
    MakeFormattedContent(*this, edit);
    // With hidden scroll bars the control drops WS_VSCROLL while the text fits.
    edit->SetHideScrollBars(false);
    const int created = edit->windowsCreated;
    edit->SetScrollBars(ssVertical);
    edit->SetWordWrap(false);
    edit->SetAlignment(taCenter);
    EXPECT_EQ(edit->windowsCreated, created + 3);
    const LONG_PTR style = GetWindowLongPtrA(Window(), GWL_STYLE);
    EXPECT_NE(style & WS_VSCROLL, 0);
    EXPECT_NE(style & ES_AUTOHSCROLL, 0);
    EXPECT_NE(style & ES_CENTER, 0);
    ExpectContentKept();
    // The same values again change nothing.
    edit->SetScrollBars(ssVertical);
    edit->SetWordWrap(false);
    EXPECT_EQ(edit->windowsCreated, created + 3);
}

TEST_F(RecreationTest, NoChangeEventWhileTheWindowIsRemade)
{
    MakeFormattedContent(*this, edit);
    int changes = 0;
    edit->OnChange = [&](TComponent*) { ++changes; };
    edit->SetHideScrollBars(false);
    EXPECT_EQ(changes, 0);
    ExpectContentKept();
    edit->SetSelectedText("x");
    EXPECT_GE(changes, 1);
}

TEST_F(RecreationTest, RecreatingTheFormKeepsTheContent)
{
    MakeFormattedContent(*this, edit);
    form->RecreateWnd();
    ASSERT_TRUE(edit->HandleAllocated());
    ExpectContentKept();
}

// -------------------------------------------- settings and what they send

TEST_F(RichEditTest, SameHideSelectionOrHideScrollBarsSendsNothing)
{
    const int created = edit->windowsCreated;
    edit->StartRecording();
    edit->SetHideSelection(true);
    edit->SetHideScrollBars(true);
    edit->StopRecording();
    EXPECT_TRUE(edit->sent.empty());
    EXPECT_EQ(edit->windowsCreated, created);
}

TEST_F(RichEditTest, HideSelectionChangeSendsHideSelectionWithLParamOne)
{
    edit->StartRecording();
    edit->SetHideSelection(false);
    edit->SetHideSelection(true);
    edit->StopRecording();
    const auto sent = edit->SentOf(EM_HIDESELECTION);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].wParam, 0u);
    EXPECT_EQ(sent[0].lParam, 1);
    EXPECT_EQ(sent[1].wParam, 1u);
    EXPECT_EQ(sent[1].lParam, 1);
    // A later window carries the setting as its style.
    edit->SetHideSelection(false);
    edit->RecreateWnd();
    EXPECT_NE(GetWindowLongPtrA(Window(), GWL_STYLE) & ES_NOHIDESEL, 0);
}

TEST_F(RichEditTest, PlainTextSendsNothing)
{
    SetContent("abc");
    edit->StartRecording();
    edit->SetPlainText(true);
    edit->SetPlainText(false);
    edit->StopRecording();
    EXPECT_TRUE(edit->sent.empty());
    EXPECT_EQ(edit->WholeText(), "abc");
}

TEST_F(RichEditTest, ColourIsSentAsTheBackgroundResolved)
{
    edit->StartRecording();
    edit->SetColor(0x00FF00);
    edit->SetColor(clBtnFace);
    edit->StopRecording();
    const auto sent = edit->SentOf(EM_SETBKGNDCOLOR);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].wParam, 0u);
    EXPECT_EQ(static_cast<COLORREF>(sent[0].lParam), 0x00FF00u);
    EXPECT_EQ(static_cast<COLORREF>(sent[1].lParam), GetSysColor(COLOR_BTNFACE));
    // A new window gets it at creation.
    edit->StartRecording();
    edit->RecreateWnd();
    edit->StopRecording();
    const auto atCreation = edit->SentOf(EM_SETBKGNDCOLOR);
    ASSERT_EQ(atCreation.size(), 1u);
    EXPECT_EQ(static_cast<COLORREF>(atCreation[0].lParam), GetSysColor(COLOR_BTNFACE));
}

TEST_F(RichEditTest, FontReachesTheWindowOnlyAsTheDefaultCharacterFormat)
{
    SetContent("abc");
    CHARFORMAT2A bold{};
    bold.dwMask = CFM_BOLD;
    bold.dwEffects = CFE_BOLD;
    SetFormat(1, 2, bold);

    edit->StartRecording();
    edit->Font().SetName("Courier New");
    edit->StopRecording();
    EXPECT_FALSE(edit->Received(WM_SETFONT));
    const auto formats = edit->SentOf(EM_SETCHARFORMAT);
    ASSERT_EQ(formats.size(), 6u);
    for (const auto& m : formats)
        EXPECT_EQ(m.wParam, 0u);
    EXPECT_EQ(formats[1].charFormat.dwMask, static_cast<DWORD>(CFM_FACE));
    EXPECT_STREQ(formats[1].charFormat.szFaceName, "Courier New");

    CHARFORMAT2A defaults{};
    defaults.cbSize = sizeof defaults;
    SendMessageA(Window(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&defaults));
    EXPECT_STREQ(defaults.szFaceName, "Courier New");
    EXPECT_NE(FormatOf(1, 2).dwEffects & CFE_BOLD, 0u);
}

TEST_F(RichEditTest, WindowCreationGivesTheFontToTheDefaultFormatAndSetsTheEventMask)
{
    edit->Font().SetName("Courier New");
    edit->Font().SetSize(9);
    edit->StartRecording();
    edit->RecreateWnd();
    edit->StopRecording();
    EXPECT_FALSE(edit->Received(WM_SETFONT));
    const auto masks = edit->SentOf(EM_SETEVENTMASK);
    ASSERT_FALSE(masks.empty());
    EXPECT_EQ(masks.front().lParam, 0x2C0001);
    CHARFORMAT2A defaults{};
    defaults.cbSize = sizeof defaults;
    SendMessageA(Window(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&defaults));
    EXPECT_STREQ(defaults.szFaceName, "Courier New");
    EXPECT_EQ(defaults.yHeight, 180);
}

// ------------------------------------------------------------------ events

TEST_F(RichEditTest, SelectionChangeIsReported)
{
    SetContent("abcdef");
    int changes = 0;
    edit->OnSelectionChange = [&](TComponent* sender) {
        EXPECT_EQ(sender, edit);
        ++changes;
    };
    edit->SetSelectionStart(3);
    EXPECT_GE(changes, 1);
}

TEST_F(RichEditTest, ResizeRequestPassesTheRectangle)
{
    SetContent("one\rtwo\rthree");
    bool asked = false;
    RECT asked_for{};
    edit->OnResizeRequest = [&](TComponent*, RECT& rect) {
        asked = true;
        asked_for = rect;
    };
    SendMessageA(Window(), EM_REQUESTRESIZE, 0, 0);
    ASSERT_TRUE(asked);
    EXPECT_GT(asked_for.bottom - asked_for.top, 0);
}

namespace {

LRESULT NotifyForm(HWND form, NMHDR& header) { return SendMessageA(form, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header)); }

}  // namespace

TEST_F(RichEditTest, ProtectedChangeIsRefusedWithoutAHandler)
{
    ENPROTECTED change{};
    change.nmhdr.hwndFrom = Window();
    change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(Window()));
    change.nmhdr.code = EN_PROTECTED;
    change.msg = WM_CHAR;
    change.chrg = {2, 5};
    EXPECT_EQ(NotifyForm(form->Handle(), change.nmhdr), 1);

    int start = -1, end = -1;
    edit->OnProtectChange = [&](TComponent*, int startPos, int endPos, bool& allow) {
        EXPECT_FALSE(allow);
        start = startPos;
        end = endPos;
        allow = true;
    };
    EXPECT_EQ(NotifyForm(form->Handle(), change.nmhdr), 0);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 5);
}

TEST_F(RichEditTest, ClipboardDataIsSavedWithoutAHandler)
{
    ENSAVECLIPBOARD closing{};
    closing.nmhdr.hwndFrom = Window();
    closing.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(Window()));
    closing.nmhdr.code = EN_SAVECLIPBOARD;
    closing.cObjectCount = 1;
    closing.cch = 42;
    EXPECT_EQ(NotifyForm(form->Handle(), closing.nmhdr), 0);

    int objects = -1, chars = -1;
    edit->OnSaveClipboard = [&](TComponent*, int numObjects, int numChars, bool& save) {
        EXPECT_TRUE(save);
        objects = numObjects;
        chars = numChars;
        save = false;
    };
    EXPECT_EQ(NotifyForm(form->Handle(), closing.nmhdr), 1);
    EXPECT_EQ(objects, 1);
    EXPECT_EQ(chars, 42);
}

TEST_F(RichEditTest, ChangeEventComesFromTheWindowsChangeNotification)
{
    int changes = 0;
    edit->OnChange = [&](TComponent* sender) {
        EXPECT_EQ(sender, edit);
        ++changes;
    };
    edit->SetSelectedText("x");
    EXPECT_GE(changes, 1);
    const int before = changes;
    // Not a change of the text.
    edit->SetSelectionStart(0);
    EXPECT_EQ(changes, before);
}

// -------------------------------------------------------- painting, cursor

TEST_F(RichEditTest, PaintTouchingTheRightEdgeRepaintsTheWholeStrip)
{
    ShowForm();
    SetContent("some text to paint");
    UpdateWindow(Window());
    RECT client;
    GetClientRect(Window(), &client);

    ValidateRect(Window(), nullptr);
    const RECT corner{client.right - 1, 50, client.right, 52};
    InvalidateRect(Window(), &corner, TRUE);
    const int paints = edit->paints;
    UpdateWindow(Window());
    ASSERT_EQ(edit->paints, paints + 1);
    HRGN painted = edit->lastPaintRegion.Get();
    EXPECT_TRUE(PtInRegion(painted, client.right - 3, client.top));
    EXPECT_TRUE(PtInRegion(painted, client.right - 1, client.bottom - 1));
    EXPECT_FALSE(PtInRegion(painted, client.right - 4, client.top));

    ValidateRect(Window(), nullptr);
    const RECT inside{10, 10, 20, 20};
    InvalidateRect(Window(), &inside, TRUE);
    UpdateWindow(Window());
    ASSERT_EQ(edit->paints, paints + 2);
    EXPECT_FALSE(PtInRegion(edit->lastPaintRegion.Get(), client.right - 1, client.top));
    EXPECT_TRUE(PtInRegion(edit->lastPaintRegion.Get(), 15, 15));
}

TEST_F(RichEditTest, SetCursorOverTheBorderIsHandledWithoutACursor)
{
    edit->SetBounds(10, 10, 300, 200);
    RECT frame;
    GetWindowRect(Window(), &frame);
    RECT client;
    GetClientRect(Window(), &client);
    POINT origin{0, 0};
    ClientToScreen(Window(), &origin);
    ASSERT_GT(origin.x, frame.left) << "the control needs a border for this test";

    // The default handling leaves the border unanswered; the control
    // reports it handled and does not make it an I-beam.
    HCURSOR beam = LoadCursorA(nullptr, IDC_IBEAM);
    SetCursorPos(frame.left, (frame.top + frame.bottom) / 2);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    EXPECT_EQ(SendMessageA(Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Window()),
                           MAKELPARAM(HTBORDER, WM_MOUSEMOVE)),
              1);
    EXPECT_NE(GetCursor(), beam);

    SetCursorPos(origin.x + 20, origin.y + 20);
    EXPECT_NE(SendMessageA(Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Window()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              0);
    EXPECT_EQ(GetCursor(), beam);
}

// ---------------------------------------------------------------- library

TEST(RichEditLibrary, EveryWindowHoldsOneReferenceGivenBackWhenItIsGone)
{
    ASSERT_FALSE(RichEditLibraryLoaded()) << "another window still holds the rich edit library";
    TApplication application;
    application.Initialize();
    auto* form = new TForm(&application);
    form->SetClientSize(300, 200);
    auto* orphan = new TRich2Edit(form);
    EXPECT_THROW(orphan->HandleNeeded(), EInvalidOperation);
    EXPECT_FALSE(RichEditLibraryLoaded()) << "a window that could not be made holds nothing";
    delete orphan;

    auto* first = new TRich2Edit(form);
    first->SetParent(form);
    EXPECT_FALSE(RichEditLibraryLoaded()) << "no window, no library";
    first->HandleNeeded();
    EXPECT_TRUE(RichEditLibraryLoaded());

    auto* second = new TRich2Edit(form);
    second->SetParent(form);
    second->SetSelectedText("kept");
    for (int i = 0; i < 3; ++i)
        second->RecreateWnd();
    delete first;
    EXPECT_TRUE(RichEditLibraryLoaded());
    EXPECT_EQ(second->WholeText(), "kept");

    // The library may go and come back with a window made after it.
    second->DestroyHandle();
    EXPECT_FALSE(RichEditLibraryLoaded());
    EXPECT_EQ(second->WholeText(), "kept");
    EXPECT_TRUE(RichEditLibraryLoaded());
    delete second;
    EXPECT_FALSE(RichEditLibraryLoaded());
}
