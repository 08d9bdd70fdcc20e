// Coded text that looks like dense IRC art, for benchmarks and for tests
// that compare two ways of doing the same thing on realistic content.
#pragma once

#include <cstddef>
#include <string>

namespace artdocument {

// About `bytes` bytes of coded text: lines of 80 characters whose colour
// changes every one to four characters, some bold and underlined stretches,
// now and then an empty line; every line ends with CR LF. The same seed
// gives the same document.
std::string DenseArt(std::size_t bytes, unsigned seed);

// The same drawn with block elements and shades, as today's art is: UTF-8,
// without a byte-order mark.
std::string DenseUnicodeArt(std::size_t bytes, unsigned seed);

}  // namespace artdocument
