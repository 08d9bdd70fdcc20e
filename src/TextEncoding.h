// The one place that decides which encoding a document's bytes are in and
// converts between those bytes and UTF-16 text. Nothing here touches Windows:
// 8-bit text and its code pages are the caller's, so that this module can be
// tested and fuzzed on its own.
//
// Every conversion is strict and reversible: text read from bytes in an
// encoding is written back in that encoding as the same bytes, and what cannot
// be converted without losing or inventing data is refused (an empty
// optional), never replaced, so that the caller decides what to do with it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace textenc {

enum class Encoding {
    Ansi,        // 8-bit: one byte a character, in a code page
    Utf8,        // UTF-8 without a byte-order mark
    Utf8Bom,     // UTF-8 after EF BB BF
    Utf16LeBom,  // UTF-16 little-endian after FF FE
};

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LeMark = "\xFF\xFE";

constexpr bool IsUnicode(Encoding encoding) { return encoding != Encoding::Ansi; }

// True when the bytes are strict UTF-8: no overlong form, no surrogate
// (U+D800-DFFF), nothing above U+10FFFF, no sequence cut short.
bool IsValidUtf8(std::string_view bytes);

// The encoding of a document's bytes:
// - Utf16LeBom when they start with FF FE and hold whole code units (an even
//   count); an odd count is no UTF-16 that can be read without dropping or
//   inventing a byte, so it is 8-bit, which keeps every byte;
// - Utf8Bom when they start with EF BB BF and the rest is valid UTF-8;
// - Utf8 when they are all valid UTF-8 and hold at least one multi-byte
//   sequence (ASCII alone is 8-bit: it reads the same either way);
// - Ansi otherwise, including a mark followed by what its encoding cannot
//   read: those bytes are then read one by one, exactly as they are.
Encoding Detect(std::string_view bytes);

// Strict UTF-8 to UTF-16; empty when the bytes are not valid UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view bytes);

// UTF-16 to UTF-8; empty when the text holds a surrogate without its pair.
// UTF-8 has no form for one: an encoded surrogate is invalid UTF-8, which
// would read back as 8-bit text, and a replacement character would lose it.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

// The text of a document's bytes in a Unicode encoding, without the mark;
// empty when the bytes are not in that form (UTF-8 starting with the mark is
// the form with it), and for Ansi, whose code page is not known here. Encode
// gives back the same bytes from the text. UTF-16 LE keeps a surrogate
// without its pair as it is: the bytes hold it, and writing restores them.
std::optional<std::u16string> Decode(std::string_view bytes, Encoding encoding);

// The bytes of a text in a Unicode encoding, with the encoding's mark; empty
// when Decode could not give this text back from them: for Ansi, for a
// surrogate without its pair in the UTF-8 forms, and for a text starting with
// U+FEFF in UTF-8 without a mark (it would be read as the mark). UTF-16 LE
// holds every text.
std::optional<std::string> Encode(std::u16string_view text, Encoding encoding);

}  // namespace textenc
