#include "support/ArtDocument.h"

#include <cstdio>
#include <random>

namespace artdocument {

namespace {

template <std::size_t N>
std::string Art(std::size_t bytes, unsigned seed, const char* const (&shades)[N])
{
    std::mt19937 random(seed);
    const auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    std::string text;
    text.reserve(bytes + 512);
    while (text.size() < bytes) {
        if (below(25) == 0) {
            text += "\r\n";
            continue;
        }
        for (int column = 0; column < 80;) {
            char code[8];
            std::snprintf(code, sizeof code, "\x03%02u,%02u", below(16), below(16));
            text += code;
            if (below(12) == 0)
                text += '\x02';
            if (below(16) == 0)
                text += '\x1F';
            for (unsigned n = 1 + below(4); n > 0 && column < 80; --n, ++column)
                text += shades[below(N)];
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace

std::string DenseArt(std::size_t bytes, unsigned seed)
{
    static const char* const shades[] = {" ", ".", ":", "-", "=", "+", "*", "#", "%",
                                         "@", "/", "\\", "|", "_", "o", "O", "0"};
    return Art(bytes, seed, shades);
}

std::string DenseUnicodeArt(std::size_t bytes, unsigned seed)
{
    // Space, full block, upper and lower half, left and right half, the
    // three shades, and two box-drawing strokes.
    static const char* const shades[] = {" ",
                                         "\xE2\x96\x88", "\xE2\x96\x80", "\xE2\x96\x84", "\xE2\x96\x8C",
                                         "\xE2\x96\x90", "\xE2\x96\x91", "\xE2\x96\x92", "\xE2\x96\x93",
                                         "\xE2\x94\x80", "\xE2\x94\x82"};
    return Art(bytes, seed, shades);
}

}  // namespace artdocument

