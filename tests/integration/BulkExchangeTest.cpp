// The engine's bulk reader and writer against the literal algorithms they
// replace: one character inserted, and one position selected and read, at a
// time. Both run on twin main windows over the real rich edit control, and
// everything the control reports must come out the same: text, every field
// of every character's format, paragraphs, selection, the caret's format,
// undo and the modified flag, and the bytes of every file written.
#include "Unit1.h"

#include "support/ArtDocument.h"
#include "support/Automation.h"
#include "support/DialogAnswer.h"
#include "winlib/Forms.h"
#include "winlib/RuntimeFiles.h"

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

using namespace winlib;

namespace {

// ------------------------------------------------- the literal algorithms

void LiteralLoad(TForm1& form, const std::string& path)
{
    TextFileReader file;
    file.Reset(path);
    std::string line;
    while (file.ReadLine(line)) {
        for (const codedtext::StyledChar& c : codedtext::DecodeLine(form.Palette, line).chars) {
            form.SetSelStyle(c.style, SCF_SELECTION);
            form.RichEdit1->SetSelectedText(std::string(1, c.ch));
        }
        form.RichEdit1->SetSelectedText("\r\n");
    }
    file.Close();
}

void LiteralSave(TForm1& form, const std::string& path, int start, int count)
{
    TextFileWriter file;
    file.Rewrite(path);
    codedtext::Encoder encoder(form.Palette);
    for (long long p = start; p < static_cast<long long>(start) + count; ++p) {
        form.RichEdit1->SetSelectionStart(static_cast<int>(p));
        form.RichEdit1->SetSelectionLength(1);
        const codedtext::CharStyle style = form.GetSelStyle();
        if (encoder.Add(style, form.RichEdit1->SelectedText()))
            file.Write(encoder.Take());
    }
    const std::string rest = encoder.Take();
    if (!rest.empty())
        file.Write(rest);
    file.Close();
}

// ------------------------------------------------- what the control shows

struct Snapshot {
    std::wstring text;
    std::vector<CHARFORMAT2A> formats;  // one per position
    std::vector<PARAFORMAT2> paragraphs;
    CHARRANGE selection{};
    CHARFORMAT2A caret{};
    bool canUndo = false;
    bool modified = false;
};

CHARFORMAT2A FormatOf(HWND window)
{
    CHARFORMAT2A format;
    std::memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    SendMessageA(window, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format;
}

void Select(HWND window, LONG from, LONG to)
{
    CHARRANGE range{from, to};
    SendMessageA(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

// Reads everything; the selection is moved while reading, so this comes last.
Snapshot Take(TForm1& form)
{
    HWND window = form.RichEdit1->WindowHandle();
    Snapshot shot;
    // Selecting each position of a painting window costs a repaint each.
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    SendMessageA(window, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&shot.selection));
    shot.caret = FormatOf(window);
    shot.canUndo = SendMessageA(window, EM_CANUNDO, 0, 0) != 0;
    shot.modified = SendMessageA(window, EM_GETMODIFY, 0, 0) != 0;
    shot.text = form.RichEdit1->UnicodeText();
    const LONG length = static_cast<LONG>(shot.text.size());
    for (LONG p = 0; p <= length; ++p) {
        Select(window, p, p + 1);
        if (p < length)
            shot.formats.push_back(FormatOf(window));
        if (p == 0 || shot.text[static_cast<size_t>(p - 1)] == L'\r') {
            PARAFORMAT2 paragraph;
            std::memset(&paragraph, 0, sizeof paragraph);
            paragraph.cbSize = sizeof paragraph;
            SendMessageA(window, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&paragraph));
            shot.paragraphs.push_back(paragraph);
        }
    }
    SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    return shot;
}

std::string Describe(const CHARFORMAT2A& f)
{
    char text[200];
    std::snprintf(text, sizeof text, "mask %08lX effects %08lX height %ld colour %06lX back %06lX face '%s' weight %u ul %u",
                  f.dwMask, f.dwEffects, f.yHeight, f.crTextColor, f.crBackColor, f.szFaceName,
                  static_cast<unsigned>(f.wWeight), static_cast<unsigned>(f.bUnderlineType));
    return text;
}

void ExpectSame(const Snapshot& literal, const Snapshot& bulk)
{
    ASSERT_TRUE(literal.text == bulk.text) << "text of " << literal.text.size() << " and " << bulk.text.size()
                                           << " units differs";
    for (size_t p = 0; p < literal.formats.size(); ++p) {
        ASSERT_EQ(std::memcmp(&literal.formats[p], &bulk.formats[p], sizeof(CHARFORMAT2A)), 0)
            << "position " << p << "\n literal " << Describe(literal.formats[p]) << "\n bulk    "
            << Describe(bulk.formats[p]);
    }
    ASSERT_EQ(literal.paragraphs.size(), bulk.paragraphs.size());
    for (size_t i = 0; i < literal.paragraphs.size(); ++i)
        EXPECT_EQ(std::memcmp(&literal.paragraphs[i], &bulk.paragraphs[i], sizeof(PARAFORMAT2)), 0)
            << "paragraph " << i;
    EXPECT_EQ(literal.selection.cpMin, bulk.selection.cpMin);
    EXPECT_EQ(literal.selection.cpMax, bulk.selection.cpMax);
    EXPECT_EQ(std::memcmp(&literal.caret, &bulk.caret, sizeof(CHARFORMAT2A)), 0)
        << "caret\n literal " << Describe(literal.caret) << "\n bulk    " << Describe(bulk.caret);
    EXPECT_EQ(literal.canUndo, bulk.canUndo);
    EXPECT_EQ(literal.modified, bulk.modified);
}

// Coded text covering what the reader and the writer treat specially.
std::vector<std::string> EdgeDocuments()
{
    std::string everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte += static_cast<char>(b == 0x1A ? 'z' : b);
    return {
        "",
        "ab",
        "ab\r\n",
        "a\rb\r\rc\r\n\r\n\r",                                   // CR-only lines, CR CR LF
        "a\nb\n\nc\r\n\n",                                        // lone LFs
        std::string("ab\x1A" "cd\r\nef", 8),                      // the end of the data
        std::string("a\0b\0\r\n\0\r\n\x03" "04\0", 13),           // NUL, also alone on a line
        "\x03" "04a\x02\x1F\x03" "09,02\r\nb\x03" "12\r\n",       // codes after the last character
        "\x03" "04,08\r\n\x02\x03" "12,04\r\n\r\nx",              // lines of codes only
        "\x03" "99x\x03" "16y\x03" "123z\x03" ",05w\x03" "4,1v\x03",  // the colour field's forms
        "\t tab \x0B vt \x7F del \x80\x81\x8D\x8F\x90\x9D\xFF {\\} \\par",
        "\x03" "04a\x03" "01\tb\x02\t\x03" "09,02\t\t\x1F\tc\t",         // tabs styled unlike their neighbours
        everyByte + "\r\n\x02" + everyByte,
        artdocument::DenseArt(3000, 7),
    };
}

class BulkExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application.Initialize();
        literal = NewForm();
        bulk = NewForm();
        char temp[MAX_PATH] = {};
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        folder = std::string(temp) + "vexil-bulk-" + std::to_string(GetCurrentProcessId()) + "\\";
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    }
    void TearDown() override
    {
        for (const char* name : {"in.txt", "literal.txt", "bulk.txt"})
            DeleteFileA((folder + name).c_str());
        RemoveDirectoryA(folder.c_str());
    }

    TForm1* NewForm()
    {
        auto* form = new TForm1(&application);
        form->DoCreate();
        form->Show();
        form->New1Click(nullptr);
        return form;
    }

    std::string Write(const std::string& bytes)
    {
        const std::string path = folder + "in.txt";
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The same starting state in both windows.
    void Both(const std::function<void(TForm1&)>& step)
    {
        step(*literal);
        step(*bulk);
    }

    // The Font button, answered with a face other than the editor's.
    static void PickFont(TForm1& form)
    {
        automation::DialogAnswer answer([](HWND box) {
            HWND faces = automation::FindDescendant(box, automation::kFontFaceComboId);
            const std::string current = automation::TextOf(faces);
            for (const std::string& face : automation::ComboItems(faces)) {
                if (face != current) {
                    automation::AnswerFontDialog(box, {face, "Bold", 12});
                    return;
                }
            }
            throw automation::AutomationError("only one face offered");
        });
        form.Button1Click(nullptr);
        ASSERT_EQ(answer.Error(), "");
    }

    TApplication application;
    TForm1* literal = nullptr;
    TForm1* bulk = nullptr;
    std::string folder;
};

// Every edge document, read into an empty editor, at a caret inside typed
// text, over a selection, and after the Font button.
TEST_F(BulkExchangeTest, ReaderGivesWhatInsertingEachCharacterGives)
{
    const std::vector<std::function<void(TForm1&)>> starts = {
        [](TForm1&) {},
        [](TForm1& form) {
            form.SetSelStyle({true, false, 0x0000FF, 0x00FFFF}, SCF_SELECTION);
            form.RichEdit1->SetSelectedText("typed\r\ntext");
            form.RichEdit1->SetSelectionStart(3);
        },
        [](TForm1& form) {
            form.SetSelStyle({false, true, 0x008000, 0x800000}, SCF_SELECTION);
            form.RichEdit1->SetSelectedText("selected\r\nhere");
            form.RichEdit1->SetSelectionStart(2);
            form.RichEdit1->SetSelectionLength(8);
        },
        [](TForm1& form) {
            form.RichEdit1->SetSelectedText("before the font");
            PickFont(form);
        },
    };
    const std::vector<std::string> documents = EdgeDocuments();
    for (size_t s = 0; s < starts.size(); ++s) {
        for (size_t d = 0; d < documents.size(); ++d) {
            SCOPED_TRACE("start " + std::to_string(s) + ", document " + std::to_string(d));
            Both([&](TForm1& form) { form.New1Click(nullptr); });
            Both(starts[s]);
            const std::string path = Write(documents[d]);
            LiteralLoad(*literal, path);
            bulk->loadfile(path);
            ExpectSame(Take(*literal), Take(*bulk));
        }
    }
}

// The documents those reads leave, and text painted after the Font button,
// written whole as File, Save does, and in parts as Edit, Copy does.
TEST_F(BulkExchangeTest, WriterGivesWhatReadingEachPositionGives)
{
    std::vector<std::function<void(TForm1&)>> documents;
    for (const std::string& coded : EdgeDocuments())
        documents.push_back([this, coded](TForm1& form) { LiteralLoad(form, Write(coded)); });
    documents.push_back([](TForm1& form) {
        form.RichEdit1->SetSelectedText("plain\r\n");
        PickFont(form);
        form.RichEdit1->SetSelectionStart(2);
        form.RichEdit1->SetSelectedText("after");
        form.SetSelStyle({false, false, 0x123456, 0x0000FF}, SCF_SELECTION);  // outside the palette
        form.RichEdit1->SetSelectedText("odd\r\n");
    });
    for (size_t d = 0; d < documents.size(); ++d) {
        Both([&](TForm1& form) {
            form.New1Click(nullptr);
            documents[d](form);
        });
        const int whole = static_cast<int>(literal->RichEdit1->WholeText().size());
        const int positions = static_cast<int>(literal->RichEdit1->UnicodeText().size());
        const std::vector<std::pair<int, int>> ranges = {
            {0, whole}, {1, positions / 2}, {positions / 3, positions - positions / 3}, {0, 0}, {3, -2},
            {positions, 2}, {-2, 5}};
        for (const auto& [start, count] : ranges) {
            SCOPED_TRACE("document " + std::to_string(d) + ", positions " + std::to_string(start) + " + " +
                         std::to_string(count));
            Both([](TForm1& form) { form.RichEdit1->SetSelectionStart(0); });
            LiteralSave(*literal, folder + "literal.txt", start, count);
            bulk->Savefile(folder + "bulk.txt", start, count);
            EXPECT_EQ(Read(folder + "literal.txt"), Read(folder + "bulk.txt"));
            ExpectSame(Take(*literal), Take(*bulk));
            if (HasFatalFailure())
                return;
        }
    }
}

// Dense art of some size read in bulk gives the literal result; written and
// read again, it comes back as the same file.
TEST_F(BulkExchangeTest, DenseArtRoundTrips)
{
    const std::string path = Write(artdocument::DenseArt(8000, 11));
    LiteralLoad(*literal, path);
    bulk->loadfile(path);
    ExpectSame(Take(*literal), Take(*bulk));
    const int whole = static_cast<int>(bulk->RichEdit1->WholeText().size());
    bulk->Savefile(folder + "bulk.txt", 0, whole);
    const std::string saved = Read(folder + "bulk.txt");
    bulk->New1Click(nullptr);
    bulk->loadfile(folder + "bulk.txt");
    bulk->Savefile(folder + "literal.txt", 0, static_cast<int>(bulk->RichEdit1->WholeText().size()));
    EXPECT_EQ(Read(folder + "literal.txt"), saved);
}

}  // namespace
