// The class-library core against real windows: ownership, dispatch by message
// number, reflection of notifications, re-creation through the hooks, and
// the error box read back from the real message box.
#include "support/Automation.h"
#include "support/DialogAnswer.h"
#include "winlib/Controls.h"
#include "winlib/Exceptions.h"
#include "winlib/Forms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace winlib;

namespace {

// Records its destruction in a shared log.
class Tracked : public TComponent {
public:
    Tracked(TComponent* owner, std::string name, std::vector<std::string>& log) : TComponent(owner), log_(log)
    {
        SetName(std::move(name));
    }
    ~Tracked() override { log_.push_back(Name()); }

private:
    std::vector<std::string>& log_;
};

// A push button over the system class, reporting what is reflected to it.
class ReflectingButton : public TWinControl {
public:
    explicit ReflectingButton(TComponent* owner) : TWinControl(owner) { SetBounds(10, 10, 80, 24); }
    const char* ClassName() const override { return "TTestReflectingButton"; }
    int commands = 0;
    int notifications = 0;
    UINT lastNotifyCode = 0;

protected:
    void WndProc(TMessage& message) override
    {
        switch (message.Msg) {
        case CN_COMMAND: CNCommand(message); break;
        case CN_NOTIFY: CNNotify(message); break;
        default: TWinControl::WndProc(message); break;
        }
    }
    void CreateParams(TCreateParams& params) override
    {
        TWinControl::CreateParams(params);
        MakeSuperclass(params, "BUTTON");
        params.Style |= BS_PUSHBUTTON;
    }

private:
    void CNCommand(TMessage& message)
    {
        if (HIWORD(message.WParam) == BN_CLICKED)
            ++commands;
    }
    void CNNotify(TMessage& message)
    {
        ++notifications;
        lastNotifyCode = reinterpret_cast<NMHDR*>(message.LParam)->code;
        message.Result = 42;
    }
};

// Keeps a value that lives only in the window (a window property) across
// re-creation, through the two hooks.
class Remembering : public TCustomControl {
public:
    explicit Remembering(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 50, 50); }
    const char* ClassName() const override { return "TTestRemembering"; }
    void SetRemembered(int value) { SetPropA(Handle(), "Remembered", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(value))); }
    int Remembered() { return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(Handle(), "Remembered"))); }
    int creations = 0;
    int destructions = 0;

protected:
    void CreateWnd() override
    {
        TCustomControl::CreateWnd();
        ++creations;
        if (saved_ != 0)
            SetRemembered(saved_);
    }
    void DestroyWnd() override
    {
        ++destructions;
        saved_ = Remembered();
        RemovePropA(Handle(), "Remembered");
        TCustomControl::DestroyWnd();
    }

private:
    int saved_ = 0;
};

class Throwing : public TCustomControl {
public:
    explicit Throwing(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 10, 10); }
    const char* ClassName() const override { return "TTestThrowing"; }

protected:
    void WndProc(TMessage& message) override
    {
        if (message.Msg == WM_USER + 7)
            throw EInOutError(5);
        TCustomControl::WndProc(message);
    }
};

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application.Initialize();
        application.SetTitle("Framework Test");
        form = new TForm(&application);
        form->SetName("TestForm");
        form->SetClientSize(300, 200);
    }

    // Shows the error box for error in the way a failed handler does, and
    // returns what the real message box said.
    automation::MessageBoxContent ErrorBoxFor(const Exception& error)
    {
        automation::MessageBoxContent content;
        automation::DialogAnswer reader = automation::ReadAndCloseMessageBox(content);
        application.ShowException(error);
        EXPECT_EQ(reader.Error(), "");
        return content;
    }

    TApplication application;
    TForm* form = nullptr;
};

TEST_F(FrameworkTest, OwnerDestroysItsComponentsNewestFirstAndForgetsOnesDestroyedEarly)
{
    std::vector<std::string> log;
    {
        TComponent owner(nullptr);
        new Tracked(&owner, "first", log);
        auto* second = new Tracked(&owner, "second", log);
        new Tracked(&owner, "third", log);
        delete second;
        ASSERT_EQ(owner.ComponentCount(), 2u);
        EXPECT_EQ(owner.Component(0)->Name(), "first");
        EXPECT_EQ(owner.Component(1)->Name(), "third");
    }
    EXPECT_EQ(log, (std::vector<std::string>{"second", "third", "first"}));
}

TEST_F(FrameworkTest, AssigningUnrelatedObjectsNamesBothClasses)
{
    TFont font;
    TBrush brush;
    try {
        font.Assign(&brush);
        FAIL() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(), "Cannot assign a TBrush to a TFont");
    }
    try {
        font.Assign(nullptr);
        FAIL() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(), "Cannot assign a nil to a TFont");
    }
}

TEST_F(FrameworkTest, ChildWindowNeedsAParentAndIsMadeWithIt)
{
    auto* orphan = new ReflectingButton(form);
    orphan->SetName("Orphan");
    try {
        orphan->Handle();
        FAIL() << "no error";
    } catch (const EInvalidOperation& error) {
        EXPECT_EQ(error.Message(), "Control 'Orphan' has no parent window");
    }
    orphan->SetParent(form);
    HWND button = orphan->Handle();
    ASSERT_TRUE(IsWindow(button));
    EXPECT_EQ(GetParent(button), form->Handle());
    EXPECT_EQ(TWinControl::FromHandle(button), orphan);
    EXPECT_EQ(automation::ClassOf(button), "TTestReflectingButton");
}

TEST_F(FrameworkTest, NotificationsReachTheChildThatSentThem)
{
    auto* button = new ReflectingButton(form);
    button->SetParent(form);
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(button->commands, 1);

    NMHDR header{button->Handle(), static_cast<UINT_PTR>(GetDlgCtrlID(button->Handle())), 0x0702};
    const LRESULT result =
        SendMessageA(form->Handle(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(button->notifications, 1);
    EXPECT_EQ(button->lastNotifyCode, 0x0702u);
    EXPECT_EQ(result, 42);
}

TEST_F(FrameworkTest, DerivedHandlerReplacesTheBaseOneForItsMessageOnly)
{
    auto* button = new ReflectingButton(form);
    button->SetParent(form);
    // A message with no handler of its own goes to the system's procedure.
    SetWindowTextA(button->Handle(), "Go");
    EXPECT_EQ(button->Perform(WM_GETTEXTLENGTH), 2);
    EXPECT_EQ(button->Text(), "Go");
}

TEST_F(FrameworkTest, DeletedFormTakesItsWindowsAlongAndLeavesTheApplicationsBooks)
{
    auto* button = new ReflectingButton(form);
    button->SetParent(form);
    form->Show();
    HWND window = form->Handle();
    HWND child = button->Handle();
    ASSERT_EQ(application.ActiveFormHandle, window);

    delete form;
    form = nullptr;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(application.ActiveFormHandle, nullptr);
    EXPECT_EQ(application.ComponentCount(), 0u);
}

TEST_F(FrameworkTest, RecreationRunsTheHooksAndKeepsWhatTheySaved)
{
    auto* control = new Remembering(form);
    control->SetParent(form);
    control->SetRemembered(1234);
    HWND before = control->Handle();

    control->RecreateWnd();

    HWND after = control->Handle();
    EXPECT_NE(after, before);
    EXPECT_FALSE(IsWindow(before));
    EXPECT_EQ(control->destructions, 1);
    EXPECT_EQ(control->creations, 2);
    EXPECT_EQ(control->Remembered(), 1234);
    EXPECT_EQ(TWinControl::FromHandle(after), control);
}

TEST_F(FrameworkTest, RecreatingAParentRecreatesItsChildrenThroughTheirHooks)
{
    auto* panel = new Remembering(form);
    panel->SetParent(form);
    auto* child = new Remembering(form);
    child->SetParent(panel);
    child->SetRemembered(77);
    child->SetText("kept");

    panel->RecreateWnd();

    EXPECT_EQ(child->destructions, 1);
    EXPECT_TRUE(IsWindow(child->Handle()));
    EXPECT_EQ(GetParent(child->Handle()), panel->Handle());
    EXPECT_EQ(child->Remembered(), 77);
    EXPECT_EQ(child->Text(), "kept");
}

TEST_F(FrameworkTest, ClientAlignedChildrenShareTheClientArea)
{
    auto* top = new Remembering(form);
    top->SetAlign(alTop);
    top->SetHeight(40);
    top->SetParent(form);
    auto* right = new Remembering(form);
    right->SetAlign(alRight);
    right->SetWidth(60);
    right->SetParent(form);
    auto* rest = new Remembering(form);
    rest->SetAlign(alClient);
    rest->SetParent(form);
    form->Handle();

    RECT r;
    GetWindowRect(rest->Handle(), &r);
    MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right, 240);
    EXPECT_EQ(r.bottom, 200);
    EXPECT_EQ(right->Left(), 240);
    EXPECT_EQ(right->Height(), 160);

    form->SetClientSize(400, 300);
    EXPECT_EQ(rest->Width(), 340);
    EXPECT_EQ(rest->Height(), 260);
    EXPECT_EQ(top->Width(), 400);
}

TEST_F(FrameworkTest, SystemColoursResolveThroughTheColourTable)
{
    EXPECT_EQ(clWindowText, 0x80000008u);
    EXPECT_EQ(ColorToRGB(clWindowText), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(ColorToRGB(clWindow), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(ColorToRGB(0x00808040), 0x00808040u);
}

TEST_F(FrameworkTest, ErrorBoxAppendsAFullStopOnlyAfterCharactersAboveIt)
{
    const automation::MessageBoxContent missing = ErrorBoxFor(EInOutError(2));
    EXPECT_EQ(missing.caption, "Framework Test");
    EXPECT_EQ(missing.text, "File not found.");

    EXPECT_EQ(ErrorBoxFor(Exception("Done.")).text, "Done.");
    EXPECT_EQ(ErrorBoxFor(Exception("(see above)")).text, "(see above)");
    EXPECT_EQ(ErrorBoxFor(Exception("trailing blank ")).text, "trailing blank ");
    EXPECT_EQ(ErrorBoxFor(Exception("I/O error 1117")).text, "I/O error 1117.");
    EXPECT_EQ(ErrorBoxFor(Exception("a/")).text, "a/.");
}

TEST_F(FrameworkTest, ErrorBoxRuleComparesCharacterCodesUnsigned)
{
    EXPECT_EQ(ErrorBoxText(""), "");
    EXPECT_EQ(ErrorBoxText("-"), "-");
    EXPECT_EQ(ErrorBoxText("\xE9"), "\xE9.");
}

TEST_F(FrameworkTest, ExceptionLeavingAHandlerIsShownAndTheWindowGoesOn)
{
    auto* control = new Throwing(form);
    control->SetParent(form);
    HWND window = control->Handle();
    form->Show();
    SetFocus(window);
    ASSERT_EQ(GetFocus(), window);
    automation::MessageBoxContent content;
    automation::DialogAnswer reader = automation::ReadAndCloseMessageBox(content);
    SendMessageA(window, WM_USER + 7, 0, 0);
    EXPECT_EQ(reader.Error(), "");
    EXPECT_EQ(content.caption, "Framework Test");
    EXPECT_EQ(content.text, "File access denied.");
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 0);
    // Keys go where they went before the box.
    EXPECT_EQ(GetActiveWindow(), form->Handle());
    EXPECT_EQ(GetFocus(), window);
}

TEST_F(FrameworkTest, SilentAbortShowsNoBox)
{
    bool shown = false;
    // A box that wrongly shows is closed again, so that the test can fail.
    automation::DialogAnswer watcher(
        [&](HWND box) {
            shown = true;
            automation::CloseDialog(box);
        },
        500);
    try {
        throw EAbort();
    } catch (...) {
        application.HandleException(nullptr);
    }
    watcher.Error();  // a time-out: no box came
    EXPECT_FALSE(shown);
}

TEST_F(FrameworkTest, ForeignExceptionNamesItsClassAndModule)
{
    const std::string text = ForeignExceptionText("std::runtime_error", nullptr, "boom");
    EXPECT_EQ(text.rfind("Exception std::runtime_error in module ", 0), 0u) << text;
    EXPECT_NE(text.find(".exe at "), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 5), "\nboom");
}

}  // namespace
