// Builds a document of palette-coloured characters and paragraph breaks from
// the input, encodes it, splits the result into lines and decodes them: every
// character must come back with its style, every break as a line end.
#include "CodedText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
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
    const std::vector<StyledChar> document = Document(data, size);

    // Line by line, as a file writer takes it, gives the same text as at once.
    Encoder encoder(DefaultPalette);
    std::string coded;
    std::size_t breaks = 0;
    for (const StyledChar& position : document) {
        if (encoder.Add(position)) {
            ++breaks;
            const std::string line = encoder.Take();
            Require(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0);
            coded += line;
        }
    }
    coded += encoder.Take();
    Require(coded == Encode(DefaultPalette, document));

    // Split by hand: a CR LF pair ends a line, nothing else does.
    std::vector<StyledChar> decoded;
    std::size_t lines = 0;
    std::string line;
    for (std::size_t i = 0; i <= coded.size(); ++i) {
        if (i == coded.size() || (coded[i] == '\r' && i + 1 < coded.size() && coded[i + 1] == '\n')) {
            const DecodedLine d = DecodeLine(DefaultPalette, line);
            decoded.insert(decoded.end(), d.chars.begin(), d.chars.end());
            ++lines;
            line.clear();
            ++i;
        } else {
            line += coded[i];
        }
    }
    Require(lines == breaks + 1);

    std::vector<StyledChar> expected;
    for (const StyledChar& c : document)
        if (c.ch != ParagraphBreak && c.ch != LineFeed && c.ch != NothingSelected)
            expected.push_back(c);
    Require(decoded == expected);
    return 0;
}
