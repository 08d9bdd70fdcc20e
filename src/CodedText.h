// The syntax of coded text: 8-bit text whose styling (bold, underline, text
// and background colour) travels as in-band control bytes. Nothing here
// touches a window, so the format can be tested and fuzzed on its own; the
// main window's loadfile and Savefile feed it what the rich text control holds.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace codedtext {

// COLORREF layout 0x00BBGGRR; system colours have the top bit set.
using Color = std::uint32_t;
using Palette = std::array<Color, 16>;

// The palette bar as the main window is designed, index = two-digit code.
constexpr Palette DefaultPalette = {
    0x00FFFFFF, // 00 white
    0x00000000, // 01 black
    0x00800000, // 02 navy
    0x00008000, // 03 green
    0x000000FF, // 04 red
    0x00000080, // 05 maroon
    0x00800080, // 06 purple
    0x000080FF, // 07 orange
    0x0000FFFF, // 08 yellow
    0x0000FF00, // 09 lime
    0x00808040, // 10 teal
    0x00FFFF00, // 11 aqua
    0x00FF0000, // 12 blue
    0x00FF00FF, // 13 fuchsia
    0x00808080, // 14 gray
    0x00C0C0C0, // 15 silver
};

constexpr char BoldCode = '\x02';
constexpr char UnderlineCode = '\x1F';
constexpr char ColorCode = '\x03';

// The reader starts every line with these fixed values, whatever the palette.
constexpr Color LineStartText = 0x000000;
constexpr Color LineStartBack = 0xFFFFFF;

// Characters after a ColorCode that a colour field can span.
constexpr std::size_t ColorSpecLength = 5;

struct CharStyle {
    bool bold = false;
    bool underline = false;
    Color text = LineStartText;
    Color back = LineStartBack;
};

constexpr bool operator==(const CharStyle& a, const CharStyle& b)
{
    return a.bold == b.bold && a.underline == b.underline && a.text == b.text && a.back == b.back;
}
constexpr bool operator!=(const CharStyle& a, const CharStyle& b) { return !(a == b); }

// The reader's running style at the start of each line.
constexpr CharStyle LineStartStyle{false, false, LineStartText, LineStartBack};

// The writer's running style at the start of each line: it takes the colours
// from the palette (entry 1 on entry 0) rather than fixed values.
constexpr CharStyle WriterLineStartStyle(const Palette& palette)
{
    return CharStyle{false, false, palette[1], palette[0]};
}

// One character with its style: a byte of 8-bit text, or a UTF-16 unit of
// Unicode text.
template <class Char>
struct BasicStyledChar {
    Char ch = 0;
    CharStyle style;
};

template <class Char>
constexpr bool operator==(const BasicStyledChar<Char>& a, const BasicStyledChar<Char>& b)
{
    return a.ch == b.ch && a.style == b.style;
}
template <class Char>
constexpr bool operator!=(const BasicStyledChar<Char>& a, const BasicStyledChar<Char>& b)
{
    return !(a == b);
}

using StyledChar = BasicStyledChar<char>;

// The two-digit palette code of a colour ("00".."15", lowest index wins), or
// "-1" when the colour is not in the palette.
std::string Indexof(const Palette& palette, Color color);

// Parses the colour field that follows a ColorCode: spec holds the up
// to five characters after the code (more are ignored). Sets textColor and
// backColor only for the indices found; indices above 15 fold modulo 16.
// consumed receives how many characters of spec form the code (1..5), and is
// left as it was when spec does not start with a digit.
void getcolors(const Palette& palette, std::string_view spec, Color& textColor,
               Color& backColor, int& consumed);

struct DecodedLine {
    // Every ordinary byte of the line, in order, NUL included, in the style in
    // force where it stood. Control bytes and colour digits are not in it.
    std::vector<StyledChar> chars;
    // The running style after the last byte of the line.
    CharStyle endStyle;
};

// Decodes one line of coded text, its line end already removed.
DecodedLine DecodeLine(const Palette& palette, std::string_view line);

// Decodes one line of characters (bytes, or UTF-16 units) as DecodeLine
// does, handing each character to each as it is found, so that nothing of a
// long line is kept; returns the end style. The codes, digits and comma are
// ASCII in either: any other unit is an ordinary character.
template <class Char, class Each>
CharStyle DecodeCharsTo(const Palette& palette, std::basic_string_view<Char> line, Each&& each)
{
    CharStyle running = LineStartStyle;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const Char c = line[i];
        if (c == static_cast<Char>(BoldCode)) {
            running.bold = !running.bold;
        } else if (c == static_cast<Char>(UnderlineCode)) {
            running.underline = !running.underline;
        } else if (c == static_cast<Char>(ColorCode)) {
            // The field's ASCII; a unit beyond it is neither digit nor comma.
            char spec[ColorSpecLength];
            const std::size_t length = (std::min)(ColorSpecLength, line.size() - i - 1);
            for (std::size_t k = 0; k < length; ++k) {
                const auto unit = static_cast<std::make_unsigned_t<Char>>(line[i + 1 + k]);
                spec[k] = unit < 0x80 ? static_cast<char>(unit) : '\x7F';
            }
            int consumed = 0;
            getcolors(palette, std::string_view(spec, length), running.text, running.back, consumed);
            // Skipping the digits is the same walk as deleting them from the line.
            i += static_cast<std::size_t>(consumed);
        } else {
            each(BasicStyledChar<Char>{c, running});
        }
    }
    return running;
}

template <class Each>
CharStyle DecodeLineTo(const Palette& palette, std::string_view line, Each&& each)
{
    return DecodeCharsTo<char>(palette, line, std::forward<Each>(each));
}

template <class Each>
CharStyle DecodeLineTo(const Palette& palette, std::u16string_view line, Each&& each)
{
    return DecodeCharsTo<char16_t>(palette, line, std::forward<Each>(each));
}

// Produces the codes that bring the running style to a character's style:
// bold toggle, underline toggle, then one colour code with both indices, each
// only where that part differs.
class CodeWriter {
public:
    explicit CodeWriter(const Palette& palette);

    // Appends the codes for style to out; style becomes the running style.
    void AppendCodes(const CharStyle& style, std::string& out);
    // The same codes as UTF-16 units, for Unicode text.
    void AppendCodes(const CharStyle& style, std::u16string& out);

    // Back to the writer's line start style, as after a paragraph break.
    void Reset();

    const CharStyle& Running() const noexcept { return running_; }
    const Palette& GetPalette() const noexcept { return palette_; }

private:
    Palette palette_;
    CharStyle running_;
};

// What a walked position's selected text reduces to, for Encoder::Add.
constexpr char ParagraphBreak = '\r';
constexpr char LineFeed = '\n';

// Builds coded text from the positions the writer walks, one at a time: every
// position's style goes through the code comparison first; then a paragraph
// break ends the line with CR LF and resets the style, an LF adds nothing and
// ends no line, and anything else is appended as it is. The text after the last
// paragraph break stays without a line end. Char is char for 8-bit text and
// char16_t for Unicode text, whose codes are the same ASCII as UTF-16 units.
template <class Char>
class BasicEncoder {
public:
    using String = std::basic_string<Char>;
    using View = std::basic_string_view<Char>;

    explicit BasicEncoder(const Palette& palette);

    // style and selected text of one position (empty where the control
    // selected nothing); true when it ended a line.
    bool Add(const CharStyle& style, View selectedText);

    // The coded text produced since the last Take.
    const String& Text() const noexcept { return text_; }
    String Take();

private:
    CodeWriter writer_;
    String text_;
};

// Both are built in CodedText.cpp; no other character type is.
extern template class BasicEncoder<char>;
extern template class BasicEncoder<char16_t>;

using Encoder = BasicEncoder<char>;
using UnicodeEncoder = BasicEncoder<char16_t>;

} // namespace codedtext
