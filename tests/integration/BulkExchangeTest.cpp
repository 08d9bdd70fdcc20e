// The engine's bulk reader and writer against the literal algorithms they
// replace: one character inserted, and one position selected and read, at a
// time. Both run on twin main windows over the real rich edit control, and
// everything the control reports must come out the same: text, every field
// of every character's format, paragraphs, selection, the caret's format,
// undo and the modified flag, and the bytes of every file written.
#include "Unit1.h"

#include "BulkChecks.h"
#include "TextEncoding.h"
#include "support/ArtDocument.h"
#include "support/Automation.h"
#include "support/DialogAnswer.h"
#include "winlib/Clipboard.h"
#include "winlib/Forms.h"
#include "winlib/RuntimeFiles.h"

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <new>
#include <optional>
#include <iterator>
#include <numeric>
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

// The selection is given back as it was.
void LiteralSave(TForm1& form, const std::string& path, int start, int count)
{
    const int selectionStart = form.RichEdit1->SelectionStart(), selectionLength = form.RichEdit1->SelectionLength();
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
    form.RichEdit1->SelectRange(selectionStart, selectionStart + selectionLength);
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

// Where the bulk result parts from the literal one; empty when they agree.
std::string Difference(const Snapshot& literal, const Snapshot& bulk)
{
    if (literal.text != bulk.text)
        return "text of " + std::to_string(literal.text.size()) + " and " + std::to_string(bulk.text.size()) +
               " units differs";
    for (size_t p = 0; p < literal.formats.size(); ++p) {
        if (std::memcmp(&literal.formats[p], &bulk.formats[p], sizeof(CHARFORMAT2A)) != 0)
            return "position " + std::to_string(p) + "\n literal " + Describe(literal.formats[p]) + "\n bulk    " +
                   Describe(bulk.formats[p]);
    }
    if (literal.paragraphs.size() != bulk.paragraphs.size())
        return "paragraph count";
    for (size_t i = 0; i < literal.paragraphs.size(); ++i)
        if (std::memcmp(&literal.paragraphs[i], &bulk.paragraphs[i], sizeof(PARAFORMAT2)) != 0)
            return "paragraph " + std::to_string(i);
    if (literal.selection.cpMin != bulk.selection.cpMin || literal.selection.cpMax != bulk.selection.cpMax)
        return "selection";
    if (std::memcmp(&literal.caret, &bulk.caret, sizeof(CHARFORMAT2A)) != 0)
        return "caret\n literal " + Describe(literal.caret) + "\n bulk    " + Describe(bulk.caret);
    if (literal.canUndo != bulk.canUndo || literal.modified != bulk.modified)
        return "undo or modified flag";
    return "";
}

void ExpectSame(const Snapshot& literal, const Snapshot& bulk) { EXPECT_EQ(Difference(literal, bulk), ""); }

// The text and formats alone: what an undo step must give back.
Snapshot ContentOf(Snapshot shot)
{
    shot.selection = CHARRANGE{};
    shot.caret = CHARFORMAT2A{};
    shot.canUndo = shot.modified = false;
    return shot;
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
        form->NewDocument();
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
            Both([&](TForm1& form) { form.NewDocument(); });
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
    // Art with a stretch in another font, as text from elsewhere often is.
    documents.push_back([this](TForm1& form) {
        LiteralLoad(form, Write(artdocument::DenseArt(1500, 5)));
        form.RichEdit1->SelectRange(400, 900);
        CHARFORMAT2A font{};
        font.cbSize = sizeof font;
        font.dwMask = CFM_FACE | CFM_SIZE;
        font.yHeight = 200;
        lstrcpynA(font.szFaceName, "Arial", LF_FACESIZE);
        SendMessageA(form.RichEdit1->WindowHandle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&font));
    });
    for (size_t d = 0; d < documents.size(); ++d) {
        Both([&](TForm1& form) {
            form.NewDocument();
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
            if (HasFailure())
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
    bulk->NewDocument();
    bulk->loadfile(folder + "bulk.txt");
    bulk->Savefile(folder + "literal.txt", 0, static_cast<int>(bulk->RichEdit1->WholeText().size()));
    EXPECT_EQ(Read(folder + "literal.txt"), saved);
}

// ------------------------------------- controls that write and read RTF their own way

// RTF cut into the pieces an alteration works on: a control word with its
// parameter and delimiter, a hexadecimal character, any other escape, or one
// byte.
std::vector<std::string> Tokens(const std::string& rtf)
{
    std::vector<std::string> tokens;
    for (size_t i = 0; i < rtf.size();) {
        size_t end = i + 1;
        if (rtf[i] == '\\' && i + 1 < rtf.size()) {
            if (std::isalpha(static_cast<unsigned char>(rtf[i + 1]))) {
                end = i + 1;
                while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end])))
                    ++end;
                if (end < rtf.size() && rtf[end] == '-')
                    ++end;
                while (end < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[end])))
                    ++end;
                if (end < rtf.size() && rtf[end] == ' ')
                    ++end;
            } else {
                end = rtf[i + 1] == '\'' ? (std::min)(i + 4, rtf.size()) : i + 2;
            }
        }
        tokens.push_back(rtf.substr(i, end - i));
        i = end;
    }
    return tokens;
}

std::string Join(const std::vector<std::string>& tokens)
{
    std::string rtf;
    for (const std::string& token : tokens)
        rtf += token;
    return rtf;
}

// The name of a control word ("" for anything else) and its parameter.
std::string WordName(const std::string& token)
{
    if (token.size() < 2 || token[0] != '\\' || !std::isalpha(static_cast<unsigned char>(token[1])))
        return "";
    size_t end = 1;
    while (end < token.size() && std::isalpha(static_cast<unsigned char>(token[end])))
        ++end;
    return token.substr(1, end - 1);
}
int WordParameter(const std::string& token) { return std::atoi(token.c_str() + 1 + WordName(token).size()); }

// A character of the document text: a byte, a hexadecimal or escaped one, a tab.
bool IsText(const std::string& token)
{
    if (token == "{" || token == "}" || token == "\r" || token == "\n")
        return false;
    return token[0] != '\\' || token[1] == '\'' || token[1] == '\\' || token[1] == '{' || token[1] == '}' ||
           WordName(token) == "tab";
}
// A word that states a property, not text or a paragraph.
bool IsPropertyWord(const std::string& token)
{
    const std::string name = WordName(token);
    return !name.empty() && name != "tab" && name != "par" && name != "line";
}
// A control character, or a tab.
bool IsControl(const std::string& token)
{
    if (WordName(token) == "tab")
        return true;
    if (token.size() == 4 && token[1] == '\'')
        return std::strtol(token.substr(2).c_str(), nullptr, 16) < 0x20;
    return token.size() == 1 && static_cast<unsigned char>(token[0]) < 0x20 && token != "\r" && token != "\n";
}

// The colours of the colour table, by index; none for the automatic entry.
std::vector<std::optional<COLORREF>> ColorTable(const std::vector<std::string>& tokens)
{
    std::vector<std::optional<COLORREF>> table;
    bool inTable = false;
    std::optional<COLORREF> entry;
    for (const std::string& token : tokens) {
        if (WordName(token) == "colortbl") {
            inTable = true;
        } else if (inTable && token == "}") {
            break;
        } else if (inTable && token == ";") {
            table.push_back(entry);
            entry.reset();
        } else if (inTable) {
            const std::string name = WordName(token);
            const int shift = name == "red" ? 0 : name == "green" ? 8 : name == "blue" ? 16 : -1;
            if (shift >= 0)
                entry = entry.value_or(0) | static_cast<COLORREF>(WordParameter(token)) << shift;
        }
    }
    return table;
}

bool IsWhiteBackground(const std::string& token, const std::vector<std::optional<COLORREF>>& table)
{
    if (WordName(token) != "highlight")
        return false;
    const auto index = static_cast<size_t>(WordParameter(token));
    return index < table.size() && table[index] == COLORREF{0xFFFFFF};
}

using Alteration = std::function<void(std::vector<std::string>&)>;

struct Fault {
    const char* name;
    Alteration alter;
    bool writtenToo;  // also what the control writes, not only what it reads
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

const std::vector<Fault>& Faults()
{
    static const std::vector<Fault> faults = {
        {"BackgroundAsAnotherWord",
         [](std::vector<std::string>& tokens) {
             const auto table = ColorTable(tokens);
             for (std::string& token : tokens)
                 if (WordName(token) == "highlight" && !IsWhiteBackground(token, table))
                     token = "\\chcfpat" + std::to_string(WordParameter(token)) + " ";
         },
         true},
        {"WhiteBackgroundLeftOut",
         [](std::vector<std::string>& tokens) {
             const auto table = ColorTable(tokens);
             for (std::string& token : tokens)
                 if (IsWhiteBackground(token, table))
                     token.clear();
         },
         true},
        {"ControlCharactersInOtherProperties",
         [](std::vector<std::string>& tokens) {
             for (std::string& token : tokens)
                 if (IsControl(token))
                     token = "{\\b\\ul\\cf1\\highlight1 " + token + "}";
         },
         true},
        {"RepeatedCharacterDropped",
         [](std::vector<std::string>& tokens) {
             // The first of two equal characters with only a change of
             // properties between them.
             for (size_t i = 0; i < tokens.size(); ++i) {
                 if (!IsText(tokens[i]))
                     continue;
                 size_t j = i + 1;
                 while (j < tokens.size() && IsPropertyWord(tokens[j]))
                     ++j;
                 if (j > i + 1 && j < tokens.size() && tokens[j] == tokens[i])
                     tokens[i].clear();
             }
         },
         true},
        {"CharacterMovedPastAChangeOfProperties",
         [](std::vector<std::string>& tokens) {
             for (size_t i = 0; i < tokens.size(); ++i) {
                 if (!IsText(tokens[i]) || i + 1 >= tokens.size() || !IsPropertyWord(tokens[i + 1]))
                     continue;
                 size_t j = i + 1;
                 while (j < tokens.size() && IsPropertyWord(tokens[j]))
                     ++j;
                 std::rotate(tokens.begin() + static_cast<std::ptrdiff_t>(i),
                             tokens.begin() + static_cast<std::ptrdiff_t>(i + 1),
                             tokens.begin() + static_cast<std::ptrdiff_t>(j));
                 i = j - 1;
             }
         },
         true},
        {"LastParagraphMarkNotInserted",
         [](std::vector<std::string>& tokens) {
             for (size_t i = tokens.size(); i-- > 0;) {
                 if (WordName(tokens[i]) == "par") {
                     tokens[i].clear();
                     return;
                 }
             }
         },
         false},
    };
    return faults;
}

// Short, but with all that the faults touch: every byte, tabs and control
// characters styled unlike their neighbours, white and coloured
// backgrounds, repeated characters across changes of colour, lines of codes
// only, lone LFs, dense art.
std::string FaultDocument()
{
    std::string everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte += static_cast<char>(b == 0x1A ? 'z' : b);
    return everyByte + "\r\n" + "\x03" "04a\x03" "01\tb\x02\t\x03" "09,02\t\x01\x1F\x0B\tc\t\r\n" +
           "\x03" "04xx\x03" "05xx\x03" "04,08yy\x03" "04,00yy\x02yy\r\n\x03" "04,08\r\n\x02\x03" "12,04\r\n\r\n" +
           "a\nb\n\nc\r\n" + artdocument::DenseArt(500, 3);
}

class BulkFaultTest : public BulkExchangeTest, public ::testing::WithParamInterface<Fault> {
protected:
    void TearDown() override
    {
        bulk::testing::AlterRtf(nullptr);
        bulk::testing::SetChecks(true);
        BulkExchangeTest::TearDown();
    }

    // The control reads and writes RTF in its own way.
    static void Play(const Fault& fault)
    {
        bulk::testing::AlterRtf([fault](bulk::testing::Way way, std::string& rtf) {
            if (way == bulk::testing::Way::Out && !fault.writtenToo)
                return;
            std::vector<std::string> tokens = Tokens(rtf);
            fault.alter(tokens);
            rtf = Join(tokens);
        });
    }

    static void TypeSomething(TForm1& form)
    {
        form.SetSelStyle({true, false, 0x0000FF, 0x00FFFF}, SCF_SELECTION);
        form.RichEdit1->SetSelectedText("typed\r\ntext");
        form.RichEdit1->SetSelectionStart(3);
    }
};

// What a control writes and reads in its own way must not show: Load,
// Paste, Save and Copy give what the literal algorithms give, byte for
// byte and style for style. With the checks off the same control misleads
// at least one of them, so the fault is real.
TEST_P(BulkFaultTest, LoadPasteSaveAndCopyStillGiveTheLiteralResults)
{
    const std::string coded = FaultDocument();
    const std::string path = Write(coded);
    LiteralLoad(*literal, path);
    const Snapshot loaded = Take(*literal);
    const int whole = static_cast<int>(literal->RichEdit1->WholeText().size());
    LiteralSave(*literal, folder + "literal.txt", 0, whole);
    const std::string saved = Read(folder + "literal.txt");
    const int copyStart = 200, copyLength = whole / 2;
    LiteralSave(*literal, folder + "literal.txt", copyStart, copyLength);
    std::string copied = Read(folder + "literal.txt");
    copied.resize((std::min)(copied.find('\0'), copied.size()));
    literal->NewDocument();
    TypeSomething(*literal);
    LiteralLoad(*literal, path);
    const Snapshot pasted = Take(*literal);

    for (const bool checks : {true, false}) {
        SCOPED_TRACE(checks ? "checks on" : "checks off");
        bulk::testing::SetChecks(checks);
        Play(GetParam());
        std::vector<std::string> differences;
        const auto compare = [&](const char* what, const std::string& difference) {
            if (!difference.empty())
                differences.push_back(std::string(what) + ": " + difference);
        };
        bulk->NewDocument();
        bulk->loadfile(path);
        compare("load", Difference(loaded, Take(*bulk)));

        bulk->NewDocument();
        TypeSomething(*bulk);
        const Snapshot typed = Take(*bulk);
        bulk->RichEdit1->SetSelectionStart(3);  // where the typing left the caret
        TClipboard(bulk->Handle()).SetText(coded);
        bulk->Paste1Click(nullptr);
        const Snapshot afterPaste = Take(*bulk);
        compare("paste", Difference(pasted, afterPaste));
        bulk->Undo1Click(nullptr);
        compare("undo of the paste", Difference(ContentOf(typed), ContentOf(Take(*bulk))));
        bulk->Redo1Click(nullptr);
        compare("redo of the paste", Difference(ContentOf(afterPaste), ContentOf(Take(*bulk))));

        bulk->NewDocument();
        LiteralLoad(*bulk, path);
        bulk->Savefile(folder + "bulk.txt", 0, whole);
        compare("save", Read(folder + "bulk.txt") == saved ? "" : "the file differs");
        bulk->RichEdit1->SetSelectionStart(copyStart);
        bulk->RichEdit1->SetSelectionLength(copyLength);
        bulk->Copy1Click(nullptr);
        compare("copy", TClipboard(bulk->Handle()).Text() == copied ? "" : "the clipboard text differs");

        std::string all;
        for (const std::string& difference : differences)
            all += difference + "\n";
        if (checks)
            EXPECT_EQ(all, "");
        else
            EXPECT_NE(all, "") << "the fault misleads nothing";
    }
}

// The same for a Unicode document, which the control's RTF may state in
// another form: Load and Save give what they give on a faithful control.
TEST_P(BulkFaultTest, UnicodeLoadAndSaveStillGiveWhatAFaithfulControlGives)
{
    const std::string western = FaultDocument();
    std::u16string characters;
    for (const char byte : western) {
        wchar_t unit = 0;
        MultiByteToWideChar(1252, 0, &byte, 1, &unit, 1);
        characters += static_cast<char16_t>(unit);
    }
    const std::string path =
        Write(textenc::Encode(characters, textenc::Encoding::Utf8).value() + artdocument::DenseUnicodeArt(500, 3));
    literal->loadfile(path);
    ASSERT_EQ(literal->DocumentEncoding(), textenc::Encoding::Utf8);
    const Snapshot loaded = Take(*literal);
    literal->Savefile(folder + "literal.txt", 0, literal->WholeLength());
    const std::string saved = Read(folder + "literal.txt");

    for (const bool checks : {true, false}) {
        SCOPED_TRACE(checks ? "checks on" : "checks off");
        bulk::testing::SetChecks(checks);
        Play(GetParam());
        bulk->NewDocument();
        bulk->loadfile(path);
        std::string differences = Difference(loaded, Take(*bulk));
        bulk->Savefile(folder + "bulk.txt", 0, bulk->WholeLength());
        if (Read(folder + "bulk.txt") != saved)
            differences += "\nthe saved file differs";
        if (checks)
            EXPECT_EQ(differences, "");
        else
            EXPECT_NE(differences, "") << "the fault misleads nothing";
        bulk::testing::AlterRtf(nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, BulkFaultTest, ::testing::ValuesIn(Faults()),
                         [](const ::testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

// A Save whose reading fails (out of memory in the middle of a huge
// document) leaves the file as it was.
TEST_F(BulkExchangeTest, SaveThatFailsWhileReadingKeepsTheOldFile)
{
    const std::string target = folder + "bulk.txt";
    std::ofstream(target, std::ios::binary) << "the old file";
    bulk->RichEdit1->SetSelectedText("a document too large to read\r\n");
    // Memory runs out when the document's RTF is read (not the probe's).
    bulk::testing::AlterRtf([](bulk::testing::Way, std::string& rtf) {
        if (rtf.find("too large") != std::string::npos)
            throw std::bad_alloc();
    });
    const int whole = static_cast<int>(bulk->RichEdit1->WholeText().size());
    EXPECT_THROW(bulk->Savefile(target, 0, whole), std::bad_alloc);
    bulk::testing::AlterRtf(nullptr);
    EXPECT_EQ(Read(target), "the old file");
}

// A line of many thousand characters comes in in parts, each of a bounded
// size, and goes out again as it came.
TEST_F(BulkExchangeTest, ALongLineComesInInBoundedPartsAndGoesOutWhole)
{
    std::string line;
    for (int i = 0; line.size() < 1000000; ++i) {
        // In the writer's form: every group changes the colours, some bold.
        char group[16];
        std::snprintf(group, sizeof group, "%s\x03%02d,%02dab", i % 5 == 4 ? "\x02" : "", 10 + i % 6, i * 5 % 16);
        line += group;
    }
    std::vector<size_t> fragments;
    bulk::testing::AlterRtf([&](bulk::testing::Way way, std::string& rtf) {
        if (way == bulk::testing::Way::In)
            fragments.push_back(rtf.size());
    });
    bulk->loadfile(Write(line));
    bulk::testing::AlterRtf(nullptr);
    bulk->Savefile(folder + "bulk.txt", 0, static_cast<int>(bulk->RichEdit1->WholeText().size()));
    EXPECT_TRUE(Read(folder + "bulk.txt") == line + "\r\n");
    ASSERT_GE(fragments.size(), 3u);  // the probe's, and the line's parts
    const size_t total = std::accumulate(fragments.begin() + 1, fragments.end(), size_t{0});
    EXPECT_LT(*std::max_element(fragments.begin() + 1, fragments.end()), total / 2);
}

}  // namespace
