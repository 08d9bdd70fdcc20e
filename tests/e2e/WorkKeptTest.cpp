// Work is never lost: every road that drops the document asks first when it
// holds unsaved changes, each answer does what it says, and Undo and Redo
// come from the keys and the menu as a person uses them.
#include "e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

using automation::PressKey;
using automation::WaitUntil;
using e2e::Vexil;

namespace {

enum class Road { New, Load, Exit, CloseBox, AltF4, SystemMenu, EndSession };

const std::vector<std::pair<Road, const char*>> kRoads = {
    {Road::New, "File, New"},           {Road::Load, "File, Load"},    {Road::Exit, "File, Exit"},
    {Road::CloseBox, "the close box"},  {Road::AltF4, "Alt+F4"},       {Road::SystemMenu, "the system menu's Close"},
    {Road::EndSession, "Windows ending the session"},
};

// Takes a road; Windows' question whether the session may end is sent from
// a thread of its own, which holds the program's answer once it has one.
class Taking {
public:
    Taking(Vexil& app, Road road) : road_(road) {
        switch (road) {
        case Road::New: app.Menu("fn"); break;
        case Road::Load: app.Menu("fl"); break;
        case Road::Exit: app.Menu("fe"); break;
        case Road::CloseBox: PostMessageA(app.Main(), WM_SYSCOMMAND, SC_CLOSE, 0); break;
        case Road::AltF4:
            automation::BringToFront(app.Main());
            PressKey(VK_F4, automation::kAlt);
            break;
        case Road::SystemMenu:
            automation::BringToFront(app.Main());
            PressKey(VK_SPACE, automation::kAlt);
            Sleep(300);
            PressKey('C');
            break;
        case Road::EndSession:
            query_ = std::thread([this, main = app.Main()] {
                DWORD_PTR result = 0;
                if (SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, automation::kDialogTimeoutMs,
                                        &result)) {
                    answer_ = static_cast<int>(result);
                }
            });
            break;
        }
    }
    ~Taking() {
        if (query_.joinable()) query_.join();
    }
    // What the program told Windows: 1 the session may end, 0 not; -1 no answer.
    int SessionAnswer() {
        if (query_.joinable()) query_.join();
        return answer_;
    }

private:
    Road road_;
    std::thread query_;
    int answer_ = -1;
};

// The program's question, read; null when none came.
HWND Question(Vexil& app, const std::string& name) {
    HWND box = app.SaveQuestion(automation::kDialogTimeoutMs);
    if (box) {
        const automation::MessageBoxContent content = automation::ReadMessageBox(box);
        EXPECT_EQ(content.caption, "Vexil Version 2.0");
        EXPECT_EQ(content.text, "Do you want to save changes to " + name + "?");
        HWND yes = GetDlgItem(box, IDYES);
        EXPECT_TRUE(yes && GetDlgItem(box, IDNO) && GetDlgItem(box, IDCANCEL)) << "Yes, No and Cancel";
        EXPECT_EQ(GetWindowLongA(yes, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON) << "Yes is the default";
    }
    return box;
}

void StartModified(Vexil& app) {
    app.FileNew();
    app.Type("work");
}

}  // namespace

TEST(SaveQuestion, EveryRoadAsksAndCancelEscAndTheCloseButtonKeepTheWork) {
    Vexil app;
    StartModified(app);
    int n = 0;
    for (const auto& [road, name] : kRoads) {
        SCOPED_TRACE(name);
        Taking taking(app, road);
        HWND box = Question(app, "Untitled");
        ASSERT_NE(box, nullptr) << "no question";
        switch (n++ % 3) {
        case 0: automation::CloseDialog(box, IDCANCEL); break;
        case 1:
            automation::BringToFront(box);
            PressKey(VK_ESCAPE);
            automation::WaitForWindowHidden(box, automation::kDialogTimeoutMs);
            break;
        default:
            PostMessageA(box, WM_CLOSE, 0, 0);
            automation::WaitForWindowHidden(box, automation::kDialogTimeoutMs);
            break;
        }
        if (road == Road::EndSession) {
            EXPECT_EQ(taking.SessionAnswer(), 0) << "the session waits";
        }
        app.Sync();
        EXPECT_TRUE(app.Process().IsRunning());
        EXPECT_EQ(app.Text(), "work");
        EXPECT_TRUE(WaitUntil([&] { return app.Focus() == app.Editor(); })) << "the focus is back in the editor";
    }
}

TEST(SaveQuestion, NoGoesOnAlongEveryRoadAndNothingIsAskedOfAnUnchangedDocument) {
    for (const bool modified : {true, false}) {
        for (const auto& [road, name] : kRoads) {
            SCOPED_TRACE(std::string(name) + (modified ? ", modified" : ", unchanged"));
            Vexil app;
            app.FileNew();
            if (modified) {
                app.Type("work");
            }
            Taking taking(app, road);
            if (modified) {
                HWND box = Question(app, "Untitled");
                ASSERT_NE(box, nullptr);
                automation::CloseDialog(box, IDNO);
            }
            switch (road) {
            case Road::New:
                EXPECT_TRUE(WaitUntil([&] { return app.Text().empty(); }));
                break;
            case Road::Load: {
                HWND open = app.WaitForDialog();
                EXPECT_EQ(automation::FindDescendant(open, automation::kMessageBoxTextId), nullptr);
                automation::CloseDialog(open, IDCANCEL);
                break;
            }
            case Road::EndSession:
                EXPECT_EQ(taking.SessionAnswer(), 1);
                break;
            default:
                EXPECT_TRUE(app.Process().WaitForExit(automation::kDialogTimeoutMs));
                EXPECT_EQ(app.Process().ExitCode(), 0u);
                break;
            }
            if (!modified && app.Process().IsRunning()) {
                app.Sync();
                EXPECT_EQ(app.SaveQuestion(0), nullptr) << "a question about nothing";
            }
        }
    }
}

TEST(SaveQuestion, YesSavesFirstAndGoesOnOnlyWhenTheFileWasWritten) {
    Vexil app;
    StartModified(app);
    const std::string path = app.NewFile("yes");
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    app.Menu("fn");
    automation::CloseDialog(Question(app, "Untitled"), IDYES);
    automation::AnswerFileDialog(app.WaitForDialog(), path);
    EXPECT_TRUE(WaitUntil([&] { return app.Text().empty(); })) << "File, New went on";
    EXPECT_EQ(e2e::ReadFileBytes(path), "work");

    // The document now has the file's name, and the Save dialog starts there.
    app.Load(path, "work");
    app.Type("more");
    app.Menu("fe");
    automation::CloseDialog(Question(app, name), IDYES);
    HWND save = app.WaitForDialog();
    HWND nameBox = automation::FindDescendantByClass(automation::FindDescendant(save, automation::kFileNameComboId),
                                                     "Edit");
    ASSERT_NE(nameBox, nullptr);
    EXPECT_EQ(automation::TextOf(nameBox), name);
    automation::CloseDialog(save, IDCANCEL);
    app.Sync();
    EXPECT_TRUE(app.Process().IsRunning()) << "a cancelled Save cancels the exit";

    app.Menu("fe");
    automation::CloseDialog(Question(app, name), IDYES);
    automation::AnswerFileDialog(app.WaitForDialog(), path + "-missing\\in.txt");
    EXPECT_EQ(app.TakeMessageBox().text, "Invalid filename.");
    app.Sync();
    EXPECT_TRUE(app.Process().IsRunning()) << "a failed Save cancels the exit";

    // The system asks before the Save dialog replaces a file; No keeps it.
    app.Menu("fs");
    HWND again = app.WaitForDialog();
    EXPECT_THROW(automation::AnswerFileDialog(again, path, 2000), automation::AutomationError);
    HWND replace = automation::FindTopLevelWindow(automation::MessageBoxQuery().OwnedBy(again));
    ASSERT_NE(replace, nullptr) << "no question before the file is replaced";
    automation::CloseDialog(replace, IDNO);
    automation::CloseDialog(again, IDCANCEL);
    EXPECT_EQ(e2e::ReadFileBytes(path), "work");

    app.Menu("fe");
    automation::CloseDialog(Question(app, name), IDYES);
    e2e::AnswerSaveDialog(app.WaitForDialog(), path);
    EXPECT_TRUE(app.Process().WaitForExit(automation::kDialogTimeoutMs));
    EXPECT_EQ(e2e::ReadFileBytes(path), "work\r\nmore");
}

TEST(UndoKeys, UndoAndRedoFromTheKeysAndTheMenuAndBackToTheSavedStateNothingIsAsked) {
    Vexil app;
    app.FileNew();
    automation::BringToFront(app.Main());
    automation::TypeText("ab cd");
    ASSERT_TRUE(WaitUntil([&] { return app.Text() == "ab cd"; })) << app.Text();
    const std::string saved = app.SaveBytes();
    automation::BringToFront(app.Main());
    automation::TypeText(" ef");
    ASSERT_TRUE(WaitUntil([&] { return app.Text() == "ab cd ef"; })) << app.Text();
    // "u" is Cut's mnemonic too: Undo, the first item, is reached from the
    // last, whatever the menu highlights when it opens.
    const auto editUndo = [&] {
        app.Menu("e");
        PressKey(VK_UP);
        PressKey(VK_DOWN);
        PressKey(VK_RETURN);
    };
    struct Step {
        const char* keys;
        std::function<void()> press;
        std::string text;
    };
    const std::vector<Step> steps = {
        {"Ctrl+Z", [] { PressKey('Z', automation::kControl); }, "ab cd "},
        {"Alt+Backspace", [] { PressKey(VK_BACK, automation::kAlt); }, "ab cd"},
        {"Ctrl+Z", [] { PressKey('Z', automation::kControl); }, "ab "},
        {"Ctrl+Y", [] { PressKey('Y', automation::kControl); }, "ab cd"},
        {"Ctrl+Shift+Z", [] { PressKey('Z', automation::kControl | automation::kShift); }, "ab cd "},
        {"Edit, Undo", editUndo, "ab cd"},
        {"Edit, Redo", [&] { app.Menu("er"); }, "ab cd "},
        {"Edit, Undo", editUndo, "ab cd"},
    };
    for (const Step& step : steps) {
        automation::BringToFront(app.Main());
        step.press();
        EXPECT_TRUE(WaitUntil([&] { return app.Text() == step.text; })) << step.keys << ": " << app.Text();
    }
    EXPECT_EQ(app.SaveBytes(), saved);
    // Back at the state saved: closing asks nothing.
    automation::BringToFront(app.Main());
    automation::TypeText("x");
    automation::BringToFront(app.Main());
    PressKey('Z', automation::kControl);
    EXPECT_TRUE(WaitUntil([&] { return app.Text() == "ab cd"; })) << app.Text();
    app.Menu("fe");
    EXPECT_TRUE(app.Process().WaitForExit(automation::kDialogTimeoutMs)) << "a question came";
}
