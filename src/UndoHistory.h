// The document's undo history: every change as one step (what stood at a
// place before, what stands there after), typing grouped into steps as
// Windows editors group it, and the point where the document was last loaded
// or saved, which tells whether it is modified. Free of windows: the main
// window reads the steps off its control and applies them back.
#pragma once

#include "StyledText.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace undo {

using codedtext::StyledText;

// The positions position .. position + before.Size() - 1 held before; they
// were replaced by after.
struct Step {
    std::int64_t position = 0;
    StyledText before;
    StyledText after;
    // What the document was besides its text (its encoding), before and
    // after, for whoever keeps the history to put back.
    int kindBefore = 0;
    int kindAfter = 0;
};

// What made a change, for grouping: keys typed or keys that delete join the
// step before them while they go on where it ended.
enum class Source { Command, Typing, Deleting };

struct Change {
    Step step;
    Source source = Source::Command;
    // When the keys came, in milliseconds of any steady clock.
    std::uint64_t time = 0;
    // The user moved the selection since the change before.
    bool selectionMoved = false;
};

struct Limits {
    std::size_t steps = 1000;
    // What the steps hold together; the oldest go first, the newest stays.
    std::size_t bytes = std::size_t{64} << 20;
};

// Typing that pauses longer than this starts a new step.
constexpr std::uint64_t TypingPauseMs = 1000;

class History {
public:
    explicit History(Limits limits = Limits{});

    // A change made to the document; steps that could have been redone go.
    void Record(Change change);

    // The step that Undo reverts (its after gives way to its before), or
    // none; Undone() once it is applied. Redo the same way.
    const Step* NextUndo() const;
    void Undone();
    const Step* NextRedo() const;
    void Redone();
    bool CanUndo() const noexcept { return done_ > 0; }
    bool CanRedo() const noexcept { return done_ < steps_.size(); }

    // The document now is as in its file: unmodified until it changes, and
    // again whenever undo or redo come back here.
    void MarkSaved();
    bool Modified() const noexcept { return !saved_ || *saved_ != done_; }
    // A change that no step holds: modified, and the steps before it can no
    // longer be undone.
    void Forget();
    // A new document or a loaded one: no steps, unmodified.
    void Clear();

    std::size_t Steps() const noexcept { return steps_.size(); }
    std::size_t Bytes() const noexcept { return bytes_; }

private:
    bool Joins(const Change& change) const;
    static std::size_t BytesOf(const Step& step);
    void DropRedo();
    void Trim();

    Limits limits_;
    std::deque<Step> steps_;
    std::size_t done_ = 0;                 // steps_[0 .. done_ - 1] are applied
    std::optional<std::size_t> saved_ = 0; // done_ when saved; none when no longer reachable
    std::size_t bytes_ = 0;
    // The top step may take the next keystroke in.
    bool open_ = false;
    Source openSource_ = Source::Command;
    std::uint64_t openTime_ = 0;
};

}  // namespace undo
