// Copy, Cut and Paste of the main window against the real clipboard, the real
// transfer file and the real rich edit window: through the handlers, through
// key-downs sent to the editor with the modifier keys held, and through the
// Edit menu's opening.
#include "Unit1.h"

#include "support/Automation.h"
#include "support/DialogAnswer.h"
#include "support/DialogHost.h"
#include "winlib/Clipboard.h"
#include "winlib/Exceptions.h"
#include "winlib/Forms.h"

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <array>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

using codedtext::CharStyle;

namespace {

std::string ReadBytes(const std::string& path) { return automation::ReadWholeFile(path); }

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

// The clipboard held open by the test itself, for the application's window:
// with no window the system refuses what is put on it after emptying it.
class OpenClipboardScope {
public:
    OpenClipboardScope()
    {
        HWND owner = winlib::Application->Handle();
        if (!automation::WaitUntil([owner] { return OpenClipboard(owner) != FALSE; }, 2000))
            throw std::runtime_error("the clipboard stays busy");
    }
    ~OpenClipboardScope() { CloseClipboard(); }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
};

void PutText(const std::string& text)
{
    OpenClipboardScope open;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    ASSERT_NE(block, nullptr);
    char* memory = static_cast<char*>(GlobalLock(block));
    std::copy(text.begin(), text.end(), memory);
    memory[text.size()] = '\0';
    GlobalUnlock(block);
    ASSERT_NE(SetClipboardData(CF_TEXT, block), nullptr);
}

// What a Unicode program puts: CF_UNICODETEXT alone (the system makes
// CF_TEXT of it with best-fit bytes).
void PutUnicodeText(const std::wstring& text)
{
    OpenClipboardScope open;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    ASSERT_NE(block, nullptr);
    auto* memory = static_cast<wchar_t*>(GlobalLock(block));
    std::copy(text.begin(), text.end(), memory);
    memory[text.size()] = L'\0';
    GlobalUnlock(block);
    ASSERT_NE(SetClipboardData(CF_UNICODETEXT, block), nullptr);
}

void PutBitmapOnly()
{
    OpenClipboardScope open;
    EmptyClipboard();
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(SetClipboardData(CF_BITMAP, bitmap), nullptr);
}

// The clipboard's text (CF_TEXT) or Unicode text (CF_UNICODETEXT), up to
// its terminating zero.
template <class Char>
std::basic_string<Char> ClipboardData(UINT format)
{
    OpenClipboardScope open;
    HANDLE data = GetClipboardData(format);
    if (data == nullptr)
        throw std::runtime_error("no such text on the clipboard");
    const auto* text = static_cast<const Char*>(GlobalLock(data));
    const std::basic_string_view<Char> all(text, GlobalSize(data) / sizeof(Char));
    std::basic_string<Char> result(all.substr(0, all.find(Char{})));
    GlobalUnlock(data);
    return result;
}
std::string ClipboardText() { return ClipboardData<char>(CF_TEXT); }
std::wstring ClipboardUnicodeText() { return ClipboardData<wchar_t>(CF_UNICODETEXT); }

// Where two long texts part, or npos when they are equal.
std::size_t FirstDifference(const std::string& a, const std::string& b)
{
    const std::size_t common = (std::min)(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i)
        if (a[i] != b[i])
            return i;
    return a.size() == b.size() ? std::string::npos : common;
}

bool ClipboardHasRichText() { return IsClipboardFormatAvailable(RegisterClipboardFormatA("Rich Text Format")) != FALSE; }

// Holds the given keys down in this thread's keyboard state, as GetKeyState
// sees it, and gives the state back afterwards.
class HeldKeys {
public:
    explicit HeldKeys(const std::vector<int>& keys)
    {
        GetKeyboardState(saved_.data());
        std::array<BYTE, 256> state = saved_;
        for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LSHIFT, VK_LCONTROL, VK_LMENU, VK_RMENU})
            state[key] = 0;
        for (int key : keys)
            state[key] = 0x80;
        SetKeyboardState(state.data());
    }
    ~HeldKeys() { SetKeyboardState(saved_.data()); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    std::array<BYTE, 256> saved_{};
};

// Makes the transfer file writable again, whatever a test left of it.
class TransferFileAttributes {
public:
    ~TransferFileAttributes() { SetFileAttributesA(TransferFile, FILE_ATTRIBUTE_NORMAL); }
    void MakeReadOnly() { ASSERT_TRUE(SetFileAttributesA(TransferFile, FILE_ATTRIBUTE_READONLY)); }
};

const std::string Sentinel = "left by the test";

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetFileAttributesA(TransferFile, FILE_ATTRIBUTE_NORMAL);
        application.Initialize();
        application.SetTitle("Vexil Version 2.0");
        form = MakeForm(true);
        black = form->Palette[1];
        white = form->Palette[0];
        red = form->Palette[4];
    }

    TForm1* MakeForm(bool withNew)
    {
        auto* made = new TForm1(&application);
        made->DoCreate();
        made->Show();
        if (withNew)
            made->NewDocument();
        return made;
    }

    HWND Editor() { return form->RichEdit1->WindowHandle(); }
    void Type(const std::string& text) { form->RichEdit1->SetSelectedText(text); }
    void Select(int start, int length)
    {
        form->RichEdit1->SetSelectionStart(start);
        form->RichEdit1->SetSelectionLength(length);
    }
    int Start() { return form->RichEdit1->SelectionStart(); }
    int Length() { return form->RichEdit1->SelectionLength(); }
    std::string Document() { return form->RichEdit1->WholeText(); }
    CharStyle StyleAt(int position)
    {
        Select(position, 1);
        return form->GetSelStyle();
    }
    CharStyle Plain() const { return CharStyle{false, false, black, white}; }
    void RoundTrip(std::size_t size);

    // A key-down as the keyboard sends it, the modifiers held meanwhile.
    void KeyDown(WORD key, const std::vector<int>& held, bool repeat = false)
    {
        HeldKeys keys(held);
        LPARAM flags = 1 | (static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16);
        if (repeat)
            flags |= static_cast<LPARAM>(1) << 30;
        SendMessageA(Editor(), WM_KEYDOWN, key, flags);
    }
    void CtrlKey(WORD key, bool repeat = false) { KeyDown(key, {VK_CONTROL, VK_LCONTROL}, repeat); }

    winlib::TApplication application;
    TForm1* form = nullptr;
    winlib::TColor black = 0, white = 0, red = 0;
};

}  // namespace

// ------------------------------------------------------------------ Copy

TEST_F(ClipboardTest, CopyOfAnEmptySelectionEmptiesFileAndClipboard)
{
    Type("hello");
    WriteBytes(TransferFile, Sentinel);
    PutText("held before");
    Select(2, 0);
    form->Copy1Click(nullptr);
    EXPECT_EQ(ReadBytes(TransferFile), "");
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(ClipboardText(), "");
    EXPECT_EQ(Start(), 2);
    EXPECT_EQ(Length(), 0);

    // Cut of nothing removes nothing.
    PutText("held before");
    form->Cut1Click(nullptr);
    EXPECT_EQ(ClipboardText(), "");
    EXPECT_EQ(Document(), "hello");
}

TEST_F(ClipboardTest, CopyGivesTheCodedTextOfTheSelection)
{
    Type("hello world");
    // Plain letters within a paragraph: exactly the letters.
    Select(0, 5);
    form->Copy1Click(nullptr);
    EXPECT_EQ(ClipboardText(), "hello");
    EXPECT_EQ(ReadBytes(TransferFile), "hello");
    // The selection is left as it was.
    EXPECT_EQ(Start(), 0);
    EXPECT_EQ(Length(), 5);

    // A red word: the colour code, then the word.
    Select(6, 5);
    form->SetSelStyle(CharStyle{false, false, red, white}, SCF_SELECTION);
    Select(6, 5);
    form->Copy1Click(nullptr);
    EXPECT_EQ(ClipboardText(), "\x03" "04,00world");
    EXPECT_EQ(ReadBytes(TransferFile), "\x03" "04,00world");
    EXPECT_EQ(Start(), 6);
    EXPECT_EQ(Length(), 5);
    EXPECT_EQ(Document(), "hello world") << "Copy changes no text";
}

TEST_F(ClipboardTest, UnicodeTextTravelsAsItsCharactersBothWays)
{
    // Pasted from a Unicode program: the blocks themselves, never their
    // best-fit bytes, and saved as UTF-8.
    PutUnicodeText(L"\x03" L"04,00\u2588\u2580\x03" L"01,00a");
    form->Paste1Click(nullptr);
    EXPECT_TRUE(form->RichEdit1->UnicodeText() == L"\u2588\u2580a\r");
    EXPECT_EQ(ReadBytes(TransferFile), "\x03" "04,00\xE2\x96\x88\xE2\x96\x80\x03" "01,00a");
    const std::string saved = automation::ProgramDirectory() + "\\unicode-paste.txt";
    form->Savefile(saved, 0, 3);
    EXPECT_EQ(ReadBytes(saved), "\x03" "04,00\xE2\x96\x88\xE2\x96\x80\x03" "01,00a");
    DeleteFileA(saved.c_str());

    // Copied from the Unicode document that the paste began: the characters,
    // and the transfer's UTF-8 as its bytes.
    Select(0, 2);
    form->Copy1Click(nullptr);
    EXPECT_TRUE(ClipboardUnicodeText() == L"\x03" L"04,00\u2588\u2580");
    EXPECT_EQ(ClipboardText(), "\x03" "04,00\xE2\x96\x88\xE2\x96\x80");
    EXPECT_EQ(ReadBytes(TransferFile), ClipboardText());
}

// ------------------------------------------------------------------- Cut

TEST_F(ClipboardTest, CutRemovesTheRangeAsOneStepOfUndo)
{
    Type("keep cut keep");
    Select(13, 0);
    SendMessageA(Editor(), WM_CHAR, '!', 1);
    ASSERT_EQ(Document(), "keep cut keep!");

    Select(5, 4);
    form->Cut1Click(nullptr);
    EXPECT_EQ(Document(), "keep keep!");
    EXPECT_EQ(ClipboardText(), "cut ");
    EXPECT_EQ(ReadBytes(TransferFile), "cut ");
    EXPECT_EQ(Start(), 5);
    EXPECT_EQ(Length(), 0);
    // The control keeps no undo of its own: the document's history has it.
    EXPECT_EQ(SendMessageA(Editor(), EM_CANUNDO, 0, 0), 0);
    form->Undo1Click(nullptr);
    EXPECT_EQ(Document(), "keep cut keep!");
    EXPECT_EQ(Start(), 5);
    EXPECT_EQ(Length(), 4) << "the text that came back is selected";
    form->Undo1Click(nullptr);
    EXPECT_EQ(Document(), "keep cut keep") << "the typing before the cut";
}

// ----------------------------------------------------------------- Paste

TEST_F(ClipboardTest, PasteInsertsInTheReadersStyleWithALineBreak)
{
    Type("xy");
    // A current style far from the reader's: bold, underlined, red on yellow.
    form->bold->SetChecked(true);
    form->underline->SetChecked(true);
    form->Shape17->Brush().SetColor(red);
    form->Shape18->Brush().SetColor(form->Palette[8]);
    Select(2, 0);
    form->ApplyCurrentStyle(SCF_SELECTION);

    PutText("ab");
    form->Paste1Click(nullptr);
    EXPECT_EQ(ReadBytes(TransferFile), "ab");
    EXPECT_EQ(Document(), "xyab\r\n");
    EXPECT_EQ(Start(), 5) << "the caret after the added break";
    EXPECT_EQ(StyleAt(2), Plain());
    EXPECT_EQ(StyleAt(3), Plain());

    // A text that ends with a line break gets no second one.
    Select(5, 0);
    PutText("cd\r\n");
    form->Paste1Click(nullptr);
    EXPECT_EQ(Document(), "xyab\r\ncd\r\n");

    // Coded text comes in as formatting and replaces the selection.
    Select(0, 2);
    PutText("\x02" "B" "\x03" "04,00r");
    form->Paste1Click(nullptr);
    EXPECT_EQ(Document(), "Br\r\nab\r\ncd\r\n");
    EXPECT_EQ(StyleAt(0), (CharStyle{true, false, black, white}));
    EXPECT_EQ(StyleAt(1), (CharStyle{true, false, red, white}));
}

TEST_F(ClipboardTest, PasteOfNoTextOrOfEndOfDataInsertsNothing)
{
    Type("abc");
    Select(1, 1);
    WriteBytes(TransferFile, Sentinel);
    PutBitmapOnly();
    ASSERT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    form->Paste1Click(nullptr);
    CtrlKey('V');
    EXPECT_EQ(Document(), "abc");
    EXPECT_EQ(ReadBytes(TransferFile), Sentinel) << "the transfer file is not touched";
    EXPECT_EQ(Start(), 1);
    EXPECT_EQ(Length(), 1);

    // A text that starts with end-of-data: the file is rewritten, the
    // reader stops at once.
    PutText("\x1A" "after");
    form->Paste1Click(nullptr);
    EXPECT_EQ(ReadBytes(TransferFile), "\x1A" "after");
    EXPECT_EQ(Document(), "abc");
    EXPECT_EQ(Start(), 1);
    EXPECT_EQ(Length(), 1);
}

TEST_F(ClipboardTest, PasteTakesTextThatAnotherProgramPutOnTheClipboard)
{
    PutText("");
    const std::string results = automation::ProgramDirectory() + "\\clipboard-host.txt";
    automation::Process host = automation::Process::Start(
        automation::DialogHostCommand({"window", "Clipboard source", results}));
    HWND window = host.WaitForMainWindow("Clipboard source");
    HWND edit = automation::FindDescendant(window, automation::kHostEditId);
    ASSERT_NE(edit, nullptr);
    automation::SetTextOf(edit, "from afar");
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_COPY, 0, 0);
    ASSERT_TRUE(automation::WaitUntil([] { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }));
    DWORD owner = 0;
    GetWindowThreadProcessId(GetClipboardOwner(), &owner);
    EXPECT_EQ(owner, host.Id());

    form->Paste1Click(nullptr);
    EXPECT_EQ(Document(), "from afar\r\n");
    EXPECT_EQ(ReadBytes(TransferFile), "from afar");
    EXPECT_TRUE(host.Close());
}

// ------------------------------------------------------------------ keys

TEST_F(ClipboardTest, CtrlCVXRunTheCommandsAndAreConsumed)
{
    Type("plain red");
    Select(6, 3);
    form->SetSelStyle(CharStyle{false, false, red, white}, SCF_SELECTION);

    Select(6, 3);
    CtrlKey('C');
    EXPECT_EQ(ClipboardText(), "\x03" "04,00red");
    EXPECT_FALSE(ClipboardHasRichText()) << "the editor's own copy did not run";

    Select(9, 0);
    CtrlKey('V');
    EXPECT_EQ(Document(), "plain redred\r\n") << "pasted once";
    // Auto-repeat: every repeated key-down pastes again.
    CtrlKey('V', true);
    CtrlKey('V', true);
    EXPECT_EQ(Document(), "plain redred\r\nred\r\nred\r\n");
    EXPECT_EQ(StyleAt(9), (CharStyle{false, false, red, white}));

    Select(0, 6);
    CtrlKey('X');
    EXPECT_EQ(Document(), "redred\r\nred\r\nred\r\n");
    EXPECT_EQ(ClipboardText(), "plain ");
    EXPECT_FALSE(ClipboardHasRichText());
}

TEST_F(ClipboardTest, OtherModifiersLeaveTheKeyToTheEditor)
{
    Type("plain red");
    Select(6, 3);
    form->SetSelStyle(CharStyle{false, false, red, white}, SCF_SELECTION);
    struct Case {
        const char* name;
        std::vector<int> held;
    };
    const Case cases[] = {
        {"Ctrl+Shift", {VK_CONTROL, VK_LCONTROL, VK_SHIFT, VK_LSHIFT}},
        {"Ctrl+Alt", {VK_CONTROL, VK_LCONTROL, VK_MENU, VK_LMENU}},
        {"AltGr", {VK_CONTROL, VK_LCONTROL, VK_MENU, VK_RMENU}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(TransferFile, Sentinel);
        PutText("held before");
        Select(6, 3);
        KeyDown('C', c.held);
        EXPECT_EQ(ReadBytes(TransferFile), Sentinel) << "Copy did not run";
        // The editor's own copy ran: the plain letters, and rich text beside.
        EXPECT_EQ(ClipboardText(), "red");
        EXPECT_TRUE(ClipboardHasRichText());
    }
    // The plain key without Ctrl is typing, not a command.
    WriteBytes(TransferFile, Sentinel);
    Select(9, 0);
    KeyDown('V', {});
    EXPECT_EQ(ReadBytes(TransferFile), Sentinel);
    EXPECT_EQ(Document(), "plain red");
}

// ------------------------------------------------------------- Edit menu

TEST_F(ClipboardTest, EditMenuOpeningEnablesTheItems)
{
    PutText("some text");
    form->Edit1Click(nullptr);
    EXPECT_FALSE(form->Undo1->Enabled()) << "nothing to undo in a new document";
    EXPECT_TRUE(form->Cut1->Enabled());
    EXPECT_TRUE(form->Paste1->Enabled());
    EXPECT_TRUE(form->Copy1->Enabled());

    SendMessageA(Editor(), WM_CHAR, 'q', 1);
    PutBitmapOnly();
    form->Edit1Click(nullptr);
    EXPECT_TRUE(form->Undo1->Enabled());
    EXPECT_FALSE(form->Paste1->Enabled()) << "no text on the clipboard";
    EXPECT_TRUE(form->Cut1->Enabled()) << "an empty selection does not matter";

    // Before the first File, New the editor is disabled.
    TForm1* fresh = MakeForm(false);
    ASSERT_FALSE(fresh->RichEdit1->Enabled());
    PutText("some text");
    fresh->Edit1Click(nullptr);
    EXPECT_FALSE(fresh->Cut1->Enabled());
    EXPECT_FALSE(fresh->Paste1->Enabled());
    EXPECT_FALSE(fresh->Copy1->Enabled());
    EXPECT_FALSE(fresh->Undo1->Enabled());
}

// ----------------------------------------------------- long coded ranges

namespace {

// Coded text in the writer's form that is mostly codes: every character
// switches bold and underline and takes a colour of its own, nine bytes a
// character, since the engine's cost goes by the character.
std::string LongCodedText(std::size_t atLeast)
{
    std::string text;
    for (int line = 0; text.size() <= atLeast; ++line) {
        for (int j = 0; j < 100; ++j) {
            const int index = 2 + (j + line) % 14;
            text += "\x02\x1F\x03";
            text += (index < 10 ? "0" : "") + std::to_string(index) + ",00";
            text += static_cast<char>('a' + (j + line) % 26);
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace

TEST_F(ClipboardTest, PasteTakesMoreThan64KiBOfClipboardText)
{
    // Codes cost the reader nothing in the editor, so the text is long and
    // quick: the word after them arrives only if all of it is read.
    const std::string text = std::string(70000, '\x02') + "tail";
    PutText(text);
    form->Paste1Click(nullptr);
    EXPECT_EQ(ReadBytes(TransferFile).size(), text.size());
    EXPECT_EQ(Document(), "tail\r\n");
    EXPECT_EQ(StyleAt(0), Plain()) << "an even number of toggles";
}

// Loads a styled range of more than size bytes of coded text, copies it and
// pastes it into a new document: it must arrive whole both ways.
void ClipboardTest::RoundTrip(std::size_t size)
{
    const std::string coded = LongCodedText(size);
    ASSERT_GT(coded.size(), size);
    const std::string source = automation::ProgramDirectory() + "\\clipboard-long.txt";
    const std::string saved = automation::ProgramDirectory() + "\\clipboard-long-saved.txt";
    WriteBytes(source, coded);
    // Painting every insertion of a visible window is most of the cost here.
    ShowWindow(form->Handle(), SW_HIDE);
    form->loadfile(source);

    form->RichEdit1->SelectAllText();
    const int positions = Length();
    form->Copy1Click(nullptr);
    const std::string copied = ClipboardText();
    EXPECT_EQ(copied.size(), coded.size());
    EXPECT_EQ(FirstDifference(copied, coded), std::string::npos) << "the clipboard holds the whole coded text";
    EXPECT_EQ(FirstDifference(ReadBytes(TransferFile), coded), std::string::npos);

    form->NewDocument();
    form->Paste1Click(nullptr);
    form->RichEdit1->SelectAllText();
    EXPECT_EQ(Length(), positions);
    form->Savefile(saved, 0, Length());
    const std::string back = ReadBytes(saved);
    EXPECT_EQ(back.size(), coded.size());
    EXPECT_EQ(FirstDifference(back, coded), std::string::npos) << "the pasted text is the copied one";
    DeleteFileA(source.c_str());
    DeleteFileA(saved.c_str());
}

// Beyond 100,000 bytes: past both 32,000 and 65,535.
TEST_F(ClipboardTest, StyledRangesOver100000BytesTravelWhole) { RoundTrip(100001); }

// -------------------------------------------------------------- failures

TEST_F(ClipboardTest, UnwritableTransferFileStopsCopyCutAndPaste)
{
    Type("hello world");
    WriteBytes(TransferFile, Sentinel);
    TransferFileAttributes attributes;
    attributes.MakeReadOnly();
    PutText("held before");

    Select(0, 5);
    try {
        form->Cut1Click(nullptr);
        ADD_FAILURE() << "Cut went through a read-only transfer file";
    } catch (const winlib::EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), 5);
        EXPECT_EQ(error.Message(), "File access denied");
    }
    EXPECT_EQ(Document(), "hello world") << "nothing removed";
    EXPECT_EQ(ClipboardText(), "held before");

    Select(11, 0);
    EXPECT_THROW(form->Paste1Click(nullptr), winlib::EInOutError);
    EXPECT_EQ(Document(), "hello world") << "nothing inserted";

    // Through the keys the error reaches the error box, and the key stops there.
    automation::MessageBoxContent shown;
    automation::DialogAnswer watcher = automation::ReadAndCloseMessageBox(shown);
    Select(0, 5);
    CtrlKey('X');
    EXPECT_EQ(watcher.Error(), "");
    EXPECT_EQ(shown.text, "File access denied.");
    EXPECT_EQ(shown.caption, "Vexil Version 2.0");
    EXPECT_EQ(Document(), "hello world");
    EXPECT_EQ(ClipboardText(), "held before");
    EXPECT_FALSE(ClipboardHasRichText()) << "the editor's own cut did not run either";
    EXPECT_EQ(ReadBytes(TransferFile), Sentinel);
}

// ------------------------------------------------------- other copies

// Another running copy in the middle of its own transfer, acted by a thread
// that holds the copies' common lock, writes the transfer file and lets go.
// Copy and Paste wait for it: what they hand on is their own text, and the
// transfer file holds it afterwards, not the other copy's. The lock is the
// machine's, which a copy in another session takes too; where the machine's
// name is refused (here: taken by an object of another kind), the session's.
TEST_F(ClipboardTest, CopyAndPasteWaitForAnotherCopysTransfer)
{
    const auto whileAnotherCopyTransfers = [&](const char* lockName, const std::function<void()>& command) {
        HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread other([held, lockName] {
            HANDLE mutex = CreateMutexA(nullptr, FALSE, lockName);
            WaitForSingleObject(mutex, INFINITE);
            SetEvent(held);
            Sleep(300);
            WriteBytes(TransferFile, "the other copy's text");
            ReleaseMutex(mutex);
            CloseHandle(mutex);
        });
        WaitForSingleObject(held, INFINITE);
        std::string error;
        try {
            command();
        } catch (const std::exception& e) {
            error = e.what();  // meeting the other copy's writing, for one
        }
        other.join();
        CloseHandle(held);
        EXPECT_EQ(error, "");
    };
    const auto copyAndPaste = [&](const char* lockName) {
        SCOPED_TRACE(lockName);
        form->NewDocument();
        Type("mine");
        Select(0, 4);
        whileAnotherCopyTransfers(lockName, [&] { form->Copy1Click(nullptr); });
        EXPECT_EQ(ClipboardText(), "mine");
        EXPECT_EQ(ReadBytes(TransferFile), "mine");

        PutText("pasted");
        Select(4, 0);
        whileAnotherCopyTransfers(lockName, [&] { form->Paste1Click(nullptr); });
        EXPECT_EQ(Document(), "minepasted\r\n");
        EXPECT_EQ(ReadBytes(TransferFile), "pasted");
    };
    copyAndPaste("Global\\Vexil.TransferFile");
    HANDLE squatter = CreateEventA(nullptr, FALSE, FALSE, "Global\\Vexil.TransferFile");
    ASSERT_NE(squatter, nullptr);
    copyAndPaste("Local\\Vexil.TransferFile");
    CloseHandle(squatter);
}

LRESULT CALLBACK LeavesAnError(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_APP) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

// When the clipboard stays busy, the error shown is that of opening it, not
// whatever the messages handled while waiting for it left behind.
TEST_F(ClipboardTest, ABusyClipboardReportsWhyItCouldNotBeOpened)
{
    // A window whose handling of a message leaves an error of its own.
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = LeavesAnError;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VexilTestBusyOwner";
    RegisterClassA(&windowClass);
    HWND owner = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
    ASSERT_NE(owner, nullptr);

    // Another program holds the clipboard and keeps sending to the owner.
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> done{false};
    std::thread other([&] {
        HWND holder = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        const bool open = automation::WaitUntil([holder] { return OpenClipboard(holder) != FALSE; }, 2000);
        SetEvent(opened);
        while (open && !done)
            SendMessageTimeoutA(owner, WM_APP, 0, 0, SMTO_NORMAL, 100, nullptr);
        if (open)
            CloseClipboard();
        DestroyWindow(holder);
    });
    WaitForSingleObject(opened, INFINITE);
    ASSERT_FALSE(OpenClipboard(owner));
    const DWORD refused = GetLastError();
    unsigned long reported = 0;
    try {
        (void)winlib::TClipboard(owner).Text();
    } catch (const winlib::EWin32Error& error) {
        reported = error.ErrorCode();
    }
    done = true;
    other.join();
    CloseHandle(opened);
    DestroyWindow(owner);
    EXPECT_NE(refused, 0u);
    EXPECT_EQ(reported, refused);
}
