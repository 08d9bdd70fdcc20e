// The main window driven from outside, as a user drives it: each test starts
// vexil.exe, works its controls and menus, and reads the result back from the
// windows or from the file that File, Save writes.
#include "e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ios>
#include <string>

using automation::CaptionOf;
using automation::WaitUntil;
using e2e::Button;
using e2e::Vexil;

namespace {

const std::string kRedOnWhite = "\x03" "04,00";

RECT ClientRectOf(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

LRESULT ListCount(Vexil& app) { return e2e::Send(app.List(), LB_GETCOUNT); }

// Clicks the list entry with this index, as the mouse would.
void ClickListEntry(Vexil& app, int index) {
    HWND list = app.List();
    const LRESULT top = e2e::Send(list, LB_GETTOPINDEX);
    const LRESULT height = e2e::Send(list, LB_GETITEMHEIGHT, 0);
    ASSERT_GT(height, 0);
    e2e::Click(list, 10, static_cast<int>((index - top) * height + height / 2));
}

HWND WaitForAboutBox(Vexil& app) {
    return automation::WaitForWindow(
        automation::WindowQuery().WithCaption("About").InProcess(app.Process().Id()));
}

// Control bytes spelled out, for failure messages.
std::string Visible(const std::string& bytes) {
    std::string text;
    char hex[8];
    for (unsigned char c : bytes) {
        if (c < 0x20 || c >= 0x7F) {
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

HWND Swatch(Vexil& app, int paletteIndex) { return app.Swatches().at(static_cast<size_t>(paletteIndex)); }

}  // namespace

// ---------------------------------------------------------------- the window

TEST(MainWindow, CaptionPlaceAndClientSizeAreAsDesigned) {
    Vexil app;
    EXPECT_EQ(CaptionOf(app.Main()), "Vexil Version 2.00 Release Version");
    EXPECT_EQ(automation::TextOf(app.Main()), "Vexil Version 2.00 Release Version");
    RECT frame{};
    ASSERT_TRUE(GetWindowRect(app.Main(), &frame));
    EXPECT_EQ(frame.left, 116);
    EXPECT_EQ(frame.top, 149);
    const RECT client = ClientRectOf(app.Main());
    EXPECT_EQ(client.right, 632);
    EXPECT_EQ(client.bottom, 352);
    const RECT editor = e2e::RectInParent(app.Editor());
    EXPECT_EQ(editor.left, 0);
    EXPECT_EQ(editor.top, 49);
    EXPECT_EQ(editor.right - editor.left, 554);
    EXPECT_EQ(editor.bottom - editor.top, 303);
}

TEST(MainWindow, PaletteBarLaysOutSwatchesForDesignedAndWiderWindow) {
    Vexil app;
    HWND bar = app.PaletteBar();
    HWND filter = e2e::ChildWithCaption(bar, "TCheckBox", "Junk filter");
    auto expectLayout = [&](int clientWidth, int w, int checkBoxLeft) {
        EXPECT_EQ(ClientRectOf(bar).right, clientWidth);
        const std::vector<HWND> swatches = app.Swatches();
        ASSERT_EQ(swatches.size(), 16u);
        for (int k = 0; k < 16; ++k) {
            const RECT rect = e2e::RectInParent(swatches[static_cast<size_t>(k)]);
            EXPECT_EQ(rect.left, k * w) << "swatch " << k + 1;
            EXPECT_EQ(rect.right - rect.left, w) << "swatch " << k + 1;
            EXPECT_EQ(rect.top, 3) << "swatch " << k + 1;
            EXPECT_EQ(rect.bottom - rect.top, 17) << "swatch " << k + 1;
        }
        EXPECT_EQ(e2e::RectInParent(filter).left, checkBoxLeft);
    };
    expectLayout(632, 39, 549);
    EXPECT_EQ(e2e::RectInParent(app.Swatches().back()).left, 585);

    RECT frame{};
    ASSERT_TRUE(GetWindowRect(app.Main(), &frame));
    const int extra = (frame.right - frame.left) - ClientRectOf(app.Main()).right;
    ASSERT_TRUE(SetWindowPos(app.Main(), nullptr, 0, 0, 800 + extra, frame.bottom - frame.top,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(WaitUntil([&] { return ClientRectOf(bar).right == 800; }));
    app.Sync();
    expectLayout(800, 49, 717);
    const RECT last = e2e::RectInParent(app.Swatches().back());
    EXPECT_EQ(last.left, 735);
    EXPECT_EQ(last.right, 784);
}

// Swatches and the sample show the current colours before any File, New.
TEST(MainWindow, SwatchPressesBeforeFileNewUpdateSwatchesAndSample) {
    Vexil app;
    HWND sample = e2e::ChildWithCaption(app.PaletteBar(), "TLabel", "Sample");
    EXPECT_TRUE(WaitUntil([&] { return e2e::ColourAt(app.TextSwatch()) == 0x000000; }));
    EXPECT_TRUE(WaitUntil([&] { return e2e::ColourAt(app.BackSwatch()) == 0xFFFFFF; }));
    e2e::ClickCentre(Swatch(app, 4));
    e2e::ClickCentre(Swatch(app, 8), Button::Right);
    EXPECT_TRUE(WaitUntil([&] { return e2e::ColourAt(app.TextSwatch()) == 0x0000FF; }))
        << std::hex << e2e::ColourAt(app.TextSwatch());
    EXPECT_TRUE(WaitUntil([&] { return e2e::ColourAt(app.BackSwatch()) == 0x00FFFF; }))
        << std::hex << e2e::ColourAt(app.BackSwatch());
    EXPECT_TRUE(WaitUntil([&] { return e2e::ColourAt(sample, 1, 1) == 0x00FFFF; }))
        << "the sample's background " << std::hex << e2e::ColourAt(sample, 1, 1);
    // The two current-colour swatches take no presses of their own.
    e2e::ClickCentre(app.TextSwatch(), Button::Right);
    e2e::ClickCentre(app.BackSwatch());
    app.Sync();
    Sleep(100);
    EXPECT_EQ(e2e::ColourAt(app.TextSwatch()), 0x0000FFu);
    EXPECT_EQ(e2e::ColourAt(app.BackSwatch()), 0x00FFFFu);
    EXPECT_EQ(e2e::Send(app.Editor(), WM_GETTEXTLENGTH), 0);
}

TEST(MainWindow, FileExitEndsTheProgramOnceUnsavedTextMayGo) {
    Vexil app;
    app.FileNew();
    app.Type("unsaved");
    app.Menu("fe");
    HWND question = app.SaveQuestion(automation::kDialogTimeoutMs);
    ASSERT_NE(question, nullptr) << "unsaved text is asked about";
    automation::CloseDialog(question, IDNO);
    ASSERT_TRUE(app.Process().WaitForExit(5000));
    EXPECT_EQ(app.Process().ExitCode(), 0u);
}

TEST(MainWindow, AboutShowsVersionAndOkClosesAFreshBoxEachTime) {
    Vexil app;
    HWND first = nullptr;
    for (int round = 0; round < 2; ++round) {
        app.Menu("a");
        HWND box = WaitForAboutBox(app);
        if (round == 0) {
            first = box;
        } else {
            EXPECT_NE(box, first) << "the second About made no new box";
        }
        HWND version = e2e::ChildWithCaption(box, "TLabel", "Version 2.0 ");
        EXPECT_EQ(automation::TextOf(version), "Version 2.0 ");
        e2e::ChildWithCaption(box, "TLabel", "Vexra ASCII Editor");
        // The main window takes no input while the box is up.
        EXPECT_FALSE(IsWindowEnabled(app.Main()));
        EXPECT_EQ(automation::ClassOf(box), "TAboutBox");
        e2e::PostClickCentre(e2e::ChildWithCaption(box, "TBitBtn", "OK"));
        automation::WaitForWindowHidden(box);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(app.Main()) != FALSE; }));
    }
    EXPECT_TRUE(app.Process().IsRunning());
}

// ------------------------------------------------------- editor and saving

TEST(MainWindowEditing, EditorTakesNoInputBeforeFileNewAndTypedBytesAreSaved) {
    Vexil app;
    EXPECT_FALSE(IsWindowEnabled(app.Editor()));
    automation::BringToFront(app.Main());
    const RECT editor = ClientRectOf(app.Editor());
    automation::ClickClient(app.Editor(), editor.right / 2, editor.bottom / 2);
    automation::TypeText("abc");
    app.Sync();
    EXPECT_EQ(e2e::Send(app.Editor(), WM_GETTEXTLENGTH), 0);
    EXPECT_EQ(app.SaveBytes(), "") << "File, Save before File, New writes an empty file";

    app.FileNew();
    EXPECT_TRUE(IsWindowEnabled(app.Editor()));
    automation::BringToFront(app.Main());
    automation::ClickClient(app.Editor(), editor.right / 2, editor.bottom / 2);
    automation::TypeText("abc");
    ASSERT_TRUE(WaitUntil([&] { return app.Text() == "abc"; })) << app.Text();
    app.Type("\nde");
    EXPECT_EQ(app.Text(), "abc\r\nde");
    EXPECT_EQ(app.SaveBytes(), "abc\r\nde");
}

TEST(MainWindowEditing, FileNewDiscardsSavedTextWithoutAQuestionAndFocusesTheEditor) {
    Vexil app;
    app.FileNew();
    EXPECT_EQ(app.Focus(), app.Editor());
    app.Type("old text");
    app.SaveBytes();
    app.Menu("fn");
    ASSERT_TRUE(WaitUntil([&] { return app.Text().empty(); }));
    EXPECT_EQ(automation::FindTopLevelWindow(automation::MessageBoxQuery().InProcess(app.Process().Id())),
              nullptr);
    EXPECT_TRUE(WaitUntil([&] { return app.Focus() == app.Editor(); }));
    app.Type("new");
    EXPECT_EQ(app.SaveBytes(), "new");
}

// ------------------------------------------------------------ colouring

TEST(MainWindowColouring, LeftPressOnSwatchColoursTheNextTypedCharacter) {
    Vexil app;
    app.FileNew();
    app.Type("ab");
    e2e::ClickCentre(Swatch(app, 4));  // red
    EXPECT_EQ(app.Selection(), std::make_pair(2, 2));
    app.Type("x");
    EXPECT_EQ(app.SaveBytes(), "ab" + kRedOnWhite + "x") << "existing text keeps its colour";
}

TEST(MainWindowColouring, LeftPressOnRedThenTypingSavesColourCodeFirst) {
    Vexil app;
    app.FileNew();
    e2e::ClickCentre(Swatch(app, 4));
    app.Type("x");
    EXPECT_EQ(app.SaveBytes(), "\x03" "04,00x");
}

TEST(MainWindowColouring, RightAndMiddlePressSetTheBackground) {
    Vexil app;
    app.FileNew();
    e2e::ClickCentre(Swatch(app, 4), Button::Right);  // red background
    app.Type("x");
    e2e::ClickCentre(Swatch(app, 8), Button::Middle);  // yellow background
    app.Type("y");
    EXPECT_EQ(app.SaveBytes(), "\x03" "01,04x\x03" "01,08y");
}

TEST(MainWindowColouring, PressesOnTextAndBackgroundSwatchesDoNothing) {
    Vexil app;
    app.FileNew();
    e2e::ClickCentre(Swatch(app, 4));
    // Were these handled, the text would turn white or the background red.
    e2e::ClickCentre(app.BackSwatch());
    e2e::ClickCentre(app.TextSwatch(), Button::Right);
    e2e::ClickCentre(app.BackSwatch(), Button::Middle);
    app.Type("x");
    EXPECT_EQ(app.SaveBytes(), kRedOnWhite + "x");
}

TEST(MainWindowColouring, SelectionNotMadeByMouseIsPaintedByASwatchPressAndStays) {
    Vexil app;
    app.FileNew();
    app.Type("abcd");
    e2e::Send(app.Editor(), EM_SETSEL, 1, 3);
    app.Sync();
    EXPECT_EQ(app.Selection(), std::make_pair(1, 3));
    e2e::ClickCentre(Swatch(app, 4));
    EXPECT_EQ(app.Selection(), std::make_pair(1, 3)) << "a swatch press keeps the selection";
    EXPECT_EQ(app.SaveBytes(), "a" + kRedOnWhite + "bc\x03" "01,00d");
}

TEST(MainWindowColouring, ColoringModeDragPaintsOnReleaseAndCollapsesEitherWay) {
    for (const bool rightToLeft : {false, true}) {
        SCOPED_TRACE(rightToLeft ? "dragged right to left" : "dragged left to right");
        Vexil app;
        app.FileNew();
        app.Type("abcdef");
        e2e::ClickCentre(Swatch(app, 4));
        if (rightToLeft) {
            app.Drag(4, 1);
        } else {
            app.Drag(1, 4);
        }
        EXPECT_EQ(app.Selection(), std::make_pair(1, 1)) << "caret at the selection's lower end";
        EXPECT_EQ(app.SaveBytes(), "a" + kRedOnWhite + "bcd\x03" "01,00ef");
    }
}

TEST(MainWindowColouring, CutPasteModeKeepsTheSelectionUnpaintedUntilASwatchPress) {
    Vexil app;
    app.FileNew();
    app.Type("abcdef");
    HWND cutPaste = e2e::ChildWithCaption(app.PaletteBar(), "TRadioButton", "Cut/Paste Mode");
    HWND coloring = e2e::ChildWithCaption(app.PaletteBar(), "TRadioButton", "Coloring Mode");
    EXPECT_EQ(e2e::Send(coloring, BM_GETCHECK), BST_CHECKED);
    e2e::ClickCentre(cutPaste);
    ASSERT_EQ(e2e::Send(cutPaste, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(e2e::Send(coloring, BM_GETCHECK), BST_UNCHECKED);

    e2e::ClickCentre(Swatch(app, 4), Button::Right);  // red background for the caret only
    e2e::ClickCentre(Swatch(app, 3));                 // green text
    app.Drag(4, 1);
    EXPECT_EQ(app.Selection(), std::make_pair(1, 4)) << "the selection stays";
    e2e::ClickCentre(Swatch(app, 2));  // navy text: paints the selection, keeps it
    EXPECT_EQ(app.Selection(), std::make_pair(1, 4));
    EXPECT_EQ(app.SaveBytes(), "a\x03" "02,04bcd\x03" "01,00ef");
}

TEST(MainWindowColouring, BoldChangesOnlyTheSampleUntilASwatchPress) {
    Vexil app;
    app.FileNew();
    app.Type("abc");
    HWND sample = e2e::ChildWithCaption(app.PaletteBar(), "TLabel", "Sample");
    const RECT before = e2e::RectInParent(sample);
    HWND bold = e2e::ChildWithCaption(app.PaletteBar(), "TCheckBox", "Bold");
    e2e::ClickCentre(bold);
    ASSERT_EQ(e2e::Send(bold, BM_GETCHECK), BST_CHECKED);
    app.Sync();
    // The label sizes itself to its text, which is wider in bold.
    EXPECT_GT(e2e::RectInParent(sample).right - e2e::RectInParent(sample).left, before.right - before.left);
    app.Type("d");
    EXPECT_EQ(app.SaveBytes(), "abcd") << "no bold before the current style is applied";
    e2e::ClickCentre(Swatch(app, 1));  // black
    app.Type("e");
    EXPECT_EQ(app.SaveBytes(), "abcd\x02" "e");
}

// -------------------------------------------------- character picker

TEST(MainWindowPicker, JunkFilterSwitchesBetween98And236Entries) {
    Vexil app;
    EXPECT_EQ(ListCount(app), 98);
    HWND filter = e2e::ChildWithCaption(app.PaletteBar(), "TCheckBox", "Junk filter");
    EXPECT_EQ(e2e::Send(filter, BM_GETCHECK), BST_CHECKED);
    e2e::ClickCentre(filter);
    EXPECT_EQ(e2e::Send(filter, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(ListCount(app), 236);
    EXPECT_EQ(e2e::Send(app.List(), LB_GETCURSEL), LB_ERR);
    e2e::ClickCentre(filter);
    EXPECT_EQ(ListCount(app), 98);
}

TEST(MainWindowPicker, ClickingAnEntryInsertsItsCharacterOnlyOnceEnabled) {
    Vexil app;
    ClickListEntry(app, 0);
    app.Sync();
    EXPECT_EQ(e2e::Send(app.Editor(), WM_GETTEXTLENGTH), 0) << "the picker changed the editor before File, New";

    app.FileNew();
    app.Type("a");
    ClickListEntry(app, 0);  // 0x91
    ClickListEntry(app, 2);  // 0xA0
    EXPECT_EQ(e2e::Send(app.List(), LB_GETCURSEL), 2);
    app.Type("b");
    EXPECT_EQ(app.SaveBytes(), "a\x91\xA0" "b");
}

TEST(MainWindowPicker, UnfilteredListInsertsTheUnderlineCodeAsAByte) {
    Vexil app;
    app.FileNew();
    e2e::ClickCentre(e2e::ChildWithCaption(app.PaletteBar(), "TCheckBox", "Junk filter"));
    ASSERT_EQ(ListCount(app), 236);
    app.Type("a");
    ClickListEntry(app, 0x1F - 20);
    app.Type("b");
    EXPECT_EQ(app.SaveBytes(), "a\x1F" "b");
}

// ------------------------------------------------------------ Font dialog

TEST(MainWindowFont, CancelledFontDialogChangesNothing) {
    Vexil app;
    app.FileNew();
    app.Type("ab");
    e2e::PostClickCentre(e2e::ChildWithCaption(app.PaletteBar(), "TButton", "Font"));
    automation::CloseDialog(app.WaitForDialog(), IDCANCEL);
    app.Sync();
    EXPECT_EQ(app.Selection(), std::make_pair(2, 2)) << "the caret stayed at the end";
    app.Type("c");
    EXPECT_EQ(app.SaveBytes(), "abc");
}

TEST(MainWindowFont, ConfirmedFontKeepsEveryStyleChangesNothingAndPaintsBlackNeverAnOutsideColour) {
    Vexil app;
    const std::string path = app.NewFile("font");
    e2e::WriteFileBytes(path, "\x03" "04,08red\x03" "12,01blue \x02" "bold\x02 \x1F" "under\r\n");
    app.FileNew();
    app.Load(path, "redblue bold under\r\n");
    const std::string before = app.SaveBytes();
    e2e::PostClickCentre(e2e::ChildWithCaption(app.PaletteBar(), "TButton", "Font"));
    automation::FontAnswer answer;
    answer.style = "Bold";
    automation::AnswerFontDialog(app.WaitForDialog(), answer);
    app.Sync();
    // Coded text holds no font: the document is as saved, and File, Load asks nothing.
    app.Menu("fl");
    HWND open = app.WaitForDialog();
    EXPECT_EQ(automation::FindDescendant(open, automation::kMessageBoxTextId), nullptr) << "a question came";
    automation::CloseDialog(open, IDCANCEL);
    EXPECT_EQ(Visible(app.SaveBytes()), Visible(before)) << "every character keeps its colours, bold and underline";

    // The text swatch now holds the window-text colour; what it paints must
    // be saved as palette black.
    // A red text swatch goes back to that colour with the next confirmed Font.
    e2e::Send(app.Editor(), EM_SETSEL, 0, 0);
    e2e::ClickCentre(Swatch(app, 4));
    e2e::PostClickCentre(e2e::ChildWithCaption(app.PaletteBar(), "TButton", "Font"));
    automation::AnswerFontDialog(app.WaitForDialog(), automation::FontAnswer{});
    const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_TRUE(WaitUntil([&] { return e2e::ColourAt(app.TextSwatch()) == windowText; }))
        << std::hex << e2e::ColourAt(app.TextSwatch());
    e2e::ClickCentre(Swatch(app, 8), Button::Right);  // yellow background
    app.Type("x");
    const std::string saved = app.SaveBytes();
    EXPECT_EQ(saved.find("-1"), std::string::npos) << Visible(saved);
    EXPECT_EQ(saved.substr(0, 8), "\x03" "01,08x\x03") << Visible(saved);
}

TEST(MainWindowFiles, SaveAndLoadAFileNamedInAnotherScript) {
    wchar_t temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    // Cyrillic, which the Western ANSI code page cannot hold.
    const std::wstring path = std::wstring(temp) + L"\x0416-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(path.c_str());
    struct Removal {
        const std::wstring& path;
        ~Removal() { DeleteFileW(path.c_str()); }
    } removal{path};

    Vexil app;
    app.FileNew();
    app.Type("abc");
    app.Menu("fs");
    automation::AnswerFileDialog(app.WaitForDialog(), path);
    ASSERT_TRUE(WaitUntil([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }))
        << "File, Save wrote no file of that name";
    app.WaitIdle(automation::kDefaultTimeoutMs);

    app.FileNew();
    app.Menu("fl");
    automation::AnswerFileDialog(app.WaitForDialog(), path);
    EXPECT_TRUE(WaitUntil([&] { return app.Text() == "abc\r\n"; })) << "the editor shows \"" << app.Text() << "\"";
}
