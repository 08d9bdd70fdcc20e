#include "UndoHistory.h"

#include <algorithm>
#include <utility>

namespace undo {

namespace {

bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\r' || unit == u'\n'; }

}  // namespace

History::History(Limits limits) : limits_(limits) { limits_.steps = (std::max)(limits_.steps, std::size_t{1}); }

std::size_t History::BytesOf(const Step& step) { return sizeof(Step) + step.before.Bytes() + step.after.Bytes(); }

bool History::Joins(const Change& change) const
{
    if (!open_ || done_ == 0 || done_ != steps_.size() || change.source == Source::Command ||
        change.source != openSource_ || change.selectionMoved || change.time < openTime_ ||
        change.time - openTime_ > TypingPauseMs)
        return false;
    const Step& top = steps_.back();
    const Step& next = change.step;
    if (change.source == Source::Typing) {
        // Typed on where the last key left off; a word ends where a blank is
        // followed by something else.
        if (next.after.Empty() || next.position != top.position + static_cast<std::int64_t>(top.after.Size()))
            return false;
        return top.after.Empty() || !IsBlank(top.after.Units().back()) || IsBlank(next.after.Units().front());
    }
    // Backspace takes what stands before the last deletion, Delete what
    // stands after it.
    if (!next.after.Empty() || !top.after.Empty())
        return false;
    return next.position + static_cast<std::int64_t>(next.before.Size()) == top.position ||
           next.position == top.position;
}

void History::DropRedo()
{
    while (steps_.size() > done_) {
        bytes_ -= BytesOf(steps_.back());
        steps_.pop_back();
    }
    if (saved_ && *saved_ > done_)
        saved_.reset();
}

void History::Trim()
{
    while (steps_.size() > 1 && (steps_.size() > limits_.steps || bytes_ > limits_.bytes)) {
        bytes_ -= BytesOf(steps_.front());
        steps_.pop_front();
        --done_;
        // The state before the oldest step can no longer be reached.
        if (saved_) {
            if (*saved_ == 0)
                saved_.reset();
            else
                --*saved_;
        }
    }
}

void History::Record(Change change)
{
    Step& next = change.step;
    if (next.before == next.after && next.kindBefore == next.kindAfter) {
        // A command that changed nothing still ends the typing before it.
        if (change.source == Source::Command)
            open_ = false;
        return;
    }
    DropRedo();
    if (Joins(change)) {
        Step& top = steps_.back();
        bytes_ -= BytesOf(top);
        top.kindAfter = next.kindAfter;
        if (change.source == Source::Typing) {
            top.before.Append(next.before);
            top.after.Append(next.after);
        } else if (next.position == top.position) {
            top.before.Append(next.before);
        } else {
            next.before.Append(top.before);
            top.before = std::move(next.before);
            top.position = next.position;
        }
        bytes_ += BytesOf(top);
        openTime_ = change.time;
        Trim();
        return;
    }
    bytes_ += BytesOf(next);
    steps_.push_back(std::move(next));
    done_ = steps_.size();
    open_ = change.source != Source::Command;
    openSource_ = change.source;
    openTime_ = change.time;
    Trim();
}

const Step* History::NextUndo() const { return CanUndo() ? &steps_[done_ - 1] : nullptr; }

void History::Undone()
{
    if (CanUndo())
        --done_;
    open_ = false;
}

const Step* History::NextRedo() const { return CanRedo() ? &steps_[done_] : nullptr; }

void History::Redone()
{
    if (CanRedo())
        ++done_;
    open_ = false;
}

void History::MarkSaved()
{
    saved_ = done_;
    // Typing on after a save is a step of its own, so that undo comes back here.
    open_ = false;
}

void History::Forget()
{
    steps_.clear();
    done_ = 0;
    bytes_ = 0;
    saved_.reset();
    open_ = false;
}

void History::Clear()
{
    Forget();
    saved_ = 0;
}

}  // namespace undo
