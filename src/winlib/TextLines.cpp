#include "winlib/TextLines.h"

#include <algorithm>
#include <utility>

namespace winlib {

template <class Char>
BasicLineSplitter<Char>::BasicLineSplitter(std::function<View()> next) : next_(std::move(next)) {}

template <class Char>
bool BasicLineSplitter<Char>::Fill()
{
    while (pos_ >= block_.size()) {
        if (endOfBytes_)
            return false;
        block_ = next_();
        pos_ = 0;
        endOfBytes_ = block_.empty();
    }
    return true;
}

namespace {
// The line-end and end-of-data characters in the splitter's own type: the
// bytes 0D, 0A and 1A, or U+000D, U+000A and U+001A.
template <class Char>
constexpr Char Cr = static_cast<Char>('\r');
template <class Char>
constexpr Char Lf = static_cast<Char>('\n');
template <class Char>
constexpr Char End = static_cast<Char>(EndOfData);
}  // namespace

template <class Char>
bool BasicLineSplitter<Char>::AtEnd() { return !Fill() || block_[pos_] == End<Char>; }

template <class Char>
bool BasicLineSplitter<Char>::ReadLine(String& line)
{
    line.clear();
    if (AtEnd())
        return false;
    for (;;) {
        const auto rest = block_.substr(pos_);
        const auto stop =
            std::find_if(rest.begin(), rest.end(), [](Char c) { return c == Cr<Char> || c == End<Char>; });
        const auto length = static_cast<std::size_t>(stop - rest.begin());
        line.append(rest.data(), length);
        pos_ += length;
        if (stop == rest.end()) {
            if (!Fill())
                return true;
            continue;
        }
        // A 0x1A stays unread, so every later call sees the end of the data.
        if (*stop == End<Char>)
            return true;
        ++pos_;
        if (Fill() && block_[pos_] == Lf<Char>)
            ++pos_;
        return true;
    }
}

template class BasicLineSplitter<char>;
template class BasicLineSplitter<char16_t>;

}  // namespace winlib
