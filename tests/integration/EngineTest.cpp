// The coded-text engine of the main window against its real rich edit
// window: the palette, the style exchange, the writer and the reader, with
// real files in a folder of the test's own.
#include "Unit1.h"

#include "ArtFont.h"
#include "BulkChecks.h"
#include "TextEncoding.h"
#include "support/Automation.h"
#include "support/DialogAnswer.h"
#include "winlib/Clipboard.h"
#include "winlib/Exceptions.h"
#include "winlib/Forms.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

using namespace winlib;
using codedtext::CharStyle;
using textenc::Encoding;

namespace {

constexpr TColor White = 0xFFFFFF, Black = 0x000000, Navy = 0x800000, Green = 0x008000, Red = 0x0000FF,
                 Yellow = 0x00FFFF, Blue = 0xFF0000, Teal = 0x808040;

const CharStyle Plain{false, false, Black, White};

// "03 30 34": failures then read like the byte lists they are checked against.
std::string Hex(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, " %02X", c);
        out += digits;
    }
    return out.empty() ? out : out.substr(1);
}

// Records every character format the rich edit window is sent, for as long as it lives.
class FormatRecorder {
public:
    explicit FormatRecorder(HWND window) : window_(window)
    {
        if (!SetWindowSubclass(window_, &Proc, 1, reinterpret_cast<DWORD_PTR>(this)))
            throw EWin32Error::FromLastError();
    }
    ~FormatRecorder() { RemoveWindowSubclass(window_, &Proc, 1); }
    FormatRecorder(const FormatRecorder&) = delete;
    FormatRecorder& operator=(const FormatRecorder&) = delete;

    std::vector<WPARAM> targets;
    std::vector<CHARFORMAT2A> formats;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
    {
        if (msg == EM_SETCHARFORMAT && lParam != 0) {
            auto* recorder = reinterpret_cast<FormatRecorder*>(self);
            CHARFORMAT2A format{};
            std::memcpy(&format, reinterpret_cast<const void*>(lParam), sizeof format);
            recorder->targets.push_back(wParam);
            recorder->formats.push_back(format);
        }
        return DefSubclassProc(window, msg, wParam, lParam);
    }
    HWND window_;
};

// A control that reads CR for a selection past the end of its text, as
// Windows' control can when it selects the final paragraph mark there.
class CrPastTheEnd {
public:
    explicit CrPastTheEnd(HWND window) : window_(window)
    {
        if (!SetWindowSubclass(window_, &Proc, 2, 0))
            throw EWin32Error::FromLastError();
    }
    ~CrPastTheEnd() { RemoveWindowSubclass(window_, &Proc, 2); }
    CrPastTheEnd(const CrPastTheEnd&) = delete;
    CrPastTheEnd& operator=(const CrPastTheEnd&) = delete;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
    {
        const auto* request = reinterpret_cast<const GETTEXTEX*>(wParam);
        if (msg == EM_GETTEXTEX && request != nullptr && (request->flags & GT_SELECTION) && request->cb >= 2) {
            CHARRANGE range{};
            SendMessageA(window, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
            GETTEXTLENGTHEX measure{GTL_NUMCHARS | GTL_PRECISE, 1200};
            if (range.cpMin >= SendMessageA(window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&measure), 0)) {
                std::memcpy(reinterpret_cast<char*>(lParam), "\r", 2);
                return 1;
            }
        }
        return DefSubclassProc(window, msg, wParam, lParam);
    }
    HWND window_;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application.Initialize();
        form = new TForm1(&application);
        form->DoCreate();
        form->New1Click(nullptr);
        char temp[MAX_PATH] = {};
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        folder = std::string(temp) + "vexil-engine-" + std::to_string(GetCurrentProcessId()) + "\\";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    }

    void TearDown() override
    {
        for (const std::string& path : files)
            DeleteFileA(path.c_str());
        RemoveDirectoryA(folder.c_str());
    }

    HWND Window() { return form->RichEdit1->WindowHandle(); }
    std::string Text() { return form->RichEdit1->WholeText(); }

    std::string PathOf(const std::string& name)
    {
        files.push_back(folder + name);
        return files.back();
    }
    std::string WriteFile(const std::string& name, const std::string& bytes)
    {
        const std::string path = PathOf(name);
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        EXPECT_TRUE(in.good()) << path;
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // Types text at the caret in the given style, as the editor's user would.
    void Put(const std::string& text, const CharStyle& style)
    {
        form->SetSelStyle(style, SCF_SELECTION);
        form->RichEdit1->SetSelectedText(text);
    }

    // File, Save without its dialog: the whole text's length as the count.
    std::string SaveAll(const std::string& name) { return SaveRange(name, 0, form->WholeLength()); }
    std::string SaveRange(const std::string& name, int start, int count)
    {
        const std::string path = PathOf(name);
        form->Savefile(path, start, count);
        return ReadFile(path);
    }
    void Load(const std::string& name, const std::string& bytes) { form->loadfile(WriteFile(name, bytes)); }
    // File, Load without its dialog: what the emptied editor holds afterwards.
    std::string LoadNew(const std::string& name, const std::string& bytes)
    {
        form->NewDocument();
        Load(name, bytes);
        return Text();
    }
    // "code: message" of the input/output error that action raises.
    template <class Action>
    static std::string InOutError(Action&& action)
    {
        try {
            action();
        } catch (const EInOutError& error) {
            return std::to_string(error.ErrorCode()) + ": " + error.Message();
        }
        return "no error";
    }

    void Select(int start, int end)
    {
        CHARRANGE range{start, end};
        SendMessageA(Window(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    // Sets a format of the test's own, bypassing the engine.
    void SetFormat(int start, int end, CHARFORMAT2A format)
    {
        Select(start, end);
        format.cbSize = sizeof format;
        SendMessageA(Window(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    CHARFORMAT2A FormatAt(int position)
    {
        Select(position, position + 1);
        CHARFORMAT2A format{};
        format.cbSize = sizeof format;
        SendMessageA(Window(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format;
    }
    // The style as the window holds it, the automatic colours ruled out.
    void ExpectStyle(int position, const CharStyle& expected)
    {
        const CHARFORMAT2A f = FormatAt(position);
        EXPECT_EQ(f.dwEffects & (CFE_AUTOCOLOR | CFE_AUTOBACKCOLOR), 0u) << "at " << position;
        EXPECT_EQ((f.dwEffects & CFE_BOLD) != 0, expected.bold) << "bold at " << position;
        EXPECT_EQ((f.dwEffects & CFE_UNDERLINE) != 0, expected.underline) << "underline at " << position;
        EXPECT_EQ(f.crTextColor, expected.text) << "text colour at " << position;
        EXPECT_EQ(f.crBackColor, expected.back) << "background at " << position;
    }

    TApplication application;
    TForm1* form = nullptr;
    std::string folder;
    std::vector<std::string> files;
};

// ------------------------------------------------------ palette and styles

TEST_F(EngineTest, PaletteComesFromTheSwatchesAndIndexofGivesTwoDigitsOrMinusOne)
{
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_EQ(form->Palette[i], form->Shapes[i]->Brush().Color()) << "entry " << i;
    EXPECT_EQ(form->Palette[0], White);
    EXPECT_EQ(form->Palette[1], Black);
    EXPECT_EQ(form->Palette[7], 0x0080FFu);
    EXPECT_EQ(form->Palette[10], Teal);
    EXPECT_EQ(form->Palette[15], 0xC0C0C0u);

    EXPECT_EQ(form->Indexof(White), "00");
    EXPECT_EQ(form->Indexof(Black), "01");
    EXPECT_EQ(form->Indexof(0x0080FF), "07");
    EXPECT_EQ(form->Indexof(Teal), "10");
    EXPECT_EQ(form->Indexof(0xC0C0C0), "15");
    EXPECT_EQ(form->Indexof(0x008080), "-1");
    EXPECT_EQ(form->Indexof(0x80000008), "-1");  // window-text colour, not resolved
    EXPECT_EQ(form->Indexof(0x80000005), "-1");
}

TEST_F(EngineTest, SetSelStyleSendsOnlyTheStyleMaskAndLeavesFontAndOtherEffects)
{
    Put("abcd", Plain);
    CHARFORMAT2A font{};
    font.dwMask = CFM_FACE | CFM_SIZE | CFM_ITALIC | CFM_COLOR;
    font.dwEffects = CFE_ITALIC | CFE_AUTOCOLOR;
    font.yHeight = 280;
    std::strcpy(font.szFaceName, "Courier New");
    SetFormat(0, 4, font);

    const CharStyle styles[4] = {{false, false, Red, Yellow}, {true, false, Navy, White},
                                 {false, true, Teal, Green}, {true, true, Blue, Black}};
    const DWORD effects[4] = {0, 1, 4, 5};
    for (int i = 0; i < 4; ++i) {
        FormatAt(i);  // selects the character
        FormatRecorder recorder(Window());
        form->SetSelStyle(styles[i], SCF_SELECTION);
        ASSERT_EQ(recorder.formats.size(), 1u);
        EXPECT_EQ(recorder.targets[0], static_cast<WPARAM>(SCF_SELECTION));
        EXPECT_EQ(recorder.formats[0].cbSize, 84u);
        EXPECT_EQ(recorder.formats[0].dwMask, 0x44000005u);
        EXPECT_EQ(recorder.formats[0].dwEffects, effects[i]);
        EXPECT_EQ(recorder.formats[0].crTextColor, styles[i].text);
        EXPECT_EQ(recorder.formats[0].crBackColor, styles[i].back);
    }
    for (int i = 0; i < 4; ++i) {
        ExpectStyle(i, styles[i]);  // explicit colours won over the automatic one
        const CHARFORMAT2A f = FormatAt(i);
        EXPECT_STREQ(f.szFaceName, "Courier New") << i;
        EXPECT_EQ(f.yHeight, 280) << i;
        EXPECT_NE(f.dwEffects & CFE_ITALIC, 0u) << i;
    }

    FormatRecorder recorder(Window());
    form->SetSelStyle(CharStyle{true, false, Green, Yellow}, SCF_DEFAULT);
    ASSERT_EQ(recorder.targets.size(), 1u);
    EXPECT_EQ(recorder.targets[0], static_cast<WPARAM>(SCF_DEFAULT));
    CHARFORMAT2A def{};
    def.cbSize = sizeof def;
    SendMessageA(Window(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&def));
    EXPECT_EQ(def.crTextColor, Green);
    EXPECT_EQ(def.crBackColor, Yellow);
    EXPECT_NE(def.dwEffects & CFE_BOLD, 0u);
}

TEST_F(EngineTest, GetSelStyleReportsOnlyBoldAndUnderline)
{
    Put("xyz", Plain);
    auto setEffects = [&](int position, DWORD mask, DWORD effects) {
        CHARFORMAT2A f{};
        f.dwMask = mask | CFM_COLOR | CFM_BACKCOLOR;
        f.dwEffects = effects;
        f.crTextColor = Teal;
        f.crBackColor = Yellow;
        SetFormat(position, position + 1, f);
    };
    setEffects(0, CFM_ITALIC | CFM_STRIKEOUT, CFE_ITALIC | CFE_STRIKEOUT);
    setEffects(1, CFM_ITALIC | CFM_BOLD, CFE_ITALIC | CFE_BOLD);
    setEffects(2, CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT, CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT);
    const CharStyle expected[3] = {{false, false, Teal, Yellow}, {true, false, Teal, Yellow},
                                   {false, true, Teal, Yellow}};
    for (int i = 0; i < 3; ++i) {
        FormatAt(i);
        const CharStyle got = form->GetSelStyle();
        EXPECT_EQ(got, expected[i]) << "position " << i << ": bold " << got.bold << " underline " << got.underline;
    }
}

// ------------------------------------------------------------------ writer

TEST_F(EngineTest, WriterGivesNothingForNoCountAndPlainTextWithoutCodes)
{
    Put("ab\r\ncd", Plain);
    WriteFile("none.txt", "old content");
    EXPECT_EQ(SaveRange("none.txt", 0, 0), "");
    WriteFile("negative.txt", "old content");
    EXPECT_EQ(SaveRange("negative.txt", 2, -5), "");

    form->RichEdit1->SetSelectionStart(1);
    EXPECT_EQ(SaveAll("plain.txt"), "ab\r\ncd");
    // The walk leaves the caret where it was.
    EXPECT_EQ(form->RichEdit1->SelectionStart(), 1);
    EXPECT_EQ(form->RichEdit1->SelectionLength(), 0);

    form->RichEdit1->SelectRange(0, 2);
    EXPECT_EQ(SaveRange("part.txt", 1, 3), "b\r\nc");
    EXPECT_EQ(form->RichEdit1->SelectionStart(), 0);
    EXPECT_EQ(form->RichEdit1->SelectedText(), "ab");

    form->RichEdit1->SetSelectionStart(5);
    Put("\r\n", Plain);
    EXPECT_EQ(SaveAll("ended.txt"), "ab\r\ncd\r\n");
    Put("\r\ne", Plain);  // an empty paragraph before e
    EXPECT_EQ(SaveAll("empty-line.txt"), "ab\r\ncd\r\n\r\ne");
}

TEST_F(EngineTest, WriterReadsNoTextPastTheEndWhateverTheControlAnswersThere)
{
    Put("ab\r\ncd\r\n", Plain);
    const CrPastTheEnd control(Window());
    EXPECT_EQ(Hex(SaveAll("past-end.txt")), Hex("ab\r\ncd\r\n"));
}

TEST_F(EngineTest, WriterPutsColourCodesWhereTheColourChanges)
{
    Put("a", CharStyle{false, false, Red, White});
    Put("b", CharStyle{false, false, Red, Yellow});
    Put("\r\n", CharStyle{false, false, Red, Yellow});
    EXPECT_EQ(Hex(SaveRange("red.txt", 0, 3)), "03 30 34 2C 30 30 61 03 30 34 2C 30 38 62 0D 0A");
    EXPECT_EQ(Hex(SaveAll("red-all.txt")), "03 30 34 2C 30 30 61 03 30 34 2C 30 38 62 0D 0A");

    form->New1Click(nullptr);
    Put("a", CharStyle{false, false, Red, White});
    Put("b", CharStyle{false, false, Red, Yellow});
    Put("\r\n", Plain);
    EXPECT_EQ(Hex(SaveAll("black-break.txt")),
              "03 30 34 2C 30 30 61 03 30 34 2C 30 38 62 03 30 31 2C 30 30 0D 0A");

    form->New1Click(nullptr);
    Put("a", Plain);
    Put("b", CharStyle{false, false, Black, Yellow});  // background alone
    Put("c", CharStyle{false, false, 0x123456, White});  // not in the palette
    Put("d", CharStyle{false, false, Red, 0x010203});
    Put("e", Plain);
    EXPECT_EQ(Hex(SaveAll("colours.txt")), "61 03 30 31 2C 30 38 62 03 2D 31 2C 30 30 63 03 30 34 2C 2D 31 64 "
                                           "03 30 31 2C 30 30 65");
}

TEST_F(EngineTest, WriterTogglesBoldAndUnderlineAndStartsEachLinePlain)
{
    Put("x", CharStyle{true, true, Red, White});
    Put("y", Plain);
    EXPECT_EQ(Hex(SaveAll("first.txt")), "02 1F 03 30 34 2C 30 30 78 02 1F 03 30 31 2C 30 30 79");

    form->New1Click(nullptr);
    const CharStyle bold{true, false, Black, White};
    Put("ab", bold);
    Put("\r\n", Plain);  // bold ends at the end of the line
    Put("cd\r\ne", bold);  // and runs on through this break
    Put("f", Plain);
    EXPECT_EQ(SaveAll("bold.txt"), "\x02" "ab\x02\r\n\x02" "cd\r\n\x02" "e\x02" "f");
}

// ------------------------------------------------------------------ reader

TEST_F(EngineTest, ReaderEndsEveryLineWithABreakAndStopsAtCtrlZ)
{
    EXPECT_EQ(LoadNew("empty.txt", ""), "");
    EXPECT_EQ(LoadNew("ab.txt", "ab"), "ab\r\n");
    EXPECT_EQ(LoadNew("ab-crlf.txt", "ab\r\n"), "ab\r\n");
    EXPECT_EQ(LoadNew("cr.txt", "a\rb\r"), "a\r\nb\r\n");
    EXPECT_EQ(LoadNew("crcrlf.txt", "a\r\r\nb"), "a\r\n\r\nb\r\n");
    EXPECT_EQ(LoadNew("ctrlz.txt", "ab\x1A" "cd\r\nef\r\n"), "ab\r\n");
    EXPECT_EQ(LoadNew("leading-ctrlz.txt", "\x1A" "ab"), "");

    // At the caret of a document, not at its end.
    form->New1Click(nullptr);
    Put("XY", Plain);
    form->RichEdit1->SetSelectionStart(1);
    Load("middle.txt", "ab");
    EXPECT_EQ(Text(), "Xab\r\nY");
    EXPECT_EQ(form->RichEdit1->SelectionStart(), 4);
}

TEST_F(EngineTest, ReaderPassesALoneLfAndNulOnToTheControl)
{
    // What the control makes of an LF typed in between two letters...
    for (const char* piece : {"a", "\n", "b", "\r\n"})
        Put(piece, Plain);
    const std::string typed = Text();
    // ...is what the reader gives for an LF inside a line.
    EXPECT_EQ(LoadNew("lf.txt", "a\nb"), typed);
    EXPECT_EQ(typed, "a\r\nb\r\n");  // the control makes the LF a paragraph break

    // ("nul.txt" would be the null device.)
    EXPECT_EQ(LoadNew("zero.txt", std::string("a\0b\r\n", 5)), "ab\r\n");
    // A NUL still sets the style at the caret, which the break then takes.
    EXPECT_EQ(LoadNew("zero-style.txt", std::string("\x03" "04\0", 4)), "\r\n");
    ExpectStyle(0, CharStyle{false, false, Red, White});
}

TEST_F(EngineTest, ReaderAcceptsTheShortAndFoldedColourCodes)
{
    Load("codes.txt", "\x03" "4x\r\n"          // 0: text only
                      "\x03" "4,12y\r\n"       // 2
                      "\x03" "04,1z\r\n"       // 4
                      "\x03" "99a\r\n"         // 6: 99 mod 16 = 3
                      "\x03" "16b\r\n"         // 8: 16 mod 16 = 0
                      "\x03" "123\r\n"         // 10: the 3 is text
                      "c\x03\r\n"              // 12: code at the end of the line
                      "\x03" ",05\r\n"         // 14..16: no digit after the code
                      "\x02\x02" "d\r\n"       // 18: toggled twice
                      "\x02\x1F\x03" "04,08e\r\n"
                      "f\r\n");                // 22: nothing carried over
    EXPECT_EQ(Text(), "x\r\ny\r\nz\r\na\r\nb\r\n3\r\nc\r\n,05\r\nd\r\ne\r\nf\r\n");
    ExpectStyle(0, CharStyle{false, false, Red, White});
    ExpectStyle(2, CharStyle{false, false, Red, Blue});
    ExpectStyle(4, CharStyle{false, false, Red, Black});
    ExpectStyle(6, CharStyle{false, false, Green, White});
    ExpectStyle(8, CharStyle{false, false, White, White});
    ExpectStyle(10, CharStyle{false, false, Blue, White});
    ExpectStyle(12, Plain);
    for (int i = 14; i <= 16; ++i)
        ExpectStyle(i, Plain);
    ExpectStyle(18, Plain);
    ExpectStyle(20, CharStyle{true, true, Red, Yellow});
    ExpectStyle(21, CharStyle{true, true, Red, Yellow});  // the break takes the style before it
    ExpectStyle(22, Plain);
}

// ------------------------------------------------------------- round trips

TEST_F(EngineTest, SaveLoadSaveGivesTheSameBytesAndTheSameStyles)
{
    const CharStyle boldRed{true, false, Red, White}, underNavy{false, true, Navy, Yellow};
    const CharStyle teal{true, true, Teal, Green};
    Put("Hi", boldRed);
    Put(" t", underNavy);
    Put("!\r\n", Plain);
    Put("\r\n", Plain);  // empty paragraph after a plain character
    Put("-", teal);
    Put("o\r\n", Plain);
    const std::string first = SaveAll("first.txt");
    const std::string expected = "\x02\x03" "04,00Hi\x02\x1F\x03" "02,08 t\x1F\x03" "01,00!\r\n"
                                 "\r\n"
                                 "\x02\x1F\x03" "10,03-\x02\x1F\x03" "01,00o\r\n";
    ASSERT_EQ(Hex(first), Hex(expected));

    form->New1Click(nullptr);
    form->loadfile(files.back());
    EXPECT_EQ(Text(), "Hi t!\r\n\r\n-o\r\n");
    ExpectStyle(0, boldRed);
    ExpectStyle(1, boldRed);
    ExpectStyle(2, underNavy);
    ExpectStyle(3, underNavy);
    ExpectStyle(4, Plain);
    ExpectStyle(6, Plain);
    ExpectStyle(7, teal);
    ExpectStyle(8, Plain);
    EXPECT_EQ(Hex(SaveAll("second.txt")), Hex(first));
}

TEST_F(EngineTest, LoadSaveTurnsOtherAcceptedFormsIntoTheWritersForm)
{
    Load("loose.txt", "\x03" "4a\x03" "20,1b\x02\x02" "c\rd\x03" "04\r\n");
    EXPECT_EQ(Hex(SaveAll("tight.txt")), Hex("\x03" "04,00a\x03" "04,01bc\r\nd\r\n"));
}

// ---------------------------------------------------------------- failures

TEST_F(EngineTest, FailedLoadRaisesTheRuntimeErrorAndKeepsTheText)
{
    Put("keep", Plain);
    EXPECT_EQ(InOutError([&] { form->loadfile(folder + "missing.txt"); }), "2: File not found");
    EXPECT_EQ(InOutError([&] { form->loadfile(folder + "no-such-folder\\in.txt"); }), "3: Invalid filename");
    EXPECT_EQ(Text(), "keep");

    // File, Load reads the file before it empties the editor.
    automation::DialogAnswer answer([&](HWND dialog) { automation::AnswerFileDialog(dialog, folder + "missing.txt"); });
    EXPECT_EQ(InOutError([&] { form->Load1Click(nullptr); }), "2: File not found");
    EXPECT_EQ(answer.Error(), "");
    EXPECT_EQ(Text(), "keep");

    EXPECT_EQ(InOutError([&] { form->Savefile(folder + "no-such-folder\\out.txt", 0, 0); }),
              "3: Invalid filename");
}

// ------------------------------------------------------ Unicode documents

std::string Utf8(const std::u16string& text) { return textenc::Utf16ToUtf8(text).value(); }

// Each encoding read as characters and written back as it came, and 8-bit
// text that has come to hold what the ANSI code page cannot hold.
class UnicodeDocumentTest : public EngineTest {
protected:
    void TearDown() override
    {
        bulk::testing::AlterRtf(nullptr);
        EngineTest::TearDown();
    }
    std::u16string Units()
    {
        const std::wstring units = form->RichEdit1->UnicodeText();
        return std::u16string(units.begin(), units.end());
    }
};

// Coded text in the writer's form: colour, bold and underline around block
// elements, box drawing whose units hold the bytes 0D and 1A, a Latin letter,
// a character beyond the first 64K (a surrogate pair), coloured alone.
const std::u16string Art = u"\x03" "04,00\u2588\u2580\x02\u2584\x02\u2591\x1F\u250D\u251A\r\n"
                           u"plain \u00E9 \u2502 \x03" "03,00\U0001F600\x03" "01,00 line\r\n";
const std::u16string ArtHeld = u"\u2588\u2580\u2584\u2591\u250D\u251A\rplain \u00E9 \u2502 \U0001F600 line\r";

struct Case {
    const char* name;
    std::string bytes;
    Encoding encoding;
    std::u16string held;  // what the control holds afterwards
};

TEST_F(UnicodeDocumentTest, FilesInTheWritersFormComeBackByteForByteInEachEncoding)
{
    const Case cases[] = {
        {"UTF-8", Utf8(Art), Encoding::Utf8, ArtHeld},
        {"UTF-8 with its mark", std::string(textenc::Utf8Mark) + Utf8(Art), Encoding::Utf8Bom, ArtHeld},
        {"UTF-16 LE", textenc::Encode(Art, Encoding::Utf16LeBom).value(), Encoding::Utf16LeBom, ArtHeld},
        // ASCII alone reads the same either way: the document stays 8-bit.
        {"ASCII", "\x03" "04,00ab\x02" "c\r\nd\r\n", Encoding::Ansi, u"abc\rd\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoadNew("doc.txt", c.bytes);
        EXPECT_EQ(static_cast<int>(form->DocumentEncoding()), static_cast<int>(c.encoding));
        EXPECT_TRUE(Units() == c.held) << Utf8(Units());
        EXPECT_EQ(Hex(SaveAll("doc.txt")), Hex(c.bytes));
    }
}

// Shown in a face that draws art, with the list offering art's characters,
// a pick inserting itself; an 8-bit document as before.
TEST_F(UnicodeDocumentTest, AUnicodeDocumentIsShownAndPickedInItsCharacters)
{
    const std::optional<artfont::ArtFace>& art = artfont::ArtFaceNear(form->RichEdit1->Font());
    ASSERT_TRUE(art) << "no installed face draws the block elements";
    const int eightBitEntries = form->ListBox1->Items().Count();
    for (const bool unicode : {true, false}) {
        SCOPED_TRACE(unicode ? "Unicode" : "8-bit");
        LoadNew("doc.txt", unicode ? Utf8(Art) : std::string("ab\r\n"));
        const std::string face = unicode ? art->name : "Fixedsys";
        form->RichEdit1->SelectRange(0, 1);
        EXPECT_EQ(form->RichEdit1->SelectionAttributes().Name(), face);
        EXPECT_EQ(form->RichEdit1->DefaultAttributes().Name(), face);
        EXPECT_EQ(form->Label1->Font().Name(), face);
        EXPECT_EQ(form->ListBox1->Font().Name(), face);
        const int entries = form->ListBox1->Items().Count();
        EXPECT_EQ(entries > eightBitEntries, unicode) << entries;
        int shade = -1;
        for (int i = 0; i < entries; ++i)
            if (form->ListBox1->ItemUtf16(i) == u"\u2593")
                shade = i;
        ASSERT_EQ(shade >= 0, unicode);
        if (unicode) {
            form->RichEdit1->SetSelectionStart(0);
            form->ListBox1->SetItemIndex(shade);
            form->ListBox1Click(nullptr);
            EXPECT_TRUE(Units().substr(0, 2) == u"\u2593\u2588") << Utf8(Units());
        }
    }
}

// The Font button starts at the face the user sees: confirming it as it
// stands keeps the art drawn.
TEST_F(UnicodeDocumentTest, TheFontDialogStartsAtTheFaceShown)
{
    LoadNew("doc.txt", Utf8(Art));
    const std::string shown = form->RichEdit1->DefaultAttributes().Name();
    ASSERT_NE(shown, "Fixedsys");
    automation::DialogAnswer answer([](HWND box) { automation::AnswerFontDialog(box, {}); });
    form->Button1Click(nullptr);
    ASSERT_EQ(answer.Error(), "");
    form->RichEdit1->SelectRange(0, 1);
    EXPECT_EQ(form->RichEdit1->SelectionAttributes().Name(), shown);
}

TEST_F(UnicodeDocumentTest, AFragmentThatBringsACharacterInWronglyCostsSpeedNotTheCharacter)
{
    // A control that reads \u as a best-fit byte, as the "A" window takes
    // Unicode sent as a message.
    bulk::testing::AlterRtf([](bulk::testing::Way way, std::string& rtf) {
        for (std::size_t at; way == bulk::testing::Way::In && (at = rtf.find("\\u9608?")) != std::string::npos;)
            rtf.replace(at, 7, "\\'a6");
    });
    const std::string bytes = Utf8(Art);
    LoadNew("doc.txt", bytes);
    EXPECT_TRUE(Units() == ArtHeld) << Utf8(Units());
    EXPECT_EQ(Hex(SaveAll("doc.txt")), Hex(bytes));
}

TEST_F(UnicodeDocumentTest, An8BitDocumentHoldingWhatTheAnsiCodePageCannotIsSavedAsUtf8)
{
    LoadNew("doc.txt", "a\xE9\r\n");
    form->RichEdit1->SetSelectionStart(1);
    form->RichEdit1->SetSelectedUnicodeText(L"\u2588");
    EXPECT_EQ(Hex(SaveAll("doc.txt")), Hex("a\xE2\x96\x88\xC3\xA9\r\n"));
    // Pasted there, the document becomes UTF-8, shown in the face for art.
    LoadNew("doc.txt", "a\xE9\r\n");
    form->RichEdit1->SetSelectionStart(1);
    winlib::TClipboard(form->Handle()).SetText("?", L"\u2588");
    form->Paste1Click(nullptr);
    EXPECT_EQ(static_cast<int>(form->DocumentEncoding()), static_cast<int>(Encoding::Utf8));
    EXPECT_EQ(form->RichEdit1->DefaultAttributes().Name(), artfont::ArtFaceNear(form->RichEdit1->Font())->name);
    EXPECT_EQ(Hex(SaveAll("doc.txt")), Hex("a\xE2\x96\x88\r\n\xC3\xA9\r\n"));
}

// Run under code page 932, whose lead bytes would join the byte after them.
class MultiByteCodePageTest : public UnicodeDocumentTest {};

TEST_F(MultiByteCodePageTest, EightBitBytesComeBackByteForByte)
{
    CPINFO info{};
    ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
    if (info.MaxCharSize == 1 && std::getenv(automation::kMultiByteCodePageFlag) == nullptr)
        GTEST_SKIP() << "runs under a multi-byte ANSI code page";
    ASSERT_GT(info.MaxCharSize, 1u) << "code page " << GetACP();

    // Every byte from 0x80 on, coloured and plain, each its own character.
    std::string high;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        high += static_cast<char>(byte);
    const std::string bytes = "\x03" "04,00" + high.substr(0, 64) + "\r\n" + high.substr(64) + "\r\n";
    LoadNew("doc.txt", bytes);
    EXPECT_EQ(static_cast<int>(form->DocumentEncoding()), static_cast<int>(Encoding::Ansi));
    EXPECT_EQ(Units().size(), 130u);
    EXPECT_EQ(Hex(SaveAll("doc.txt")), Hex(bytes));
}

}  // namespace
