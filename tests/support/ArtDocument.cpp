#include "support/ArtDocument.h"

#include <cstdio>
#include <random>

namespace artdocument {

std::string DenseArt(std::size_t bytes, unsigned seed)
{
    std::mt19937 random(seed);
    const auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    static const char shades[] = " .:-=+*#%@/\\|_oO0";
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
                text += shades[below(sizeof shades - 1)];
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace artdocument
