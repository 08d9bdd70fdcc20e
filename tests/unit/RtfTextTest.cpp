#include "RtfText.h"
#include "winlib/Strings.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace rtftext;

// Characters with their styles, one per unit, for comparing readings.
std::vector<std::pair<wchar_t, std::optional<CharStyle>>> Flatten(const std::vector<RtfRun>& runs)
{
    std::vector<std::pair<wchar_t, std::optional<CharStyle>>> out;
    for (const RtfRun& run : runs) {
        for (const wchar_t unit : run.text) {
            std::optional<CharStyle> style;
            if (run.style.text && run.style.back)
                style = CharStyle{run.style.bold, run.style.underline, *run.style.text, *run.style.back};
            out.emplace_back(unit, style);
        }
    }
    return out;
}

// What the control writes: header destinations, a colour table with the
// automatic entry first, hexadecimal and Unicode characters with their
// fallbacks, groups that restore the style, and every underline kind.
TEST(RtfTextTest, ReadsTheDocumentTextAndItsStyles)
{
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fcharset0 Fixedsys;}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}{\\*\\generator Wine;}"
        "\\pard\\b\\cf1\\highlight2 ab\\b0\\ul c\\tab\\'e9\\uc1\\u8364?{\\cf2 d}e\\par\r\n"
        "\\ulnone\\uldb f\\ul0 g\\plain h\\cf9 i\\cf1\\cb2 \\{\\}\\\\}";
    const CharStyle redOnBlue{false, false, 0x0000FF, 0xFF0000};
    CharStyle bold = redOnBlue;
    bold.bold = true;
    CharStyle under = redOnBlue;
    under.underline = true;
    CharStyle blueOnBlue = under;
    blueOnBlue.text = 0xFF0000;
    const auto read = Flatten(ReadRuns(rtf, winlib::DecodeCodePage));
    const std::vector<std::pair<wchar_t, std::optional<CharStyle>>> expected = {
        {L'a', bold}, {L'b', bold}, {L'c', under}, {L'\t', under}, {L'\xE9', under}, {0x20AC, under},
        {L'd', blueOnBlue}, {L'e', under}, {L'\r', under}, {L'f', under}, {L'g', redOnBlue},
        // \plain leaves the colours to the control, as does an index beyond the table.
        {L'h', std::nullopt}, {L'i', std::nullopt}, {L'{', redOnBlue}, {L'}', redOnBlue}, {L'\\', redOnBlue}};
    ASSERT_EQ(read.size(), expected.size());
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].first, expected[i].first) << i;
        EXPECT_EQ(read[i].second.has_value(), expected[i].second.has_value()) << i;
        if (read[i].second && expected[i].second) {
            EXPECT_TRUE(*read[i].second == *expected[i].second) << i;
        }
    }
    EXPECT_THROW(ReadRuns("{\\rtf1 {a}", winlib::DecodeCodePage), EMalformedRtf);
    EXPECT_THROW(ReadRuns("{\\rtf1 a\\", winlib::DecodeCodePage), EMalformedRtf);
    EXPECT_THROW(ReadRuns("{\\rtf1 \\'4", winlib::DecodeCodePage), EMalformedRtf);
    // Text in UTF-8 when the RTF says so, whatever code page it names after.
    const auto utf8 = ReadRuns("{\\urtf\\ansicpg1252 a\xE2\x96\x88\xC3\xA9\\'41}", winlib::DecodeCodePage);
    ASSERT_EQ(utf8.size(), 1u);
    EXPECT_EQ(utf8[0].text, L"a\x2588\xE9" L"A");
}

// Fragments read back as what was put in, whatever the bytes: styles stated
// only where they change and once again after each Take.
TEST(RtfTextTest, FragmentsReadBackAsWritten)
{
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        FragmentWriter writer(1252);
        std::vector<std::pair<wchar_t, std::optional<CharStyle>>> expected;
        std::string rtf;
        std::vector<RtfRun> runs;
        for (int step = 0, steps = 1 + static_cast<int>(random() % 40); step < steps; ++step) {
            const CharStyle style{random() % 2 == 0, random() % 3 == 0, random() % 4 * 0x3F3F3Fu,
                                  random() % 3 * 0x00FF00u};
            writer.SetStyle(style);
            if (random() % 7 == 0) {
                writer.Break();
                expected.emplace_back(L'\r', style);
            } else {
                char byte = static_cast<char>(random() % 128);
                if (byte == '\0' || byte == '\r' || byte == '\n')
                    byte = ' ';
                writer.Text(std::string_view(&byte, 1));
                expected.emplace_back(static_cast<wchar_t>(byte), style);
            }
            if (random() % 9 == 0) {
                const auto part = ReadRuns(writer.Take(), winlib::DecodeCodePage);
                runs.insert(runs.end(), part.begin(), part.end());
            }
        }
        const auto part = ReadRuns(writer.Take(), winlib::DecodeCodePage);
        runs.insert(runs.end(), part.begin(), part.end());
        const auto read = Flatten(runs);
        ASSERT_EQ(read.size(), expected.size()) << "round " << round;
        for (size_t i = 0; i < read.size(); ++i) {
            ASSERT_EQ(read[i].first, expected[i].first) << "round " << round << " at " << i;
            ASSERT_TRUE(read[i].second && *read[i].second == *expected[i].second) << "round " << round << " at " << i;
        }
    }
}

// A probe as a control might write it: letters in changing styles, a tab
// said in the style of the letter before it, a control character left out,
// a letter said twice. Only what was said in its place and in its own style
// is faithful.
TEST(RtfTextTest, ExaminingAProbeTrustsOnlyWhatWasSaidRightly)
{
    const CharStyle red{false, false, 0x0000FF, 0xFFFFFF}, boldBlue{true, false, 0xFF0000, 0x00FFFF},
        under{false, true, 0x000000, 0x00FF00};
    const std::vector<Held> held = {{L'a', red},     {L'b', boldBlue}, {L'\t', under}, {L'c', red},
                                    {L'\x01', under}, {L'd', boldBlue}, {L'x', red},    {L'e', under}};
    const std::vector<Said> said = {{L'a', red},  {L'b', boldBlue}, {L'\t', boldBlue}, {L'c', red},
                                    {L'd', boldBlue}, {L'x', red}, {L'x', red}, {L'e', under}, {L'\r', under}};
    const Faithful found = Examine(held, said, 2);
    EXPECT_TRUE(found.Styles());
    for (const wchar_t unit : {L'a', L'b', L'c', L'd', L'e'})
        EXPECT_TRUE(found.Character(unit)) << static_cast<int>(unit);
    EXPECT_FALSE(found.Character(L'\t'));    // in another style
    EXPECT_FALSE(found.Character(L'\x01'));  // left out
    EXPECT_FALSE(found.Character(L'x'));     // added
    EXPECT_FALSE(found.Character(L'z'));     // never seen
    EXPECT_TRUE(found.Text(0x0000FF) && found.Back(0x00FFFF) && found.Back(0x00FF00));
    EXPECT_FALSE(found.Text(0x00FFFF));  // seen only as a background

    // Any difference among the first (strict) positions: no style is trusted.
    std::vector<Said> wrongEarly = said;
    wrongEarly[1].style = red;
    const Faithful none = Examine(held, wrongEarly, 2);
    EXPECT_FALSE(none.Styles());
    EXPECT_FALSE(none.Character(L'a'));
    EXPECT_TRUE(Examine(held, wrongEarly, 1).Styles());
}

// A document matched against what a probe found: faithful units take the
// styles said for them, the others stay unknown; faithful text out of order
// or in excess refuses the whole reading.
TEST(RtfTextTest, MatchingTakesOnlyFaithfulStylesAndRefusesFaithfulTextOutOfPlace)
{
    const CharStyle s{true, false, 1, 2}, t{false, true, 3, 4};
    const Faithful faithful = Examine({{L'a', s}, {L'b', t}, {L'\r', t}, {L'c', s}, {L'\t', t}},
                                      {{L'a', s}, {L'b', t}, {L'\r', t}, {L'c', s}, {L'\t', s}}, 0);
    const auto style = [](const RtfStyle& r) { return r; };
    const std::vector<RtfRun> runs = {{style({true, false, 1, 2}), L"a\tb"},
                                      {style({false, true, 3, 4}), L"b\r"},
                                      {RtfStyle{}, L"c"},
                                      {style({true, false, 1, 9}), L"a"}};
    const auto matched = MatchStyles(runs, L"ab\tb\rca", faithful);
    ASSERT_TRUE(matched);
    ASSERT_EQ(matched->size(), 7u);
    EXPECT_TRUE((*matched)[0] && *(*matched)[0] == s);
    EXPECT_TRUE((*matched)[1] && *(*matched)[1] == s);  // b said with a's style, and b is faithful
    EXPECT_FALSE((*matched)[2]);                         // a tab, wherever the RTF put it
    EXPECT_TRUE((*matched)[3] && *(*matched)[3] == t);
    EXPECT_FALSE((*matched)[5]);  // automatic colours
    EXPECT_FALSE((*matched)[6]);  // a background never seen
    // The final paragraph mark may follow; nothing else may.
    const std::vector<RtfRun> line = {{style({true, false, 1, 2}), L"ab\r"}};
    EXPECT_TRUE(MatchStyles(line, L"ab", faithful));
    EXPECT_FALSE(MatchStyles(line, L"a", faithful));
    EXPECT_FALSE(MatchStyles(line, L"ba", faithful));
    EXPECT_FALSE(MatchStyles(line, L"aab", faithful));  // a left out where another a follows
    // Taken on trust, every unit must be in place.
    EXPECT_FALSE(MatchStyles(runs, L"ab\x01\tb\rca", Faithful::Everything()));
}

}  // namespace
