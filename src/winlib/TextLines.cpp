#include "winlib/TextLines.h"

#include <algorithm>
#include <utility>

namespace winlib {

LineSplitter::LineSplitter(std::function<std::string_view()> next) : next_(std::move(next)) {}

bool LineSplitter::Fill()
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

bool LineSplitter::AtEnd() { return !Fill() || block_[pos_] == EndOfData; }

bool LineSplitter::ReadLine(std::string& line)
{
    line.clear();
    if (AtEnd())
        return false;
    for (;;) {
        const auto rest = block_.substr(pos_);
        const auto stop = std::find_if(rest.begin(), rest.end(), [](char c) { return c == '\r' || c == EndOfData; });
        const auto length = static_cast<std::size_t>(stop - rest.begin());
        line.append(rest.data(), length);
        pos_ += length;
        if (stop == rest.end()) {
            if (!Fill())
                return true;
            continue;
        }
        // A 0x1A stays unread, so every later call sees the end of the data.
        if (*stop == EndOfData)
            return true;
        ++pos_;
        if (Fill() && block_[pos_] == '\n')
            ++pos_;
        return true;
    }
}

}  // namespace winlib
