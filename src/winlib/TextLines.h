// The line rules of the runtime's text files, over characters that arrive in
// blocks: a line ends at CR, and an LF right after it (also one that starts
// the next block) belongs to that line end; a lone LF is data; the first 0x1A
// ends the data. The same rules serve bytes (8-bit text) and UTF-16 code
// units, so that a UTF-16 line is split on its characters, never on the
// halves of one (U+250D holds the byte 0D, U+251A the byte 1A). Nothing here
// touches a file, so that a test or a fuzzer can feed it any text in any
// blocks.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace winlib {

constexpr char EndOfData = '\x1A';

template <class Char>
class BasicLineSplitter {
public:
    using View = std::basic_string_view<Char>;
    using String = std::basic_string<Char>;

    // next gives the following block of characters, an empty one at the end;
    // the block stays valid until next is called again.
    explicit BasicLineSplitter(std::function<View()> next);

    // The next line without its line end; false at the end of the data.
    bool ReadLine(String& line);
    // True at the end of the characters or before a 0x1A.
    bool AtEnd();

private:
    // Makes at least one unread character available; false at the end.
    bool Fill();

    std::function<View()> next_;
    View block_;
    std::size_t pos_ = 0;
    bool endOfBytes_ = false;
};

// Both are built in TextLines.cpp; no other character type is.
extern template class BasicLineSplitter<char>;
extern template class BasicLineSplitter<char16_t>;

using LineSplitter = BasicLineSplitter<char>;
using Utf16LineSplitter = BasicLineSplitter<char16_t>;

}  // namespace winlib
