// The controls of the main window and the About box against real windows:
// layout inside panels, what is painted, and the events that user actions
// (sent as the system sends them) raise.
#include "winlib/Buttons.h"
#include "winlib/ExtControls.h"
#include "winlib/Forms.h"
#include "winlib/Lists.h"
#include "winlib/Menus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace winlib;

namespace {

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// What the screen shows at a point of the control, once pending paints ran.
COLORREF PixelOf(TWinControl& control, int x, int y)
{
    HWND window = control.Handle();
    UpdateWindow(GetAncestor(window, GA_ROOT));
    UpdateWindow(window);
    WindowDC dc(window);
    return GetPixel(dc.Get(), x, y) & 0xFFFFFF;
}

// How many pixels of a colour a rectangle of the control shows.
int CountPixels(TWinControl& control, const RECT& area, COLORREF color)
{
    PixelOf(control, 0, 0);
    WindowDC dc(control.Handle());
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if ((GetPixel(dc.Get(), x, y) & 0xFFFFFF) == color)
                ++count;
    return count;
}

// Posts a message to a window unless cancelled in time, so that a modal loop
// that fails to end fails the test instead of hanging it.
class Watchdog {
public:
    Watchdog(HWND window, UINT msg, WPARAM wParam, DWORD timeoutMs)
        : thread_([this, window, msg, wParam, timeoutMs] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return done_; })) {
                  fired = true;
                  PostMessageA(window, msg, wParam, 0);
                  PostMessageA(window, msg, wParam, 0);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    std::atomic<bool> fired{false};

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread thread_;
};

bool IsGreen(COLORREF c) { return GetGValue(c) >= 80 && GetRValue(c) < 60 && GetBValue(c) < 60; }

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application.Initialize();
        application.SetTitle("Controls Test");
        form = new TForm(&application);
        form->SetName("TestForm");
        form->SetBounds(40, 40, 0, 0);
        form->SetClientSize(400, 300);
    }

    void ShowForm()
    {
        form->Show();
        Pump();
    }

    TApplication application;
    TForm* form = nullptr;
};

// ------------------------------------------------------------------ panels

TEST_F(ControlsTest, DockedPanelsShareTheClientAreaAndChildrenSitInsideBothBevels)
{
    auto* bar = new TPanel(form);
    bar->SetParent(form);
    bar->SetHeight(49);
    bar->SetAlign(alTop);
    bar->SetBevelInner(bvLowered);
    int barResizes = 0;
    bar->OnResize = [&](TComponent*) { ++barResizes; };

    auto* side = new TPanel(form);
    side->SetParent(form);
    side->SetWidth(78);
    side->SetAlign(alRight);
    side->SetBevelInner(bvLowered);
    auto* list = new TListBox(form);
    list->SetParent(side);
    list->SetAlign(alClient);
    ShowForm();

    EXPECT_EQ(bar->Left(), 0);
    EXPECT_EQ(bar->Top(), 0);
    EXPECT_EQ(bar->Width(), 400);
    EXPECT_EQ(bar->Height(), 49);
    EXPECT_EQ(side->Left(), 322);
    EXPECT_EQ(side->Top(), 49);
    EXPECT_EQ(side->Height(), 251);
    // Outer and inner bevel, one pixel each.
    EXPECT_EQ(side->FrameWidth(), 2);
    EXPECT_EQ(list->Left(), 2);
    EXPECT_EQ(list->Top(), 2);
    EXPECT_EQ(list->Width(), 74);
    EXPECT_EQ(list->Height(), 247);

    const int before = barResizes;
    form->SetClientSize(500, 320);
    Pump();
    EXPECT_EQ(bar->Width(), 500);
    EXPECT_GT(barResizes, before);
    EXPECT_EQ(side->Left(), 422);
    EXPECT_EQ(list->Height(), 267);

    // Wider bevels and a border push the children further in.
    side->SetBevelWidth(3);
    side->SetBorderWidth(2);
    EXPECT_EQ(list->Left(), 8);
    EXPECT_EQ(list->Width(), 78 - 16);
}

TEST_F(ControlsTest, RaisedAndLoweredBevelsAreDrawnInTheSystemColours)
{
    auto* raised = new TPanel(form);
    raised->SetParent(form);
    raised->SetBounds(10, 10, 100, 50);
    raised->SetBevelInner(bvLowered);
    auto* lowered = new TPanel(form);
    lowered->SetParent(form);
    lowered->SetBounds(10, 100, 100, 50);
    lowered->SetBevelOuter(bvLowered);
    ShowForm();

    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    // Raised outside: light top left, dark bottom right; lowered inside the reverse.
    EXPECT_EQ(PixelOf(*raised, 5, 0), light);
    EXPECT_EQ(PixelOf(*raised, 5, 49), dark);
    EXPECT_EQ(PixelOf(*raised, 5, 1), dark);
    EXPECT_EQ(PixelOf(*raised, 5, 48), light);
    EXPECT_EQ(PixelOf(*raised, 50, 25), face);
    EXPECT_EQ(PixelOf(*lowered, 5, 0), dark);
    EXPECT_EQ(PixelOf(*lowered, 99, 20), light);
    EXPECT_EQ(PixelOf(*lowered, 5, 1), face);
}

// ------------------------------------------------------------------ shapes

TEST_F(ControlsTest, ShapeReportsWhichMouseButtonWentDown)
{
    auto* shape = new TShape(form);
    shape->SetParent(form);
    shape->SetBounds(10, 10, 41, 17);
    struct Press {
        TMouseButton button;
        int x, y;
        TComponent* sender;
    };
    std::vector<Press> presses;
    shape->OnMouseDown = [&](TComponent* sender, TMouseButton button, TShiftState, int x, int y) {
        presses.push_back({button, x, y, sender});
    };
    ShowForm();
    HWND window = shape->Handle();
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(3, 4));
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 5));
    SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(20, 5));
    SendMessageA(window, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(40, 16));
    SendMessageA(window, WM_MBUTTONUP, 0, MAKELPARAM(40, 16));

    ASSERT_EQ(presses.size(), 3u);
    EXPECT_EQ(presses[0].button, mbLeft);
    EXPECT_EQ(presses[0].x, 3);
    EXPECT_EQ(presses[0].y, 4);
    EXPECT_EQ(presses[1].button, mbRight);
    EXPECT_EQ(presses[2].button, mbMiddle);
    EXPECT_EQ(presses[2].x, 40);
    EXPECT_EQ(presses[0].sender, shape);
}

TEST_F(ControlsTest, ShapeIsFilledWithItsBrushInsideItsPenAndRepaintsWhenTheBrushChanges)
{
    auto* shape = new TShape(form);
    shape->SetParent(form);
    shape->SetBounds(10, 10, 41, 17);
    shape->Brush().SetColor(RGB(0, 0, 255));
    ShowForm();
    EXPECT_EQ(PixelOf(*shape, 20, 8), RGB(0, 0, 255));
    EXPECT_EQ(PixelOf(*shape, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(*shape, 40, 16), RGB(0, 0, 0));

    shape->Brush().SetColor(RGB(0x40, 0x80, 0x80));
    EXPECT_EQ(PixelOf(*shape, 20, 8), RGB(0x40, 0x80, 0x80));
    shape->Pen().SetColor(RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(*shape, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(shape->Brush().Color(), static_cast<TColor>(RGB(0x40, 0x80, 0x80)));
}

// ------------------------------------------------------------------ labels

TEST_F(ControlsTest, AutoSizedLabelFitsItsTextInItsOwnFont)
{
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetBounds(152, 24, 10, 10);
    label->SetCaption("Sample");
    const int sampleWidth = label->Width();
    const int sampleHeight = label->Height();
    EXPECT_GT(sampleWidth, 10);
    EXPECT_EQ(sampleWidth, label->TextExtent().cx);

    label->SetCaption("Sample Sample");
    EXPECT_GT(label->Width(), sampleWidth);
    EXPECT_EQ(label->Height(), sampleHeight);

    label->Font().SetHeight(-24);
    EXPECT_GT(label->Height(), sampleHeight);
    EXPECT_EQ(label->Left(), 152);
    EXPECT_EQ(label->Top(), 24);

    ShowForm();
    RECT window;
    GetWindowRect(label->Handle(), &window);
    EXPECT_EQ(window.right - window.left, label->Width());

    label->SetAutoSize(false);
    label->SetCaption("S");
    EXPECT_GT(label->Width(), label->TextExtent().cx);
}

TEST_F(ControlsTest, OpaqueLabelPaintsItsColourAndTextColourAndRepaintsOnChange)
{
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetBounds(20, 20, 0, 0);
    label->SetCaption("Sample");
    label->Font().SetName("Arial");
    label->Font().SetHeight(-20);
    label->SetColor(clWhite);
    label->Font().SetColor(clBlack);
    ShowForm();
        EXPECT_EQ(PixelOf(*label, 0, 0), RGB(255, 255, 255));
    EXPECT_GT(CountPixels(*label, RECT{0, 0, label->Width(), label->Height()}, RGB(0, 0, 0)), 10);

    // New text shows, in the width it needs.
    const int oldWidth = label->Width();
    label->SetCaption("Sample Sample");
    ASSERT_GT(label->Width(), oldWidth + 5);
    EXPECT_GT(CountPixels(*label, RECT{oldWidth + 5, 0, label->Width(), label->Height()}, RGB(0, 0, 0)), 10);

    label->SetColor(RGB(0, 0, 255));
    EXPECT_EQ(PixelOf(*label, 0, 0), RGB(0, 0, 255));
    label->Font().SetColor(RGB(255, 0, 0));
    const RECT all{0, 0, label->Width(), label->Height()};
    EXPECT_EQ(CountPixels(*label, all, RGB(0, 0, 0)), 0);
    EXPECT_GT(CountPixels(*label, all, RGB(255, 0, 0)), 10);

    // A transparent label shows its parent's colour behind the text.
    label->SetTransparent(true);
    EXPECT_EQ(PixelOf(*label, 0, 0), GetSysColor(COLOR_BTNFACE));
}

// ------------------------------------------------------------------ images

TEST_F(ControlsTest, ImageStretchesItsPictureToFillTheFrame)
{
    // Two by two: red, green over blue, white.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = -2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    auto* pixels = static_cast<DWORD*>(bits);
    pixels[0] = 0xFF0000;  // DIB order: 0x00RRGGBB
    pixels[1] = 0x00FF00;
    pixels[2] = 0x0000FF;
    pixels[3] = 0xFFFFFF;

    auto* image = new TImage(form);
    image->SetParent(form);
    image->SetBounds(8, 8, 65, 57);
    image->SetBitmap(bitmap);
    EXPECT_EQ(image->PictureWidth(), 2);
    ShowForm();
    // Unstretched the picture keeps its size in the top left corner.
    EXPECT_EQ(PixelOf(*image, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(*image, 40, 40), GetSysColor(COLOR_BTNFACE));

    image->SetStretch(true);
    EXPECT_EQ(PixelOf(*image, 5, 5), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(*image, 60, 5), RGB(0, 255, 0));
    EXPECT_EQ(PixelOf(*image, 5, 50), RGB(0, 0, 255));
    EXPECT_EQ(PixelOf(*image, 60, 50), RGB(255, 255, 255));

    EXPECT_THROW(image->LoadFromResourceName(nullptr, "NO_SUCH_PICTURE"), EResNotFound);
    EXPECT_FALSE(image->Empty());
}

// ----------------------------------------------------------------- buttons

TEST_F(ControlsTest, ButtonClickRunsItsHandlerAndGivesTheFormItsModalResult)
{
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetCaption("Font");
    int clicks = 0;
    int resultSeen = -1;
    button->OnClick = [&](TComponent*) {
        ++clicks;
        resultSeen = form->ModalResult;
    };
    ShowForm();
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(resultSeen, mrNone);

    button->ModalResult = mrCancel;
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(resultSeen, mrCancel);
    char text[16] = {};
    GetWindowTextA(button->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Font");
}

TEST_F(ControlsTest, EnterPressesTheDefaultButtonOfAModalForm)
{
    auto* other = new TButton(form);
    other->SetParent(form);
    other->SetBounds(10, 10, 75, 25);
    auto* ok = new TButton(form);
    ok->SetParent(form);
    ok->SetBounds(100, 10, 75, 25);
    ok->SetCaption("OK");
    ok->ModalResult = mrOk;
    ok->SetDefault(true);
    int okClicks = 0, otherClicks = 0;
    ok->OnClick = [&](TComponent*) { ++okClicks; };
    other->OnClick = [&](TComponent*) { ++otherClicks; };
    form->ActiveControl = other;
    EXPECT_NE(GetWindowLongPtrA(ok->Handle(), GWL_STYLE) & BS_DEFPUSHBUTTON, 0);

    form->OnShow = [&](TComponent*) { PostMessageA(form->Handle(), WM_KEYDOWN, VK_RETURN, 0); };
    Watchdog watchdog(form->Handle(), WM_CLOSE, 0, 5000);
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_FALSE(watchdog.fired);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(otherClicks, 0);
}

TEST_F(ControlsTest, OkBitButtonHasItsGlyphAtTheLeftAndItsCaptionCentredRightOfIt)
{
    auto* ok = new TBitBtn(form);
    ok->SetParent(form);
    ok->SetBounds(111, 218, 77, 27);
    ok->SetKind(bkOK);
    ok->Font().SetStyle({fsBold});
    ok->Font().SetColor(clBlack);
    EXPECT_EQ(ok->Caption(), "OK");
    EXPECT_EQ(ok->ModalResult, mrOk);
    EXPECT_TRUE(ok->IsDefault());
    ShowForm();

    int firstGreen = -1, lastGreen = -1;
    int firstText = -1, lastText = -1;
    PixelOf(*ok, 0, 0);
    WindowDC dc(ok->Handle());
    for (int x = 0; x < 77; ++x) {
        for (int y = 4; y < 23; ++y) {
            const COLORREF c = GetPixel(dc.Get(), x, y) & 0xFFFFFF;
            if (IsGreen(c)) {
                if (firstGreen < 0)
                    firstGreen = x;
                lastGreen = x;
            } else if (c == RGB(0, 0, 0) && x > TBitBtn::GlyphMargin + TBitBtn::GlyphSize && x < 72) {
                if (firstText < 0)
                    firstText = x;
                lastText = x;
            }
        }
    }
    EXPECT_EQ(firstGreen, TBitBtn::GlyphMargin);
    EXPECT_EQ(lastGreen, TBitBtn::GlyphMargin + TBitBtn::GlyphSize - 1);
    ASSERT_GE(firstText, 0);
    // The caption's middle is the middle of the space right of the glyph.
    const int spaceMiddle = (TBitBtn::GlyphMargin + TBitBtn::GlyphSize + 77) / 2;
    EXPECT_NEAR((firstText + lastText) / 2.0, spaceMiddle, 2.0);

    int clicks = 0;
    ok->OnClick = [&](TComponent*) { ++clicks; };
    SendMessageA(ok->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form->ModalResult, mrOk);
}

// ------------------------------------------------------- check boxes, radio

TEST_F(ControlsTest, CheckBoxTogglesOnTheUsersClickOnlyRaisingOnClickThen)
{
    auto* junk = new TCheckBox(form);
    junk->SetParent(form);
    junk->SetBounds(10, 10, 73, 17);
    junk->SetCaption("Junk filter");
    junk->SetAlignment(taLeftJustify);
    junk->SetChecked(true);
    std::vector<bool> seen;
    junk->OnClick = [&](TComponent*) { seen.push_back(junk->Checked()); };
    ShowForm();

    EXPECT_NE(GetWindowLongPtrA(junk->Handle(), GWL_STYLE) & BS_LEFTTEXT, 0);
    EXPECT_TRUE(junk->Checked());
    EXPECT_EQ(SendMessageA(junk->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

    SendMessageA(junk->Handle(), BM_CLICK, 0, 0);
    SendMessageA(junk->Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_FALSE(seen[0]);
    EXPECT_TRUE(seen[1]);

    junk->SetChecked(false);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(SendMessageA(junk->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    junk->SetAlignment(taRightJustify);
    EXPECT_EQ(GetWindowLongPtrA(junk->Handle(), GWL_STYLE) & BS_LEFTTEXT, 0);
    junk->SetChecked(true);
    junk->RecreateWnd();
    EXPECT_TRUE(junk->Checked());
}

TEST_F(ControlsTest, RadioButtonsOfOneParentExcludeEachOther)
{
    auto* bar = new TPanel(form);
    bar->SetParent(form);
    bar->SetBounds(0, 0, 400, 49);
    auto* cutPaste = new TRadioButton(form);
    cutPaste->SetParent(bar);
    cutPaste->SetBounds(343, 24, 98, 17);
    cutPaste->SetCaption("Cut/Paste Mode");
    auto* coloring = new TRadioButton(form);
    coloring->SetParent(bar);
    coloring->SetBounds(448, 24, 89, 17);
    coloring->SetCaption("Coloring Mode");
    coloring->SetChecked(true);
    auto* elsewhere = new TRadioButton(form);
    elsewhere->SetParent(form);
    elsewhere->SetBounds(10, 100, 89, 17);
    elsewhere->SetChecked(true);
    int cutPasteClicks = 0, coloringClicks = 0;
    cutPaste->OnClick = [&](TComponent*) { ++cutPasteClicks; };
    coloring->OnClick = [&](TComponent*) { ++coloringClicks; };
    ShowForm();
    EXPECT_TRUE(coloring->Checked());
    EXPECT_FALSE(cutPaste->Checked());

    SendMessageA(cutPaste->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(cutPaste->Checked());
    EXPECT_FALSE(coloring->Checked());
    EXPECT_EQ(cutPasteClicks, 1);

    SendMessageA(coloring->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(coloring->Checked());
    EXPECT_FALSE(cutPaste->Checked());
    EXPECT_EQ(coloringClicks, 1);
    // A click on the checked one changes nothing.
    SendMessageA(coloring->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(coloringClicks, 1);

    // From code too, and without a click event.
    cutPaste->SetChecked(true);
    EXPECT_FALSE(coloring->Checked());
    EXPECT_EQ(cutPasteClicks, 1);
    EXPECT_TRUE(elsewhere->Checked());
}

// --------------------------------------------------------------- list boxes

class ListBoxTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        list = new TListBox(form);
        list->SetParent(form);
        list->SetBounds(2, 2, 74, 299);
        list->OnClick = [this](TComponent*) {
            ++clicks;
            indexSeen = list->ItemIndex();
        };
    }

    // Fills the list as the junk filter does.
    void FillFiltered()
    {
        list->Items().Clear();
        list->Items().Add(std::string(1, '\x91'));
        list->Items().Add(std::string(1, '\x92'));
        for (int c = 160; c <= 255; ++c)
            list->Items().Add(std::string(1, static_cast<char>(c)));
    }

    TListBox* list = nullptr;
    int clicks = 0;
    int indexSeen = -2;
};

TEST_F(ListBoxTest, ItemsGoIntoTheWindowInOrderAndSurviveItsRecreation)
{
    FillFiltered();
    ShowForm();
    HWND window = list->Handle();
    EXPECT_EQ(SendMessageA(window, LB_GETCOUNT, 0, 0), 98);
    EXPECT_EQ(list->Items().Count(), 98);
    EXPECT_EQ(list->Items().Get(0), "\x91");
    EXPECT_EQ(list->Items().Get(2), "\xA0");
    char text[8] = {};
    SendMessageA(window, LB_GETTEXT, 97, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "\xFF");
    EXPECT_THROW(list->Items().Get(98), EStringListError);

    list->SetItemIndex(5);
    list->RecreateWnd();
    EXPECT_NE(list->Handle(), nullptr);
    EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 98);
    EXPECT_EQ(list->Items().Get(97), "\xFF");
    EXPECT_EQ(list->ItemIndex(), 5);

    list->Clear();
    EXPECT_EQ(list->Items().Count(), 0);
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(clicks, 0);
}

// A character that the ANSI code page lacks stays itself, given before the
// window is made, while it is there, and across its recreation; the bytes
// of an item given so are still what they were.
TEST_F(ListBoxTest, Utf16ItemsKeepCharactersTheAnsiCodePageLacks)
{
    FillFiltered();
    EXPECT_EQ(list->AddItemUtf16(u"\u2588"), 98);
    ShowForm();
    EXPECT_EQ(list->AddItemUtf16(u"\u2591\u2500"), 99);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(list->Items().Count(), 100);
        EXPECT_EQ(list->ItemUtf16(98), u"\u2588");
        EXPECT_EQ(list->ItemUtf16(99), u"\u2591\u2500");
        EXPECT_EQ(list->ItemUtf16(2), u"\u00A0");
        EXPECT_EQ(list->Items().Get(2), "\xA0");
        EXPECT_EQ(list->Items().Get(97), "\xFF");
        list->RecreateWnd();
    }
    EXPECT_THROW(list->ItemUtf16(100), EStringListError);
}

TEST_F(ListBoxTest, UserSelectionByKeyboardAndMouseRaisesOnClickButCodeDoesNot)
{
    FillFiltered();
    ShowForm();
    list->SetFocus();
    HWND window = list->Handle();

    list->SetItemIndex(2);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(SendMessageA(window, LB_GETCURSEL, 0, 0), 2);

    // Down arrow moves the selection one entry on.
    SendMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(window, WM_KEYUP, VK_DOWN, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(indexSeen, 3);

    RECT item;
    SendMessageA(window, LB_GETITEMRECT, 6, reinterpret_cast<LPARAM>(&item));
    const LPARAM point = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(window, WM_LBUTTONUP, 0, point);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(indexSeen, 6);
    EXPECT_EQ(list->ItemIndex(), 6);
}

TEST_F(ListBoxTest, ListPaintsInItsColourAndFontColourAndRepaintsWhenTheyChange)
{
    list->Items().Add("W");
    list->Font().SetName("Arial");
    list->Font().SetHeight(-20);
    ShowForm();
    RECT client;
    GetClientRect(list->Handle(), &client);
    // Below the only item lies the list's own background.
    EXPECT_EQ(PixelOf(*list, 10, client.bottom - 5), GetSysColor(COLOR_WINDOW));

    list->SetColor(RGB(0xFF, 0xFF, 0x00));
    list->Font().SetColor(RGB(0x80, 0x00, 0x80));
    EXPECT_EQ(PixelOf(*list, 10, client.bottom - 5), RGB(0xFF, 0xFF, 0x00));
    RECT item;
    SendMessageA(list->Handle(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_GT(CountPixels(*list, item, RGB(0x80, 0x00, 0x80)), 10);
}

// ------------------------------------------------------------------- menus

class MenuTest : public ControlsTest {
protected:
    TMenuItem* Item(TMenuItem& parent, const std::string& caption, const std::string& name)
    {
        auto* item = new TMenuItem(form);
        item->SetName(name);
        item->SetCaption(caption);
        item->OnClick = [this, name](TComponent*) { log.push_back(name); };
        parent.Add(item);
        return item;
    }

    void SetUp() override
    {
        ControlsTest::SetUp();
        menu = new TMainMenu(form);
        file = Item(menu->Items(), "&File", "File1");
        newItem = Item(*file, "&New", "New1");
        Item(*file, "&Exit", "Exit1");
        edit = Item(menu->Items(), "&Edit", "Edit1");
        undo = Item(*edit, "&Undo", "Undo1");
        about = Item(menu->Items(), "&About", "About1");
        menu->AttachTo(*form);
    }

    TMainMenu* menu = nullptr;
    TMenuItem *file = nullptr, *newItem = nullptr, *edit = nullptr, *undo = nullptr, *about = nullptr;
    std::vector<std::string> log;
};

TEST_F(MenuTest, BarShowsPopupsAndCommandsWhoseChoicesReachTheirItems)
{
    ShowForm();
    HMENU bar = GetMenu(form->Handle());
    ASSERT_EQ(bar, menu->Handle());
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    char caption[32] = {};
    GetMenuStringA(bar, 0, caption, sizeof caption, MF_BYPOSITION);
    EXPECT_STREQ(caption, "&File");
    EXPECT_NE(GetSubMenu(bar, 0), nullptr);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 0)), 2);
    // About has no items: the bar entry is the command.
    EXPECT_EQ(GetSubMenu(bar, 2), nullptr);
    EXPECT_EQ(GetMenuItemID(bar, 2), about->Command());
    EXPECT_GE(newItem->Command(), 1000);
    EXPECT_NE(newItem->Command(), about->Command());

    SendMessageA(form->Handle(), WM_COMMAND, GetMenuItemID(GetSubMenu(bar, 0), 0), 0);
    SendMessageA(form->Handle(), WM_COMMAND, GetMenuItemID(bar, 2), 0);
    // Enter and Escape of the dialog manager are not menu commands.
    SendMessageA(form->Handle(), WM_COMMAND, IDOK, 0);
    SendMessageA(form->Handle(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"New1", "About1"}));

    newItem->SetEnabled(false);
    EXPECT_NE(GetMenuState(GetSubMenu(bar, 0), 0, MF_BYPOSITION) & MF_GRAYED, 0u);
    SendMessageA(form->Handle(), WM_COMMAND, newItem->Command(), 0);
    EXPECT_EQ(log.size(), 2u);
    about->SetCaption("A&bout");
    GetMenuStringA(bar, 2, caption, sizeof caption, MF_BYPOSITION);
    EXPECT_STREQ(caption, "A&bout");
}

TEST_F(MenuTest, OpeningAPopupRunsItsEntrysHandlerBeforeTheItemsShow)
{
    edit->OnClick = [this](TComponent*) {
        log.push_back("Edit1");
        undo->SetEnabled(false);
        // What the user sees in the open popup.
        const UINT state = GetMenuState(edit->PopupHandle(), 0, MF_BYPOSITION);
        log.push_back((state & MF_GRAYED) != 0 ? "Undo grayed" : "Undo enabled");
        EndMenu();
    };
    ShowForm();
    // Alt+E as the system delivers it opens the Edit menu for real.
    {
        Watchdog watchdog(form->Handle(), WM_KEYDOWN, VK_ESCAPE, 5000);
        SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'e');
        EXPECT_FALSE(watchdog.fired);
    }
    Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"Edit1", "Undo grayed"}));
}

TEST_F(MenuTest, RecreatedFormGetsTheSameBarBackAndStructureChangesRebuildIt)
{
    ShowForm();
    HMENU bar = menu->Handle();
    HWND first = form->Handle();
    form->RecreateWnd();
    ASSERT_NE(form->Handle(), first);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsMenu(bar));
    EXPECT_EQ(GetMenu(form->Handle()), bar);
    SendMessageA(form->Handle(), WM_COMMAND, about->Command(), 0);
    EXPECT_EQ(log, std::vector<std::string>{"About1"});

    Item(*about, "&Topics", "Topics1");
    HMENU rebuilt = GetMenu(form->Handle());
    EXPECT_EQ(rebuilt, menu->Handle());
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_NE(GetSubMenu(rebuilt, 2), nullptr);

    delete menu;
    EXPECT_EQ(GetMenu(form->Handle()), nullptr);
    EXPECT_FALSE(IsMenu(rebuilt));
    EXPECT_EQ(form->MenuHandle, nullptr);
}

}  // namespace
