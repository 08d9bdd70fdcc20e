// Unicode documents through the main window's engine and its real rich edit
// window: each encoding read as characters and written back as it came, and
// 8-bit text that has come to hold what the ANSI code page cannot hold.
#include "Unit1.h"

#include "ArtFont.h"
#include "BulkChecks.h"
#include "TextEncoding.h"
#include "support/Automation.h"
#include "winlib/Forms.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

using namespace winlib;
using textenc::Encoding;

namespace {

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

std::string Utf8(const std::u16string& text) { return textenc::Utf16ToUtf8(text).value(); }

class UnicodeDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application.Initialize();
        form = new TForm1(&application);
        form->DoCreate();
        form->New1Click(nullptr);
        char temp[MAX_PATH] = {};
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        path = std::string(temp) + "vexil-unicode-" + std::to_string(GetCurrentProcessId()) + ".txt";
    }
    void TearDown() override
    {
        bulk::testing::AlterRtf(nullptr);
        DeleteFileA(path.c_str());
    }

    // File, Load and File, Save without their dialogs.
    void LoadNew(const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        form->New1Click(nullptr);
        form->loadfile(path);
    }
    std::string SaveAll()
    {
        form->Savefile(path, 0, form->WholeLength());
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::u16string Units()
    {
        const std::wstring units = form->RichEdit1->UnicodeText();
        return std::u16string(units.begin(), units.end());
    }

    TApplication application;
    TForm1* form = nullptr;
    std::string path;
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
        LoadNew(c.bytes);
        EXPECT_EQ(static_cast<int>(form->DocumentEncoding()), static_cast<int>(c.encoding));
        EXPECT_TRUE(Units() == c.held) << Utf8(Units());
        EXPECT_EQ(Hex(SaveAll()), Hex(c.bytes));
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
        LoadNew(unicode ? Utf8(Art) : std::string("ab\r\n"));
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

TEST_F(UnicodeDocumentTest, AFragmentThatBringsACharacterInWronglyCostsSpeedNotTheCharacter)
{
    // A control that reads \u as a best-fit byte, as the "A" window takes
    // Unicode sent as a message.
    bulk::testing::AlterRtf([](bulk::testing::Way way, std::string& rtf) {
        for (std::size_t at; way == bulk::testing::Way::In && (at = rtf.find("\\u9608?")) != std::string::npos;)
            rtf.replace(at, 7, "\\'a6");
    });
    const std::string bytes = Utf8(Art);
    LoadNew(bytes);
    EXPECT_TRUE(Units() == ArtHeld) << Utf8(Units());
    EXPECT_EQ(Hex(SaveAll()), Hex(bytes));
}

TEST_F(UnicodeDocumentTest, An8BitDocumentHoldingWhatTheAnsiCodePageCannotIsSavedAsUtf8)
{
    LoadNew("a\xE9\r\n");
    form->RichEdit1->SetSelectionStart(1);
    form->RichEdit1->SetSelectedUnicodeText(L"\u2588");
    EXPECT_EQ(Hex(SaveAll()), Hex("a\xE2\x96\x88\xC3\xA9\r\n"));
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
    LoadNew(bytes);
    EXPECT_EQ(static_cast<int>(form->DocumentEncoding()), static_cast<int>(Encoding::Ansi));
    EXPECT_EQ(Units().size(), 130u);
    EXPECT_EQ(Hex(SaveAll()), Hex(bytes));
}

}  // namespace
