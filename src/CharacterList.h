// The entries of the main window's character list, the characters a click
// inserts. Nothing here touches a window: the list box shows what this gives.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace charlist {

// The characters of a single-byte code page, indexed by byte.
using CodePageTable = std::array<char16_t, 256>;

// The entries for an 8-bit document, one byte each: with the filter on,
// the typographic quotes 0x91 and 0x92 and the bytes 0xA0-0xFF; with it off,
// every byte from 20 (decimal) to 0xFF.
std::vector<std::string> ByteEntries(bool filtered);

// The entries for a Unicode document: those of an 8-bit one as the
// characters their bytes are in codePage, then the block elements
// U+2580-259F, the black square U+25A0 and the box drawing U+2500-257F,
// which art in Unicode is drawn with.
std::vector<std::u16string> UnicodeEntries(bool filtered, const CodePageTable& codePage);

}  // namespace charlist
