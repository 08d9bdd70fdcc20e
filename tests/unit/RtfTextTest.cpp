#include "RtfText.h"

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
    const auto read = Flatten(ReadRuns(rtf));
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
    EXPECT_THROW(ReadRuns("{\\rtf1 {a}"), std::runtime_error);
    EXPECT_THROW(ReadRuns("{\\rtf1 a\\"), std::runtime_error);
    EXPECT_THROW(ReadRuns("{\\rtf1 \\'4"), std::runtime_error);
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
                const auto part = ReadRuns(writer.Take());
                runs.insert(runs.end(), part.begin(), part.end());
            }
        }
        const auto part = ReadRuns(writer.Take());
        runs.insert(runs.end(), part.begin(), part.end());
        const auto read = Flatten(runs);
        ASSERT_EQ(read.size(), expected.size()) << "round " << round;
        for (size_t i = 0; i < read.size(); ++i) {
            ASSERT_EQ(read[i].first, expected[i].first) << "round " << round << " at " << i;
            ASSERT_TRUE(read[i].second && *read[i].second == *expected[i].second) << "round " << round << " at " << i;
        }
    }
}

TEST(RtfTextTest, MatchingLeavesOutWhatTheRtfLacksAndRefusesWhatItAdds)
{
    const CharStyle s{true, false, 1, 2};
    const std::vector<RtfRun> runs = {{RtfStyle{true, false, 1, 2}, L"ab\r"}, {RtfStyle{}, L"c"}};
    const auto matched = MatchStyles(runs, L"a\x01" L"b\rc");
    ASSERT_TRUE(matched);
    ASSERT_EQ(matched->size(), 5u);
    EXPECT_TRUE((*matched)[0] && *(*matched)[0] == s);
    EXPECT_FALSE((*matched)[1]);  // left out by the RTF
    EXPECT_TRUE((*matched)[2] && (*matched)[3]);
    EXPECT_FALSE((*matched)[4]);  // automatic colours
    // The final paragraph mark may follow; nothing else may.
    const std::vector<RtfRun> line = {{RtfStyle{true, false, 1, 2}, L"ab\r"}};
    EXPECT_TRUE(MatchStyles(line, L"ab"));
    EXPECT_FALSE(MatchStyles(line, L"a"));
    EXPECT_FALSE(MatchStyles(runs, L"xyz"));
}

}  // namespace
