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

HWND FocusOf(Vexil& app) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(app.Main(), nullptr), &info) ? info.hwndFocus : nullptr;
}

// Class and caption of a window, for failure messages.
std::string Describe(HWND window) {
    if (window == nullptr) {
        return "no window";
    }
    return automation::ClassOf(window) + " \"" + automation::CaptionOf(window) + "\"";
}

// The focus after a key, once the program has handled it.
HWND FocusAfter(Vexil& app, WORD key, unsigned modifiers = automation::kNoModifier) {
    const HWND before = FocusOf(app);
    PressKey(key, modifiers);
    WaitUntil([&] { return FocusOf(app) != before; }, 300);
    app.Sync();
    return FocusOf(app);
}

// Types the keys with real key presses after a step and expects the editor
// to show the text then.
void ExpectTypedIntoEditor(Vexil& app, const std::string& step, const std::string& keys,
                           const std::string& text) {
    TypeText(keys);
    EXPECT_TRUE(WaitUntil([&] { return app.Text() == text; }, 3000))
        << "typed \"" << keys << "\" after " << step << "; the editor shows \"" << app.Text()
        << "\"; the focus is on " << Describe(FocusOf(app));
}

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
