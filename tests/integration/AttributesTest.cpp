// The character and paragraph attribute objects against the real rich edit
// window: what each property sends, what it reads back, copying between
// fonts and attribute objects, and the failures.
#include "RichEditProbe.h"

#include "winlib/Exceptions.h"
#include "winlib/Graphics.h"

#include <gtest/gtest.h>

#include <string>

using namespace winlib;
using richtest::ProbeRichEdit;
using richtest::RichEditTest;

namespace {

class AttributesTest : public RichEditTest {
protected:
    void SetUp() override
    {
        RichEditTest::SetUp();
        SetContent("abcdefghij");
        Select(2, 5);
    }

    // The one character format the last write sent.
    CHARFORMAT2A LastSentFormat()
    {
        const auto sent = edit->SentOf(EM_SETCHARFORMAT);
        EXPECT_EQ(sent.size(), 1u);
        return sent.empty() ? CHARFORMAT2A{} : sent.back().charFormat;
    }

    PARAFORMAT LastSentParagraph()
    {
        const auto sent = edit->SentOf(EM_SETPARAFORMAT);
        EXPECT_FALSE(sent.empty());
        return sent.empty() ? PARAFORMAT{} : sent.back().paraFormat;
    }

    // Runs write with the probe recording.
    template <class Write>
    void Recorded(Write&& write)
    {
        edit->StartRecording();
        write();
        edit->StopRecording();
    }
};

std::string AssignError(TPersistent& dest, const TPersistent* source)
{
    try {
        dest.Assign(source);
    } catch (const EConvertError& error) {
        return error.Message();
    }
    return "no error";
}

}  // namespace

// ---------------------------------------------------- character attributes

TEST_F(AttributesTest, SizeIsSentInTwipsAndReadBackTruncated)
{
    Recorded([&] { edit->SelectionAttributes().SetSize(9); });
    const CHARFORMAT2A sent = LastSentFormat();
    EXPECT_EQ(sent.cbSize, 84u);
    EXPECT_EQ(sent.dwMask, static_cast<DWORD>(CFM_SIZE));
    EXPECT_EQ(sent.yHeight, 180);
    EXPECT_EQ(edit->SentOf(EM_SETCHARFORMAT)[0].wParam, static_cast<WPARAM>(SCF_SELECTION));
    EXPECT_EQ(edit->SelectionAttributes().Size(), 9);

    CHARFORMAT2A odd{};
    odd.dwMask = CFM_SIZE;
    odd.yHeight = 190;
    SetFormat(2, 5, odd);
    EXPECT_EQ(edit->SelectionAttributes().Size(), 9);
}

TEST_F(AttributesTest, WindowTextColourIsTheAutomaticColour)
{
    Recorded([&] { edit->SelectionAttributes().SetColor(clWindowText); });
    const CHARFORMAT2A sent = LastSentFormat();
    EXPECT_EQ(sent.dwMask, static_cast<DWORD>(CFM_COLOR));
    EXPECT_EQ(sent.dwEffects, static_cast<DWORD>(CFE_AUTOCOLOR));
    EXPECT_EQ(sent.crTextColor, 0u);
    EXPECT_EQ(edit->SelectionAttributes().Color(), clWindowText);

    edit->SelectionAttributes().SetColor(0x0000FF);
    EXPECT_EQ(edit->SelectionAttributes().Color(), 0x0000FFu);
    EXPECT_EQ(FormatOf(2, 5).crTextColor, 0x0000FFu);
    edit->SelectionAttributes().SetColor(clWindowText);
    EXPECT_EQ(edit->SelectionAttributes().Color(), clWindowText);
}

TEST_F(AttributesTest, OtherSystemColoursAreSentResolved)
{
    Recorded([&] { edit->SelectionAttributes().SetColor(clHighlight); });
    const CHARFORMAT2A sent = LastSentFormat();
    EXPECT_EQ(sent.dwEffects, 0u);
    EXPECT_EQ(sent.crTextColor, GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(edit->SelectionAttributes().Color(), GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(AttributesTest, LongFaceNameIsCutAndStaysTerminated)
{
    const std::string name40 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    ASSERT_EQ(name40.size(), 40u);
    Recorded([&] { edit->SelectionAttributes().SetName(name40); });
    const CHARFORMAT2A sent = LastSentFormat();
    EXPECT_EQ(sent.dwMask, static_cast<DWORD>(CFM_FACE));
    EXPECT_EQ(std::string(sent.szFaceName, 31), name40.substr(0, 31));
    EXPECT_EQ(sent.szFaceName[31], '\0');
    EXPECT_EQ(edit->SelectionAttributes().Name(), name40.substr(0, 31));

    edit->SelectionAttributes().SetName("Courier New");
    EXPECT_EQ(edit->SelectionAttributes().Name(), "Courier New");
    Recorded([&] { edit->SelectionAttributes().SetName("Arial"); });
    const CHARFORMAT2A shorter = LastSentFormat();
    EXPECT_EQ(std::string(shorter.szFaceName, sizeof shorter.szFaceName), std::string("Arial") + std::string(27, '\0'));
}

TEST_F(AttributesTest, StyleSetsAllFourEffects)
{
    CHARFORMAT2A styled{};
    styled.dwMask = CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    styled.dwEffects = CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT;
    SetFormat(2, 5, styled);
    EXPECT_EQ(edit->SelectionAttributes().Style(), (TFontStyles{fsItalic, fsUnderline, fsStrikeOut}));

    Recorded([&] { edit->SelectionAttributes().SetStyle({fsBold}); });
    const CHARFORMAT2A sent = LastSentFormat();
    EXPECT_EQ(sent.dwMask, 0xFu);
    EXPECT_EQ(sent.dwEffects, static_cast<DWORD>(CFE_BOLD));
    EXPECT_EQ(edit->SelectionAttributes().Style(), TFontStyles{fsBold});
    const CHARFORMAT2A now = FormatOf(2, 5);
    EXPECT_EQ(now.dwEffects & (CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT), 0u);
}

TEST_F(AttributesTest, CharsetIsWrittenAndRead)
{
    Recorded([&] { edit->SelectionAttributes().SetCharset(SYMBOL_CHARSET); });
    const CHARFORMAT2A sent = LastSentFormat();
    EXPECT_EQ(sent.dwMask, static_cast<DWORD>(CFM_CHARSET));
    EXPECT_EQ(sent.bCharSet, SYMBOL_CHARSET);
    EXPECT_EQ(edit->SelectionAttributes().Charset(), SYMBOL_CHARSET);
}

TEST_F(AttributesTest, PitchReadsTheLowBitsAndItsWriteChangesNothing)
{
    CHARFORMAT2A fixed{};
    fixed.dwMask = CFM_FACE;
    fixed.bPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::strcpy(fixed.szFaceName, "Courier New");
    SetFormat(2, 5, fixed);
    EXPECT_EQ(edit->SelectionAttributes().Pitch(), fpFixed);

    Recorded([&] { edit->SelectionAttributes().SetPitch(fpVariable); });
    const CHARFORMAT2A sent = LastSentFormat();
    EXPECT_EQ(sent.dwMask, 0u);
    EXPECT_EQ(sent.bPitchAndFamily, VARIABLE_PITCH);
    EXPECT_EQ(edit->SelectionAttributes().Pitch(), fpFixed);
    EXPECT_EQ(edit->SelectionAttributes().Name(), "Courier New");
}

TEST_F(AttributesTest, DefaultAttributesAddressTheDefaultFormat)
{
    Recorded([&] { edit->DefaultAttributes().SetSize(14); });
    const auto sent = edit->SentOf(EM_SETCHARFORMAT);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].wParam, 0u);
    EXPECT_EQ(edit->DefaultAttributes().Size(), 14);
    CHARFORMAT2A defaults{};
    defaults.cbSize = sizeof defaults;
    SendMessageA(Window(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&defaults));
    EXPECT_EQ(defaults.yHeight, 280);
}

TEST_F(AttributesTest, AFontIsCopiedPropertyByPropertyInOrder)
{
    TFont font;
    font.SetName("Courier New");
    font.SetSize(12);
    font.SetStyle({fsBold, fsUnderline});
    font.SetCharset(ANSI_CHARSET);
    font.SetColor(0x008000);
    font.SetPitch(fpFixed);
    Recorded([&] { edit->SelectionAttributes().Assign(&font); });
    const auto sent = edit->SentOf(EM_SETCHARFORMAT);
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[0].charFormat.dwMask, static_cast<DWORD>(CFM_COLOR));
    EXPECT_EQ(sent[1].charFormat.dwMask, static_cast<DWORD>(CFM_FACE));
    EXPECT_EQ(sent[2].charFormat.dwMask, static_cast<DWORD>(CFM_CHARSET));
    EXPECT_EQ(sent[3].charFormat.dwMask, 0xFu);
    EXPECT_EQ(sent[4].charFormat.dwMask, static_cast<DWORD>(CFM_SIZE));
    EXPECT_EQ(sent[4].charFormat.yHeight, font.Size() * 20);
    EXPECT_EQ(sent[5].charFormat.dwMask, 0u);
    EXPECT_EQ(sent[5].charFormat.bPitchAndFamily, FIXED_PITCH);

    TText2Attributes& attributes = edit->SelectionAttributes();
    EXPECT_EQ(attributes.Name(), "Courier New");
    EXPECT_EQ(attributes.Size(), font.Size());
    EXPECT_EQ(attributes.Style(), (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(attributes.Color(), 0x008000u);
}

TEST_F(AttributesTest, CopyingBetweenAttributeObjectsLeavesTheSizeAlone)
{
    CHARFORMAT2A source{};
    source.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_COLOR;
    source.dwEffects = CFE_BOLD;
    source.yHeight = 400;
    source.crTextColor = 0x00FF00;
    std::strcpy(source.szFaceName, "Courier New");
    SetFormat(2, 5, source);
    edit->DefaultAttributes().SetSize(10);

    Recorded([&] { edit->DefaultAttributes().Assign(&edit->SelectionAttributes()); });
    for (const auto& m : edit->SentOf(EM_SETCHARFORMAT)) {
        EXPECT_EQ(m.wParam, 0u);
        EXPECT_EQ(m.charFormat.dwMask & CFM_SIZE, 0u);
    }
    EXPECT_EQ(edit->SentOf(EM_SETCHARFORMAT).size(), 5u);
    EXPECT_EQ(edit->DefaultAttributes().Size(), 10);
    EXPECT_EQ(edit->DefaultAttributes().Name(), "Courier New");
    EXPECT_EQ(edit->DefaultAttributes().Color(), 0x00FF00u);
    EXPECT_EQ(edit->DefaultAttributes().Style(), TFontStyles{fsBold});
}

TEST_F(AttributesTest, AFontTakesTheAttributes)
{
    CHARFORMAT2A source{};
    source.dwMask = CFM_FACE | CFM_SIZE | CFM_ITALIC | CFM_COLOR | CFM_CHARSET;
    source.dwEffects = CFE_ITALIC;
    source.yHeight = 280;
    source.crTextColor = 0x123456;
    source.bCharSet = ANSI_CHARSET;
    std::strcpy(source.szFaceName, "Courier New");
    SetFormat(2, 5, source);

    TFont font;
    font.Assign(&edit->SelectionAttributes());
    EXPECT_EQ(font.Name(), "Courier New");
    EXPECT_EQ(font.Size(), 14);
    EXPECT_EQ(font.Style(), TFontStyles{fsItalic});
    EXPECT_EQ(font.Color(), 0x123456u);
    EXPECT_EQ(font.Charset(), ANSI_CHARSET);
}

TEST_F(AttributesTest, UnrelatedClassesCannotBeAssignedAndNothingIsSent)
{
    TBrush brush;
    edit->StartRecording();
    EXPECT_EQ(AssignError(edit->SelectionAttributes(), nullptr), "Cannot assign a nil to a TText2Attributes");
    EXPECT_EQ(AssignError(edit->SelectionAttributes(), &brush), "Cannot assign a TBrush to a TText2Attributes");
    EXPECT_EQ(AssignError(edit->SelectionAttributes(), &edit->ParagraphAttributes()),
              "Cannot assign a TPara2Attributes to a TText2Attributes");
    EXPECT_EQ(AssignError(edit->ParagraphAttributes(), &edit->SelectionAttributes()),
              "Cannot assign a TText2Attributes to a TPara2Attributes");
    EXPECT_EQ(AssignError(edit->ParagraphAttributes(), nullptr), "Cannot assign a nil to a TPara2Attributes");
    EXPECT_EQ(AssignError(brush, &edit->SelectionAttributes()), "Cannot assign a TText2Attributes to a TBrush");
    edit->StopRecording();
    EXPECT_FALSE(edit->Received(EM_SETCHARFORMAT));
    EXPECT_FALSE(edit->Received(EM_SETPARAFORMAT));
}

TEST(AttributesWithoutWindow, ReadZeroAndWriteNothingAndMakeNoWindow)
{
    TApplication application;
    application.Initialize();
    auto* form = new TForm(&application);
    auto* edit = new TRich2Edit(form);
    edit->SetParent(form);
    ASSERT_FALSE(edit->HandleAllocated());
    TText2Attributes& text = edit->SelectionAttributes();
    text.SetSize(20);
    text.SetName("Arial");
    text.SetStyle({fsBold});
    text.Assign(&edit->Font());
    EXPECT_EQ(text.Size(), 0);
    EXPECT_EQ(text.Name(), "");
    EXPECT_TRUE(text.Style().Empty());
    EXPECT_EQ(text.Color(), 0u);
    EXPECT_EQ(text.Charset(), 0);
    EXPECT_EQ(text.Pitch(), fpDefault);
    TPara2Attributes& paragraph = edit->ParagraphAttributes();
    paragraph.SetLeftIndent(30);
    paragraph.SetTab(2, 40);
    EXPECT_EQ(paragraph.LeftIndent(), 0);
    EXPECT_EQ(paragraph.FirstIndent(), 0);
    EXPECT_EQ(paragraph.RightIndent(), 0);
    EXPECT_EQ(paragraph.Numbering(), nsNone);
    EXPECT_EQ(paragraph.Tab(2), 0);
    EXPECT_EQ(paragraph.Alignment(), taLeftJustify);
    EXPECT_FALSE(edit->HandleAllocated());
}

// ---------------------------------------------------- paragraph attributes

TEST_F(AttributesTest, AlignmentAndIndentsAreSentInTwips)
{
    Recorded([&] { edit->ParagraphAttributes().SetAlignment(taCenter); });
    PARAFORMAT sent = LastSentParagraph();
    EXPECT_EQ(sent.cbSize, 156u);
    EXPECT_EQ(sent.dwMask, static_cast<DWORD>(PFM_ALIGNMENT));
    EXPECT_EQ(sent.wAlignment, PFA_CENTER);
    EXPECT_EQ(edit->ParagraphAttributes().Alignment(), taCenter);
    edit->ParagraphAttributes().SetAlignment(taRightJustify);
    EXPECT_EQ(edit->ParagraphAttributes().Alignment(), taRightJustify);

    Recorded([&] { edit->ParagraphAttributes().SetFirstIndent(5); });
    sent = LastSentParagraph();
    EXPECT_EQ(sent.dwMask, static_cast<DWORD>(PFM_STARTINDENT));
    EXPECT_EQ(sent.dxStartIndent, 100);
    Recorded([&] { edit->ParagraphAttributes().SetLeftIndent(7); });
    sent = LastSentParagraph();
    EXPECT_EQ(sent.dwMask, static_cast<DWORD>(PFM_OFFSET));
    EXPECT_EQ(sent.dxOffset, 140);
    Recorded([&] { edit->ParagraphAttributes().SetRightIndent(3); });
    sent = LastSentParagraph();
    EXPECT_EQ(sent.dwMask, static_cast<DWORD>(PFM_RIGHTINDENT));
    EXPECT_EQ(sent.dxRightIndent, 60);
    EXPECT_EQ(edit->ParagraphAttributes().FirstIndent(), 5);
    EXPECT_EQ(edit->ParagraphAttributes().LeftIndent(), 7);
    EXPECT_EQ(edit->ParagraphAttributes().RightIndent(), 3);

    PARAFORMAT odd{};
    odd.cbSize = sizeof odd;
    odd.dwMask = PFM_OFFSET;
    odd.dxOffset = 219;
    SendMessageA(Window(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&odd));
    EXPECT_EQ(edit->ParagraphAttributes().LeftIndent(), 10);
}

TEST_F(AttributesTest, ATabStopJoinsTheStopsThereAre)
{
    Recorded([&] { edit->ParagraphAttributes().SetTab(3, 36); });
    PARAFORMAT sent = LastSentParagraph();
    EXPECT_EQ(sent.dwMask, static_cast<DWORD>(PFM_TABSTOPS));
    EXPECT_EQ(sent.rgxTabs[3], 720);
    EXPECT_EQ(sent.cTabCount, 4);
    EXPECT_EQ(edit->ParagraphAttributes().Tab(3), 36);

    edit->ParagraphAttributes().SetTab(5, 60);
    PARAFORMAT now{};
    now.cbSize = sizeof now;
    SendMessageA(Window(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&now));
    ASSERT_EQ(now.cTabCount, 6);
    Recorded([&] { edit->ParagraphAttributes().SetTab(3, 40); });
    sent = LastSentParagraph();
    EXPECT_EQ(sent.cTabCount, 6);
    EXPECT_EQ(sent.rgxTabs[3], 800);
    EXPECT_EQ(sent.rgxTabs[5], 1200);
    EXPECT_EQ(edit->ParagraphAttributes().Tab(5), 60);

    EXPECT_THROW(edit->ParagraphAttributes().SetTab(32, 1), EInvalidOperation);
    EXPECT_THROW(edit->ParagraphAttributes().Tab(-1), EInvalidOperation);
}

TEST_F(AttributesTest, BulletsMakeRoomFirstAndPlainParagraphsDropTheIndent)
{
    edit->ParagraphAttributes().SetLeftIndent(4);
    Recorded([&] { edit->ParagraphAttributes().SetNumbering(nsBullet); });
    auto sent = edit->SentOf(EM_SETPARAFORMAT);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].paraFormat.dwMask, static_cast<DWORD>(PFM_OFFSET));
    EXPECT_EQ(sent[0].paraFormat.dxOffset, 200);
    EXPECT_EQ(sent[1].paraFormat.dwMask, static_cast<DWORD>(PFM_NUMBERING));
    EXPECT_EQ(sent[1].paraFormat.wNumbering, PFN_BULLET);
    EXPECT_EQ(edit->ParagraphAttributes().Numbering(), nsBullet);
    EXPECT_EQ(edit->ParagraphAttributes().LeftIndent(), 10);

    // Enough room already: no indent is sent.
    edit->ParagraphAttributes().SetLeftIndent(15);
    Recorded([&] { edit->ParagraphAttributes().SetNumbering(nsBullet); });
    EXPECT_EQ(edit->SentOf(EM_SETPARAFORMAT).size(), 1u);
    EXPECT_EQ(edit->ParagraphAttributes().LeftIndent(), 15);

    Recorded([&] { edit->ParagraphAttributes().SetNumbering(nsNone); });
    sent = edit->SentOf(EM_SETPARAFORMAT);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].paraFormat.dxOffset, 0);
    EXPECT_EQ(edit->ParagraphAttributes().Numbering(), nsNone);
    EXPECT_EQ(edit->ParagraphAttributes().LeftIndent(), 0);
}

TEST_F(AttributesTest, CopyingAParagraphTakesItsPropertiesAndTabs)
{
    SetContent("first\rsecond");
    Select(0, 0);
    TPara2Attributes& paragraph = edit->ParagraphAttributes();
    paragraph.SetAlignment(taCenter);
    paragraph.SetFirstIndent(6);
    paragraph.SetRightIndent(2);
    paragraph.SetLeftIndent(3);
    paragraph.SetNumbering(nsBullet);
    paragraph.SetTab(0, 12);
    paragraph.SetTab(1, 24);

    // A second control's paragraph takes the first one's.
    auto* other = new ProbeRichEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 220, 300, 60);
    SetWindowTextA(other->Handle(), "other");
    other->ParagraphAttributes().Assign(&paragraph);
    TPara2Attributes& copy = other->ParagraphAttributes();
    EXPECT_EQ(copy.Alignment(), taCenter);
    EXPECT_EQ(copy.FirstIndent(), 6);
    EXPECT_EQ(copy.RightIndent(), 2);
    EXPECT_EQ(copy.Numbering(), nsBullet);
    EXPECT_GE(copy.LeftIndent(), 10);
    EXPECT_EQ(copy.Tab(0), 12);
    EXPECT_EQ(copy.Tab(1), 24);

    // From a plain paragraph the left indent goes.
    Select(7, 7);
    paragraph.SetLeftIndent(8);
    ASSERT_EQ(paragraph.Numbering(), nsNone);
    other->ParagraphAttributes().Assign(&paragraph);
    EXPECT_EQ(copy.LeftIndent(), 0);
    EXPECT_EQ(copy.Numbering(), nsNone);
}
