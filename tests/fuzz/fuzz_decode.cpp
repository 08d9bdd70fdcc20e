// Reads arbitrary bytes as File, Load does: split into lines by the text
// file reader's line rules, fed in blocks of changing size, then each line
// decoded. Both steps are checked against models of their own (the line ends
// CR, CR LF and the end at 0x1A; the accepted colour-code forms row by row),
// so that neither is compared with itself.
#include "CodedText.h"
#include "winlib/TextLines.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace codedtext;

namespace {

// One row of the table: a pattern over the five padded characters after a
// ColorCode (D digit, ',' comma, n not a digit, c not a comma, o neither
// digit nor comma, x anything), what it consumes, and where the indices are.
struct Row {
    const char* pattern;
    int consumed;
    int textAt, textLen, backAt, backLen;
};

const Row Table[] = {
    {"DD,DD", 5, 0, 2, 3, 2}, {"DD,Dn", 4, 0, 2, 3, 1}, {"DD,nx", 2, 0, 2, 0, 0},
    {"DDcxx", 2, 0, 2, 0, 0}, {"D,DDx", 4, 0, 1, 2, 2}, {"D,Dnx", 3, 0, 1, 2, 1},
    {"D,nxx", 1, 0, 1, 0, 0}, {"Doxxx", 1, 0, 1, 0, 0}, {"nxxxx", 0, 0, 0, 0, 0},
};

bool Matches(char p, char c)
{
    const bool digit = c >= '0' && c <= '9';
    switch (p) {
    case 'D': return digit;
    case ',': return c == ',';
    case 'n': return !digit;
    case 'c': return c != ',';
    case 'o': return !digit && c != ',';
    default: return true;
    }
}

int Number(const char* t, int at, int len)
{
    int n = 0;
    for (int k = at; k < at + len; ++k)
        n = n * 10 + (t[k] - '0');
    return n % 16;
}

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// The expected characters and styles of one line, by the model.
std::vector<StyledChar> Model(const std::uint8_t* data, std::size_t size, CharStyle& endStyle)
{
    std::vector<StyledChar> out;
    CharStyle style{false, false, 0x000000, 0xFFFFFF};
    std::size_t i = 0;
    while (i < size) {
        const char c = static_cast<char>(data[i++]);
        if (c == 0x02) {
            style.bold = !style.bold;
        } else if (c == 0x1F) {
            style.underline = !style.underline;
        } else if (c == 0x03) {
            char t[5];
            for (std::size_t k = 0; k < 5; ++k)
                t[k] = i + k < size ? static_cast<char>(data[i + k]) : ' ';
            const Row* found = nullptr;
            for (const Row& row : Table) {
                bool all = true;
                for (int k = 0; k < 5; ++k)
                    all = all && Matches(row.pattern[k], t[k]);
                if (all) {
                    Require(found == nullptr); // the rows exclude each other
                    found = &row;
                }
            }
            Require(found != nullptr); // and cover every input
            if (found->textLen > 0)
                style.text = DefaultPalette[Number(t, found->textAt, found->textLen)];
            if (found->backLen > 0)
                style.back = DefaultPalette[Number(t, found->backAt, found->backLen)];
            i += static_cast<std::size_t>(found->consumed);
        } else {
            out.push_back(StyledChar{c, style});
        }
    }
    endStyle = style;
    return out;
}

// The lines of a whole text by the rules: CR or CR LF ends a line, a lone LF
// is data, the first 0x1A ends the text.
std::vector<std::string> ModelLines(std::string_view text)
{
    text = text.substr(0, text.find('\x1A'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t cr = text.find('\r', start);
        if (cr == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, cr - start));
        start = cr + 1 < text.size() && text[cr + 1] == '\n' ? cr + 2 : cr + 1;
    }
    return lines;
}

// The reader's lines of text, fed in blocks of 1 to 8 bytes by seed.
std::vector<std::string> ReaderLines(std::string_view text, std::uint8_t seed)
{
    std::size_t at = 0, turn = 0;
    winlib::LineSplitter splitter([&] {
        const std::size_t size = 1 + (seed + 3 * turn++) % 8;
        const std::string_view block = text.substr(at, size);
        at += block.size();
        return block;
    });
    std::vector<std::string> lines;
    std::string line;
    while (splitter.ReadLine(line))
        lines.push_back(line);
    Require(splitter.AtEnd());
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::vector<std::string> lines = ReaderLines(text, data[0]);
    Require(lines == ModelLines(text));

    for (const std::string& line : lines) {
        // Every line starts afresh: the model starts each at the line-start style.
        const DecodedLine decoded = DecodeLine(DefaultPalette, line);
        CharStyle endStyle;
        Require(decoded.chars == Model(reinterpret_cast<const std::uint8_t*>(line.data()), line.size(), endStyle));
        Require(decoded.endStyle == endStyle);

        // Decoded colours are all palette colours, so writing the characters
        // again and decoding that must give them back. Bytes with a meaning
        // of their own to the writer are left out.
        Encoder encoder(DefaultPalette);
        std::vector<StyledChar> plain;
        for (const StyledChar& c : decoded.chars)
            if (c.ch != ParagraphBreak && c.ch != LineFeed && c.ch != '\0') {
                plain.push_back(c);
                encoder.Add(c.style, std::string_view(&c.ch, 1));
            }
        Require(DecodeLine(DefaultPalette, encoder.Take()).chars == plain);
    }
    return 0;
}
