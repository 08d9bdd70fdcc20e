// The line rules of the runtime's text files, over bytes that arrive in
// blocks: a line ends at CR, and an LF right after it (also one that starts
// the next block) belongs to that line end; a lone LF is data; the first 0x1A
// ends the data. Nothing here touches a file, so that a test or a fuzzer can
// feed it any bytes in any blocks.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace winlib {

constexpr char EndOfData = '\x1A';

class LineSplitter {
public:
    // next gives the following block of bytes, an empty one at the end; the
    // block stays valid until next is called again.
    explicit LineSplitter(std::function<std::string_view()> next);

    // The next line without its line end; false at the end of the data.
    bool ReadLine(std::string& line);
    // True at the end of the bytes or before a 0x1A.
    bool AtEnd();

private:
    // Makes at least one unread byte available; false at the end of the bytes.
    bool Fill();

    std::function<std::string_view()> next_;
    std::string_view block_;
    std::size_t pos_ = 0;
    bool endOfBytes_ = false;
};

}  // namespace winlib
