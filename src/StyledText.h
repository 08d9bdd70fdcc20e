// A stretch of the document as the control holds it: its UTF-16 units, one
// a position (a paragraph break is one CR), each with the style that coded
// text carries. What an undo step keeps of the text it changed; free of
// windows.
#pragma once

#include "CodedText.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace codedtext {

struct StyleRun {
    CharStyle style;
    std::size_t length = 0;
};

class StyledText {
public:
    StyledText() = default;
    // units.size() positions, in the runs' styles, whose lengths add up to it.
    StyledText(std::u16string units, std::vector<StyleRun> runs);

    std::size_t Size() const noexcept { return units_.size(); }
    bool Empty() const noexcept { return units_.empty(); }
    const std::u16string& Units() const noexcept { return units_; }
    // Runs of one style, none empty, no two neighbours alike.
    const std::vector<StyleRun>& Runs() const noexcept { return runs_; }
    CharStyle StyleAt(std::size_t position) const;

    void Add(char16_t unit, const CharStyle& style);
    void Append(const StyledText& more);
    StyledText Slice(std::size_t first, std::size_t count) const;
    // What it holds in memory, roughly.
    std::size_t Bytes() const noexcept;

    friend bool operator==(const StyledText& a, const StyledText& b);
    friend bool operator!=(const StyledText& a, const StyledText& b) { return !(a == b); }

private:
    void AddRun(const CharStyle& style, std::size_t length);

    std::u16string units_;
    std::vector<StyleRun> runs_;
};

// How much two texts share at their starts and, of the rest, at their ends,
// unit and style alike.
struct CommonEnds {
    std::size_t prefix = 0;
    std::size_t suffix = 0;
};
CommonEnds FindCommonEnds(const StyledText& a, const StyledText& b);

}  // namespace codedtext
