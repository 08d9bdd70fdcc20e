#include "StyledText.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace codedtext {

StyledText::StyledText(std::u16string units, std::vector<StyleRun> runs) : units_(std::move(units))
{
    std::size_t total = 0;
    for (const StyleRun& run : runs) {
        AddRun(run.style, run.length);
        total += run.length;
    }
    if (total != units_.size())
        throw std::invalid_argument("StyledText: the runs do not cover the units");
}

void StyledText::AddRun(const CharStyle& style, std::size_t length)
{
    if (length == 0)
        return;
    if (!runs_.empty() && runs_.back().style == style)
        runs_.back().length += length;
    else
        runs_.push_back(StyleRun{style, length});
}

CharStyle StyledText::StyleAt(std::size_t position) const
{
    for (const StyleRun& run : runs_) {
        if (position < run.length)
            return run.style;
        position -= run.length;
    }
    throw std::out_of_range("StyledText: no such position");
}

void StyledText::Add(char16_t unit, const CharStyle& style)
{
    units_ += unit;
    AddRun(style, 1);
}

void StyledText::Append(const StyledText& more)
{
    units_ += more.units_;
    for (const StyleRun& run : more.runs_)
        AddRun(run.style, run.length);
}

StyledText StyledText::Slice(std::size_t first, std::size_t count) const
{
    first = (std::min)(first, Size());
    count = (std::min)(count, Size() - first);
    StyledText slice;
    slice.units_ = units_.substr(first, count);
    std::size_t start = 0;
    for (const StyleRun& run : runs_) {
        const std::size_t end = start + run.length;
        const std::size_t from = (std::max)(start, first), to = (std::min)(end, first + count);
        if (from < to)
            slice.AddRun(run.style, to - from);
        if (end >= first + count)
            break;
        start = end;
    }
    return slice;
}

std::size_t StyledText::Bytes() const noexcept
{
    return sizeof(StyledText) + units_.size() * sizeof(char16_t) + runs_.size() * sizeof(StyleRun);
}

bool operator==(const StyledText& a, const StyledText& b)
{
    if (a.units_ != b.units_ || a.runs_.size() != b.runs_.size())
        return false;
    for (std::size_t i = 0; i < a.runs_.size(); ++i)
        if (a.runs_[i].style != b.runs_[i].style || a.runs_[i].length != b.runs_[i].length)
            return false;
    return true;
}

namespace {

// The style of each position in turn, from either end, without a search for
// every position.
class StyleCursor {
public:
    StyleCursor(const std::vector<StyleRun>& runs, bool fromEnd) : runs_(runs), fromEnd_(fromEnd) {}

    // The style of the next position; call at most Size() times.
    const CharStyle& Next()
    {
        while (used_ == Run().length) {
            ++run_;
            used_ = 0;
        }
        ++used_;
        return Run().style;
    }

private:
    const StyleRun& Run() const { return fromEnd_ ? runs_[runs_.size() - 1 - run_] : runs_[run_]; }

    const std::vector<StyleRun>& runs_;
    bool fromEnd_;
    std::size_t run_ = 0;
    std::size_t used_ = 0;
};

}  // namespace

CommonEnds FindCommonEnds(const StyledText& a, const StyledText& b)
{
    CommonEnds ends;
    const std::size_t shorter = (std::min)(a.Size(), b.Size());
    {
        StyleCursor left(a.Runs(), false), right(b.Runs(), false);
        while (ends.prefix < shorter && a.Units()[ends.prefix] == b.Units()[ends.prefix] &&
               left.Next() == right.Next())
            ++ends.prefix;
    }
    StyleCursor left(a.Runs(), true), right(b.Runs(), true);
    while (ends.suffix < shorter - ends.prefix &&
           a.Units()[a.Size() - 1 - ends.suffix] == b.Units()[b.Size() - 1 - ends.suffix] &&
           left.Next() == right.Next())
        ++ends.suffix;
    return ends;
}

}  // namespace codedtext
