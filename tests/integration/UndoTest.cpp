// Undo and Redo of every kind of change, on the main window's engine and its
// real rich edit window, judged by the bytes that File, Save writes.
#include "Unit1.h"

#include "winlib/Clipboard.h"
#include "winlib/Forms.h"

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

using namespace winlib;

namespace {

const std::string Base = "\x03" "04,08red\x03" "12,01blue \x02" "bold\x02\r\nsecond \x1F" "under\x1F caf\xE9\r\n";
// The same in UTF-8, with blocks and shades.
const std::string UnicodeBase = "\x03" "04,08r\xE2\x96\x88" "d\x03" "12,01bl\xE2\x96\x91" "e \x02" "bold\x02\r\n"
                                "second \x1F" "un\xE2\x96\x80" "er\x1F line\r\n";

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application.Initialize();
        form = new TForm1(&application);
        form->DoCreate();
        form->Show();
        char temp[MAX_PATH] = {};
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        const std::string stem = std::string(temp) + "vexil-undo-" + std::to_string(GetCurrentProcessId());
        base = stem + "-base.txt";
        path = stem + ".txt";
        std::ofstream(base, std::ios::binary) << Base;
        form->NewDocument();
        form->loadfile(base);
    }
    void TearDown() override
    {
        DeleteFileA(base.c_str());
        DeleteFileA(path.c_str());
    }

    std::string Saved()
    {
        form->Savefile(path, 0, form->WholeLength());
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    HWND Editor() { return form->RichEdit1->WindowHandle(); }
    void Select(int first, int last) { form->RichEdit1->SelectRange(first, last); }
    void Key(UINT message, WPARAM key) { SendMessageA(Editor(), message, key, 1); }
    void Press(int swatch, TMouseButton button) { form->Shape1MouseDown(form->Shapes.at(swatch), button, 0, 0, 0); }
    void MouseUp() { form->RichEdit1MouseUp(form->RichEdit1, mbLeft, 0, 0, 0); }

    TApplication application;
    TForm1* form = nullptr;
    std::string base, path;
};

}  // namespace

TEST_F(UndoTest, EveryChangeUndoesAndRedoesToTheBytesThatSaveWrites)
{
    struct Case {
        const char* name;
        std::function<void()> change;
    };
    const std::vector<Case> cases = {
        {"type", [&] { Select(3, 3); Key(WM_CHAR, 'x'); }},
        {"type over a selection", [&] { Select(2, 5); Key(WM_CHAR, 'y'); }},
        {"Delete", [&] { Select(1, 1); Key(WM_KEYDOWN, VK_DELETE); }},
        {"Backspace over a line break", [&] { Select(13, 13); Key(WM_KEYDOWN, VK_BACK); }},
        {"Enter", [&] { Select(6, 6); Key(WM_KEYDOWN, VK_RETURN); }},
        {"paint the text colour", [&] { Select(1, 6); Press(4, mbLeft); }},
        {"paint the background", [&] { Select(2, 20); Press(8, mbRight); }},
        {"bold", [&] { form->bold->SetChecked(true); Select(0, 4); MouseUp(); }},
        {"underline", [&] { form->underline->SetChecked(true); Select(5, 9); MouseUp(); }},
        {"paste", [&] {
             TClipboard(form->Handle()).SetText("\x03" "09,02pasted\r\nmore");
             Select(3, 5);
             form->Paste1Click(nullptr);
         }},
        {"paste of a character no byte holds", [&] {
             TClipboard(form->Handle()).SetText("?", L"\u2588");
             Select(1, 1);
             form->Paste1Click(nullptr);
         }},
        {"cut", [&] { Select(2, 21); form->Cut1Click(nullptr); }},
        {"pick", [&] { Select(4, 7); form->ListBox1->SetItemIndex(3); form->ListBox1Click(nullptr); }},
    };
    for (const bool unicode : {false, true})
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (unicode ? ", UTF-8" : ""));
        std::ofstream(base, std::ios::binary) << (unicode ? UnicodeBase : Base);
        form->NewDocument();
        form->loadfile(base);
        form->bold->SetChecked(false);
        form->underline->SetChecked(false);
        const std::string before = Saved();
        EXPECT_FALSE(form->DocumentModified());
        c.change();
        const std::string after = Saved();
        ASSERT_NE(after, before) << "the change changed nothing";
        EXPECT_TRUE(form->DocumentModified());
        form->Undo1Click(nullptr);
        EXPECT_EQ(Saved(), before);
        EXPECT_FALSE(form->DocumentModified()) << "back at the state loaded";
        form->Redo1Click(nullptr);
        EXPECT_EQ(Saved(), after);
        EXPECT_TRUE(form->DocumentModified());
    }
}

TEST_F(UndoTest, AHundredStepsUndoneInTurnGiveBackTheFirstDocument)
{
    const std::string first = Saved();
    const int length = form->RichEdit1->TextLength();
    std::vector<std::string> states{first};
    for (int i = 0; i < 100; ++i) {
        const int at = (i * 7) % length;
        if (i % 3 == 0) {
            Select(at, at);
            Key(WM_CHAR, static_cast<WPARAM>('a' + i % 26));
        } else if (i % 3 == 1) {
            Select(at, at + 3);
            Press(i % 16, i % 2 ? mbLeft : mbRight);
        } else {
            Select(at, at + 1);
            form->ListBox1->SetItemIndex(i % 20);
            form->ListBox1Click(nullptr);
        }
        states.push_back(Saved());
    }
    for (int i = 100; i > 0; --i) {
        form->Edit1Click(nullptr);
        ASSERT_TRUE(form->Undo1->Enabled()) << "step " << i;
        form->Undo1Click(nullptr);
        if (i % 10 == 1) {
            ASSERT_EQ(Saved(), states[static_cast<std::size_t>(i - 1)]) << "after undoing step " << i;
        }
    }
    EXPECT_EQ(Saved(), first);
    form->Edit1Click(nullptr);
    EXPECT_FALSE(form->Undo1->Enabled());
    EXPECT_TRUE(form->Redo1->Enabled());
}
