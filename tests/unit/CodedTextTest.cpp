#include "CodedText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

namespace codedtext {
// Readable failure output for the style types.
void PrintTo(const CharStyle& s, std::ostream* os)
{
    *os << (s.bold ? "B" : "-") << (s.underline ? "U" : "-") << std::hex << " text=0x" << s.text
        << " back=0x" << s.back << std::dec;
}
void PrintTo(const StyledChar& c, std::ostream* os)
{
    *os << "'\\x" << std::hex << (static_cast<unsigned>(c.ch) & 0xFF) << std::dec << "' ";
    PrintTo(c.style, os);
}
} // namespace codedtext

namespace {

using namespace codedtext;

constexpr Color Red = 0x0000FF, Blue = 0xFF0000, Yellow = 0x00FFFF, Green = 0x008000;
constexpr Color Black = 0x000000, White = 0xFFFFFF, Navy = 0x800000;
constexpr Color Unset = 0x00123456; // in no palette: shows a colour left alone

CharStyle Style(Color text, Color back, bool bold = false, bool underline = false)
{
    return CharStyle{bold, underline, text, back};
}

std::vector<StyledChar> Chars(std::string_view text, const CharStyle& style)
{
    std::vector<StyledChar> out;
    for (char c : text)
        out.push_back(StyledChar{c, style});
    return out;
}

std::vector<StyledChar> operator+(std::vector<StyledChar> a, const std::vector<StyledChar>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The walked positions through one Encoder, as Savefile feeds it: a NUL
// stands for a position where the control selected nothing.
std::string Encode(const std::vector<StyledChar>& positions)
{
    Encoder encoder(DefaultPalette);
    for (const StyledChar& p : positions)
        encoder.Add(p.style, p.ch == '\0' ? std::string_view() : std::string_view(&p.ch, 1));
    return encoder.Take();
}

std::string Codes(CodeWriter& writer, const CharStyle& style)
{
    std::string codes;
    writer.AppendCodes(style, codes);
    return codes;
}

TEST(CodedTextPalette, IndexofGivesTwoDigitCodesOrMinusOne)
{
    EXPECT_EQ(DefaultPalette[10], 0x808040u);
    EXPECT_EQ(Indexof(DefaultPalette, 0xFFFFFF), "00");
    EXPECT_EQ(Indexof(DefaultPalette, 0x000000), "01");
    EXPECT_EQ(Indexof(DefaultPalette, 0x808040), "10");
    EXPECT_EQ(Indexof(DefaultPalette, 0xC0C0C0), "15");
    EXPECT_EQ(Indexof(DefaultPalette, 0x008080), "-1");
    EXPECT_EQ(Indexof(DefaultPalette, 0x80000008), "-1");
    for (int i = 0; i < 16; ++i) // the palette as designed has no duplicates
        EXPECT_EQ(std::stoi(Indexof(DefaultPalette, DefaultPalette[i])), i);

    Palette twice = DefaultPalette;
    twice[12] = twice[7];
    EXPECT_EQ(Indexof(twice, twice[7]), "07");
}

TEST(CodedTextGetcolors, ReadsEveryFormOfColourCode)
{
    struct Row { std::string_view spec; int text, back, consumed; }; // -1: left alone
    const Row rows[] = {
        {"04,00", 4, 0, 5},  {"04,1a", 4, 1, 4},  {"04,x1", 4, -1, 2}, {"04,", 4, -1, 2},
        {"04x12", 4, -1, 2}, {"123", 12, -1, 2},  {"4,12", 4, 12, 4},  {"4,12x", 4, 12, 4},
        {"4,1x", 4, 1, 3},   {"4,x", 4, -1, 1},   {"4a", 4, -1, 1},    {"4", 4, -1, 1},
        {"99", 3, -1, 2},    {"16", 0, -1, 2},    {"31,47", 15, 15, 5}, {"04,001", 4, 0, 5},
        {"", -1, -1, -7},    {",05", -1, -1, -7}, {"-1,00", -1, -1, -7}, {" 4,00", -1, -1, -7},
    };
    Palette numbered{}; // a palette of its own shows which one is read
    for (int i = 0; i < 16; ++i)
        numbered[i] = 0x100 + i;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.spec));
        Color text = Unset, back = Unset;
        int consumed = -7;
        getcolors(numbered, row.spec, text, back, consumed);
        EXPECT_EQ(text, row.text < 0 ? Unset : numbered[row.text]);
        EXPECT_EQ(back, row.back < 0 ? Unset : numbered[row.back]);
        EXPECT_EQ(consumed, row.consumed);
    }
}

TEST(CodedTextDecode, ColourCodesSetColoursAndLeaveTheRestAsText)
{
    const CharStyle plain = LineStartStyle;
    auto decode = [](std::string_view line) { return DecodeLine(DefaultPalette, line).chars; };
    EXPECT_EQ(decode("\x03" "4a"), Chars("a", Style(Red, White)));
    EXPECT_EQ(decode("\x03" "4,12x"), Chars("x", Style(Red, Blue)));
    EXPECT_EQ(decode("\x03" "04,1a"), Chars("a", Style(Red, Black)));
    EXPECT_EQ(decode("\x03" "99z"), Chars("z", Style(Green, White)));
    EXPECT_EQ(decode("\x03" "16z"), Chars("z", Style(White, White)));
    EXPECT_EQ(decode("\x03" "123"), Chars("3", Style(Blue, White)));
    EXPECT_EQ(decode("\x03,05"), Chars(",05", plain));
    EXPECT_EQ(decode("\x03" "04,08a\x03" "02b"),
              Chars("a", Style(Red, Yellow)) + Chars("b", Style(Navy, Yellow)));
    // What the writer makes of colours outside the palette does not come back.
    EXPECT_EQ(decode("\x03-1,00a"), Chars("-1,00a", plain));
    EXPECT_EQ(decode("\x03" "04,-1a"), Chars(",-1a", Style(Red, White)));

    const DecodedLine tail = DecodeLine(DefaultPalette, "x\x02\x03" "04");
    EXPECT_EQ(tail.chars, Chars("x", plain));
    EXPECT_EQ(tail.endStyle, Style(Red, White, true));
    EXPECT_EQ(DecodeLine(DefaultPalette, "a\x03").endStyle, plain);
    // A line that is a view into a larger buffer ends where the view ends.
    EXPECT_EQ(DecodeLine(DefaultPalette, std::string_view("a\x03" "04,08", 2)).endStyle, plain);
}

TEST(CodedTextDecode, TogglesAndOrdinaryBytes)
{
    auto decode = [](std::string_view line) { return DecodeLine(DefaultPalette, line).chars; };
    EXPECT_EQ(decode("\x02\x02x"), Chars("x", LineStartStyle));
    EXPECT_EQ(decode("\x02" "a\x1f" "b\x02" "c"),
              Chars("a", Style(Black, White, true)) + Chars("b", Style(Black, White, true, true)) +
                  Chars("c", Style(Black, White, false, true)));
    const std::string bytes("a\0\x0f\x16\n\xa0\xff", 7); // NUL and other control bytes are text
    EXPECT_EQ(decode(bytes), Chars(bytes, LineStartStyle));
    EXPECT_TRUE(decode("").empty());
    EXPECT_TRUE(decode("\x02\x1f\x03").empty());
}

TEST(CodedTextWriter, CodesOnlyWhereTheStyleChanges)
{
    CodeWriter writer(DefaultPalette);
    EXPECT_EQ(Codes(writer, Style(Black, White)), "");
    EXPECT_EQ(Codes(writer, Style(Red, White, true, true)), "\x02\x1f\x03" "04,00");
    EXPECT_EQ(Codes(writer, Style(Red, White, true, true)), "");
    EXPECT_EQ(Codes(writer, Style(Red, Yellow, true, true)), "\x03" "04,08"); // both indices
    EXPECT_EQ(Codes(writer, Style(Unset, White, false, true)), "\x02\x03-1,00");
    EXPECT_EQ(Codes(writer, Style(Red, 0x80000005, false, true)), "\x03" "04,-1");
    writer.Reset();
    EXPECT_EQ(writer.Running(), Style(Black, White));

    Palette own = DefaultPalette; // the writer's line start follows the palette
    own[1] = Navy;
    CodeWriter navy(own);
    EXPECT_EQ(Codes(navy, Style(Navy, White)), "");
    EXPECT_EQ(Codes(navy, Style(Black, White)), "\x03-1,00");
}

TEST(CodedTextWriter, EncodesLinesLikeTheFileWriter)
{
    const CharStyle plain = Style(Black, White), bold = Style(Black, White, true);
    const CharStyle redWhite = Style(Red, White), redYellow = Style(Red, Yellow);
    EXPECT_EQ(Encode({}), "");
    EXPECT_EQ(Encode(Chars("ab\rcd", plain)), "ab\r\ncd");
    EXPECT_EQ(Encode(Chars("ab\rcd\r", plain)), "ab\r\ncd\r\n");
    EXPECT_EQ(Encode(Chars("\r", plain)), "\r\n");

    const auto ab = Chars("a", redWhite) + Chars("b", redYellow);
    EXPECT_EQ(Encode(ab + Chars("\r", redYellow)),
              "\x03" "04,00a\x03" "04,08b\r\n");
    EXPECT_EQ(Encode(ab + Chars("\r", plain)),
              "\x03" "04,00a\x03" "04,08b\x03" "01,00\r\n");

    EXPECT_EQ(Encode(Chars("abc", bold) + Chars("\r", plain)), "\x02" "abc\x02\r\n");
    EXPECT_EQ(Encode(Chars("a\rb", bold)), "\x02" "a\r\n\x02" "b");
    // An LF adds nothing and ends no line, but its style is compared.
    EXPECT_EQ(Encode(Chars("a", plain) + Chars("\n", redWhite) + Chars("b", plain)),
              "a\x03" "04,00\x03" "01,00b");
    // Positions past the end select nothing; their codes stay in the tail line.
    EXPECT_EQ(Encode(Chars("a\r", plain) + Chars(std::string(2, '\0'), bold)),
              "a\r\n\x02");

    Encoder encoder(DefaultPalette);
    EXPECT_FALSE(encoder.Add(redWhite, "xy"));
    EXPECT_TRUE(encoder.Add(plain, "\r"));
    EXPECT_EQ(encoder.Take(), "\x03" "04,00xy\x03" "01,00\r\n");
    EXPECT_FALSE(encoder.Add(plain, ""));
    EXPECT_EQ(encoder.Text(), "");
}

TEST(CodedTextRoundTrip, DecodingWhatWasEncodedGivesBackEveryStyle)
{
    // Every pair of palette colours with every toggle, digits and commas as
    // text right after the codes, a paragraph break every seventh position.
    std::vector<StyledChar> document, expected;
    for (unsigned i = 0; i < 16 * 16 * 4; ++i) {
        const CharStyle style{(i & 1) != 0, (i & 2) != 0, DefaultPalette[(i >> 2) % 16],
                              DefaultPalette[i >> 6]};
        document.push_back({i % 7 == 6 ? '\r' : "7,0-x"[i % 5], style});
        if (document.back().ch != '\r')
            expected.push_back(document.back());
    }
    const std::string coded = Encode(document);
    std::vector<StyledChar> decoded;
    for (std::size_t start = 0; start < coded.size();) {
        const std::size_t end = (std::min)(coded.find("\r\n", start), coded.size());
        const auto chars = DecodeLine(DefaultPalette, coded.substr(start, end - start)).chars;
        decoded.insert(decoded.end(), chars.begin(), chars.end());
        start = end + 2;
    }
    EXPECT_EQ(decoded, expected);
}

TEST(CodedTextRoundTrip, WritersFormSurvivesDecodeAndEncode)
{
    for (std::string_view line : {"plain", "\x02\x1f\x03" "04,00a\x02\x03" "04,08b",
                                  "x\x03" "12,1399\x1f" "9"}) {
        const DecodedLine decoded = DecodeLine(DefaultPalette, line);
        // The break takes the style of the character before it.
        EXPECT_EQ(Encode(decoded.chars + Chars("\r", decoded.chars.back().style)),
                  std::string(line) + "\r\n");
    }
}

} // namespace
