// The keyboard as a person uses it: real key presses through the focus
// (input to the foreground window), never characters posted to the editor,
// so that a key the window loses or misroutes shows.
#include "e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using automation::PressKey;
using automation::TypeText;
using automation::WaitUntil;
using e2e::Vexil;

namespace {

// Class and caption of a window, for failure messages.
std::string Describe(HWND window) {
    if (window == nullptr) {
        return "no window";
    }
    return automation::ClassOf(window) + " \"" + automation::CaptionOf(window) + "\"";
}

// The focus after a key, once the program has handled it.
HWND FocusAfter(Vexil& app, WORD key, unsigned modifiers = automation::kNoModifier) {
    const HWND before = app.Focus();
    PressKey(key, modifiers);
    WaitUntil([&] { return app.Focus() != before; }, 300);
    app.Sync();
    return app.Focus();
}

// Types the keys with real key presses after a step and expects the editor
// to show the text then.
void ExpectTypedIntoEditor(Vexil& app, const std::string& step, const std::string& keys,
                           const std::string& text) {
    TypeText(keys);
    EXPECT_TRUE(WaitUntil([&] { return app.Text() == text; }, 3000))
        << "typed \"" << keys << "\" after " << step << "; the editor shows \"" << app.Text()
        << "\"; the focus is on " << Describe(app.Focus());
}

// Presses Tab until the focus is on the window; false when it never gets there.
bool TabTo(Vexil& app, HWND window) {
    for (int i = 0; i < 10 && app.Focus() != window; ++i) {
        FocusAfter(app, VK_TAB);
    }
    return app.Focus() == window;
}

HWND Control(Vexil& app, const char* className, const char* caption) {
    return e2e::ChildWithCaption(app.PaletteBar(), className, caption);
}

// A window of the test's own, standing for another program the user turns to.
class OtherProgram {
public:
    OtherProgram()
        : window_(CreateWindowExA(0, "STATIC", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 500, 200,
                                  100, nullptr, nullptr, nullptr, nullptr)) {
        if (window_ == nullptr) {
            throw automation::AutomationError("no window for another program");
        }
    }
    ~OtherProgram() { DestroyWindow(window_); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;
    HWND Window() const { return window_; }

private:
    HWND window_;
};

}  // namespace

TEST(Keyboard, EscapeInTheEditorKeepsTheProgramAndTheText) {
    Vexil app;
    app.FileNew();
    ExpectTypedIntoEditor(app, "File, New", "abc", "abc");
    PressKey(VK_ESCAPE);
    app.Sync();
    Sleep(300);  // a close posted by the control would have run by now
    ASSERT_TRUE(app.Process().IsRunning()) << "Esc ended the program";
    EXPECT_EQ(app.Text(), "abc");
    ExpectTypedIntoEditor(app, "Esc", "\nd", "abc\r\nd");
}

// After each box, dialog or other window, the next keys go where they went
// before it: into the editor, without a click.
TEST(Keyboard, TypingGoesOnInTheEditorAfterEachBoxAndDialog) {
    Vexil app;
    OtherProgram other;
    const struct Step {
        const char* name;
        std::function<void()> run;
    } steps[] = {
        {"About, Enter",
         [&] {
             app.Menu("a");
             automation::WaitForWindow(automation::WindowQuery().WithCaption("About").InProcess(app.Process().Id()));
             PressKey(VK_RETURN);
         }},
        {"File, Save confirmed", [&] { app.SaveBytes(); }},
        {"File, Save cancelled", [&] {
             app.Menu("fs");
             automation::CloseDialog(app.WaitForDialog(), IDCANCEL);
         }},
        {"File, Load cancelled", [&] {
             app.Menu("fl");
             automation::CloseDialog(app.WaitForDialog(), IDCANCEL);
         }},
        {"Help, then its window closed", [&] {
             app.Menu("h");
             HWND help = automation::WaitForWindow(
                 automation::WindowQuery().WithCaption("Vexil Help").InProcess(app.Process().Id()));
             PostMessageA(help, WM_CLOSE, 0, 0);
             automation::WaitForWindowHidden(help);
         }},
        {"another program and back by the main window", [&] {
             automation::BringToFront(other.Window());
             automation::BringToFront(app.Main());
         }},
        {"another program and back by the taskbar button", [&] {
             automation::BringToFront(other.Window());
             // What a press on the button does: the taskbar's window is the
             // application's, which the main window is owned by.
             SetForegroundWindow(GetWindow(app.Main(), GW_OWNER));
         }},
    };
    app.FileNew();
    std::string text;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.run();
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == app.Main() && IsWindowEnabled(app.Main()); }))
            << "the main window is not in front again";
        text += "x";
        ExpectTypedIntoEditor(app, step.name, "x", text);
        if (app.Text() != text) {
            return;
        }
    }
}

// File, Save and copying leave the selection, the caret and the view of a
// document longer than the window as the user had them; Cut takes the range.
TEST(Keyboard, SaveAndCopyKeepTheSelectionTheCaretAndTheView) {
    Vexil app;
    const auto save = [&] { app.SaveBytes(); };
    const auto ctrl = [](WORD key) { return [key] { PressKey(key, automation::kControl); }; };
    const auto firstLine = [&] { return e2e::Send(app.Editor(), EM_GETFIRSTVISIBLELINE); };
    // Left presses, then Shift+Left presses; the view scrolled to the top, away from the caret.
    const struct {
        const char* step;
        int lefts, selected;
        bool top;
        std::function<void()> run;
        const char* last;
    } cases[] = {
        {"File, Save, the view at the top", 0, 0, true, save, "one two threex"},
        {"File, Save, the caret inside", 2, 0, false, save, "one two thrxee"},
        {"Ctrl+C", 6, 3, false, ctrl('C'), "one x three"},
        {"Edit, Copy", 6, 3, false, [&] { app.Menu("ec"); }, "one x three"},
        {"Ctrl+X", 6, 3, false, ctrl('X'), "one x three"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        app.FileNew();
        e2e::PutClipboardText("");
        app.Type(std::string(60, '\n') + "one two three");  // 73 positions
        const std::string before = app.Text();
        for (int i = 0; i < c.lefts + c.selected; ++i) {
            PressKey(VK_LEFT, i < c.lefts ? automation::kNoModifier : automation::kShift);
        }
        const int end = 73 - c.lefts;
        ASSERT_TRUE(WaitUntil([&] { return app.Selection() == std::make_pair(end - c.selected, end); }));
        ASSERT_GT(firstLine(), 0) << "the document fits in the window";
        if (c.top) {
            e2e::Send(app.Editor(), WM_VSCROLL, SB_TOP);
        }
        const LRESULT shown = firstLine();
        c.run();
        EXPECT_TRUE(c.selected == 0 || WaitUntil([] { return e2e::ClipboardText() == "two"; }));  // Copy is done
        EXPECT_EQ(firstLine(), shown) << "the view moved";
        ExpectTypedIntoEditor(app, c.step, "x", before.substr(0, before.size() - 13) + c.last);
    }
}

TEST(Keyboard, TabAwayAndBackKeepsTheSelectionAndTheText) {
    Vexil app;
    app.FileNew();
    ExpectTypedIntoEditor(app, "File, New", "ab", "ab");
    PressKey(VK_LEFT, automation::kShift);
    ASSERT_TRUE(WaitUntil([&] { return app.Selection() == std::make_pair(1, 2); }));
    EXPECT_NE(FocusAfter(app, VK_TAB), app.Editor()) << "Tab stayed in the editor";
    ASSERT_EQ(FocusAfter(app, VK_TAB, automation::kShift), app.Editor());
    EXPECT_EQ(app.Selection(), std::make_pair(1, 2)) << "coming back changed the selection";
    ExpectTypedIntoEditor(app, "Tab, Shift+Tab", "c", "ac");
}

// Tab and Shift+Tab walk the form's tab order, meeting the radio group once
// at its checked button, without changing the mode; the arrow keys move
// within the radio group and never into a swatch, the label or a panel.
// The focus starts on the first control that can take it.
TEST(Keyboard, TabWalksTheFormBothWaysAndArrowsStayInTheirGroup) {
    Vexil app;
    HWND font = Control(app, "TButton", "Font");
    // At start-up the editor is disabled: the first stop after it has the focus.
    EXPECT_TRUE(WaitUntil([&] { return app.Focus() == font; })) << "the focus is on " << Describe(app.Focus());
    app.FileNew();
    ASSERT_EQ(app.Focus(), app.Editor());
    HWND bold = Control(app, "TCheckBox", "Bold");
    HWND underline = Control(app, "TCheckBox", "Underline");
    HWND cutPaste = Control(app, "TRadioButton", "Cut/Paste Mode");
    HWND coloring = Control(app, "TRadioButton", "Coloring Mode");
    HWND filter = Control(app, "TCheckBox", "Junk filter");
    const std::vector<HWND> order = {font, bold, underline, coloring, filter, app.List(), app.Editor()};
    for (const bool backwards : {false, true}) {
        SCOPED_TRACE(backwards ? "Shift+Tab" : "Tab");
        for (size_t i = 0; i < order.size(); ++i) {
            const HWND expected = backwards ? (i + 1 < order.size() ? order[order.size() - 2 - i] : app.Editor())
                                            : order[i];
            const HWND focus = FocusAfter(app, VK_TAB, backwards ? automation::kShift : automation::kNoModifier);
            ASSERT_EQ(focus, expected) << "step " << i + 1 << ": " << Describe(focus) << ", not " << Describe(expected);
        }
    }
    EXPECT_EQ(e2e::Send(coloring, BM_GETCHECK), BST_CHECKED) << "tabbing changed the editing mode";
    EXPECT_EQ(e2e::Send(cutPaste, BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(app.Text(), "") << "a Tab went into the text";

    // Every arrow from every other stop in the palette bar.
    for (const HWND stop : {font, bold, underline, filter}) {
        for (const WORD arrow : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN}) {
            ASSERT_TRUE(TabTo(app, stop)) << "Tab never reaches " << Describe(stop) << "; the focus is on "
                                          << Describe(app.Focus());
            const HWND focus = FocusAfter(app, arrow);
            const std::string kind = automation::ClassOf(focus);
            EXPECT_TRUE(GetParent(focus) == app.PaletteBar() &&
                        (kind == "TButton" || kind == "TCheckBox" || kind == "TRadioButton"))
                << "arrow " << arrow << " from " << Describe(stop) << " went to " << Describe(focus);
            EXPECT_EQ(e2e::Send(coloring, BM_GETCHECK), BST_CHECKED)
                << "arrow " << arrow << " from " << Describe(stop) << " changed the mode";
        }
    }
    // In the group the arrows move and check, as in any dialog, and the
    // checked button becomes the group's stop.
    ASSERT_TRUE(TabTo(app, coloring));
    EXPECT_EQ(e2e::Send(coloring, BM_GETCHECK), BST_CHECKED);
    ASSERT_EQ(FocusAfter(app, VK_RIGHT), cutPaste);
    EXPECT_EQ(e2e::Send(cutPaste, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(e2e::Send(coloring, BM_GETCHECK), BST_UNCHECKED);
    ASSERT_EQ(FocusAfter(app, VK_TAB), filter);
    EXPECT_EQ(FocusAfter(app, VK_TAB, automation::kShift), cutPaste);
    EXPECT_EQ(FocusAfter(app, VK_LEFT), coloring);
    EXPECT_EQ(e2e::Send(coloring, BM_GETCHECK), BST_CHECKED);
}

// The caption's minimise button sends the program behind its taskbar button
// (the application's window), leaving no window of its own on the desktop;
// restoring it from there brings the main window back with the focus where
// it was.
TEST(Keyboard, MinimiseAndRestoreGoThroughTheTaskbarWindowAndKeepTheFocus) {
    Vexil app;
    app.FileNew();
    ExpectTypedIntoEditor(app, "File, New", "ab", "ab");
    HWND taskbarWindow = GetWindow(app.Main(), GW_OWNER);
    ASSERT_NE(taskbarWindow, nullptr);
    PostMessageA(app.Main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(taskbarWindow) != FALSE; })) << "the taskbar window stays up";
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(app.Main()); })) << "the minimised main window still shows";

    // What a press on the taskbar button does.
    PostMessageA(taskbarWindow, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetForegroundWindow(taskbarWindow);
    EXPECT_TRUE(WaitUntil([&] {
        return IsWindowVisible(app.Main()) && !IsIconic(app.Main()) && !IsIconic(taskbarWindow) &&
               GetForegroundWindow() == app.Main();
    })) << "the main window did not come back in front";
    ExpectTypedIntoEditor(app, "restore", "c", "abc");
}
