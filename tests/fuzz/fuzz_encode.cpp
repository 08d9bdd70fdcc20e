// Builds a document of palette-coloured characters and paragraph breaks from
// the input, encodes it as File, Save does, reads it back as File, Load does
// (the text file reader's line rules, in blocks of changing size) and decodes
// the lines: every character before the first 0x1A (where reading stops) must
// come back with its style, and every break before it as a line end.
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

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// Three input bytes per position: the character, then bold, underline and
// the text index, then the background index.
std::vector<StyledChar> Document(const std::uint8_t* data, std::size_t size)
{
    std::vector<StyledChar> positions;
    for (std::size_t i = 0; i + 3 <= size; i += 3) {
        char ch = static_cast<char>(data[i]);
        // Control bytes as document characters cannot survive the format.
        if (ch == BoldCode || ch == UnderlineCode || ch == ColorCode)
            ch = 'x';
        const CharStyle style{(data[i + 1] & 1) != 0, (data[i + 1] & 2) != 0,
                              DefaultPalette[data[i + 1] >> 4], DefaultPalette[data[i + 2] & 15]};
        positions.push_back(StyledChar{ch, style});
    }
    return positions;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t seed = data[0];
    const std::vector<StyledChar> document = Document(data + 1, size - 1);

    Encoder encoder(DefaultPalette);
    std::string coded;
    for (const StyledChar& position : document) {
        const char ch = position.ch;
        // A NUL stands for a position where the control selected nothing.
        if (encoder.Add(position.style, ch == '\0' ? std::string_view() : std::string_view(&ch, 1))) {
            const std::string line = encoder.Take();
            Require(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0);
            coded += line;
        }
    }
    coded += encoder.Take();

    std::size_t at = 0, turn = 0;
    winlib::LineSplitter splitter([&] {
        const std::string_view block = std::string_view(coded).substr(at, 1 + (seed + 5 * turn++) % 8);
        at += block.size();
        return block;
    });
    std::vector<StyledChar> decoded;
    std::size_t lines = 0;
    std::string line;
    while (splitter.ReadLine(line)) {
        const DecodedLine d = DecodeLine(DefaultPalette, line);
        decoded.insert(decoded.end(), d.chars.begin(), d.chars.end());
        ++lines;
    }

    // Reading stops at the first 0x1A, whatever line it stands in.
    std::vector<StyledChar> expected;
    std::size_t breaks = 0;
    for (const StyledChar& c : document) {
        if (c.ch == '\x1A')
            break;
        if (c.ch == ParagraphBreak)
            ++breaks;
        else if (c.ch != LineFeed && c.ch != '\0')
            expected.push_back(c);
    }
    Require(decoded == expected);
    // One line per break, and one more for what follows the last one.
    const std::string_view read = std::string_view(coded).substr(0, coded.find('\x1A'));
    const bool endsInBreak = read.size() >= 2 && read.compare(read.size() - 2, 2, "\r\n") == 0;
    Require(lines == breaks + (read.empty() || endsInBreak ? 0 : 1));
    return 0;
}
