#include "BulkExchange.h"

#include "BulkChecks.h"
#include "RtfText.h"
#include "winlib/Scoped.h"
#include "winlib/TextLines.h"

#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace bulk {

using codedtext::CharStyle;

namespace {

// One position as the writer walks it: selected, scrolled into view, read,
// as bytes or as UTF-16 units.
CharStyle WalkPosition(TCustomRich2Edit& edit, int position, std::string& text)
{
    edit.SetSelectionStart(position);
    edit.SetSelectionLength(1);
    const CharStyle style = SelectionStyle(edit.WindowHandle());
    text = edit.SelectedText();
    return style;
}

CharStyle WalkPosition(TCustomRich2Edit& edit, int position, std::u16string& text)
{
    edit.SetSelectionStart(position);
    edit.SetSelectionLength(1);
    const CharStyle style = SelectionStyle(edit.WindowHandle());
    text = AsUtf16(edit.SelectedUnicodeText());
    return style;
}

// The styles of the positions first .. last - 1, whose units are given,
// taken from the control's RTF as far as profile (none: nothing) trusts it
// and asked for otherwise; the reader reads back with it too.
std::vector<CharStyle> ReadStyles(TCustomRich2Edit& edit, int first, int last, std::wstring_view units,
                                  const Profile* profile)
{
    std::vector<std::optional<CharStyle>> found(units.size());
    const HWND window = edit.WindowHandle();
    if (profile != nullptr && profile->Rtf().Styles()) {
        edit.SelectRange(first, last);
        try {
            if (auto matched = rtftext::MatchStyles(SelectionRuns(window, profile->RtfForm()), units, profile->Rtf()))
                found = std::move(*matched);
        } catch (const rtftext::EMalformedRtf&) {
            // RTF that cannot be read tells nothing: every position is asked.
        } catch (const winlib::EOutOfResources&) {
            // Nor does a stream that the control broke off.
        }
    }

    // Ask the control where the RTF could not tell: a stretch at once when
    // it is uniform, otherwise position by position.
    const auto ask = [&](int from, int to, CharStyle& style) {
        edit.SelectRange(from, to);
        bool uniform = false;
        style = SelectionStyle(window, &uniform);
        return uniform;
    };
    std::vector<CharStyle> styles(units.size());
    for (std::size_t i = 0; i < found.size();) {
        if (found[i]) {
            styles[i] = *found[i];
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < found.size() && !found[j])
            ++j;
        CharStyle style;
        const int from = first + static_cast<int>(i), to = first + static_cast<int>(j);
        if (ask(from, to, style)) {
            std::fill(styles.begin() + static_cast<std::ptrdiff_t>(i), styles.begin() + static_cast<std::ptrdiff_t>(j),
                      style);
        } else {
            for (int p = from; p < to; ++p) {
                ask(p, p + 1, style);
                styles[static_cast<std::size_t>(p - first)] = style;
            }
        }
        i = j;
    }
    return styles;
}

}  // namespace

namespace {

// The writer for 8-bit text (Char char: each position's text as the control's
// 8-bit text reads it) and for Unicode text (char16_t: its UTF-16 unit).
template <class Char>
std::basic_string<Char> Write(TCustomRich2Edit& edit, const codedtext::Palette& palette, int start, int count)
{
    constexpr bool unicode = sizeof(Char) > 1;
    codedtext::BasicEncoder<Char> encoder(palette);
    const long long end = static_cast<long long>(start) + count;
    if (count > 0) {
        // The walk moves the selection all over the document, out of the
        // user's sight: nothing of it is shown, and the user's selection and
        // view are back before the window paints again.
        winlib::RedrawSuspension suspension(edit.WindowHandle());
        const TCustomRich2Edit::ViewKeeper view(edit);
        const std::wstring units = edit.UnicodeText();
        const long long length = static_cast<long long>(units.size());
        const int first = static_cast<int>(std::clamp<long long>(start, 0, length));
        const int last = static_cast<int>(std::clamp<long long>(end, 0, length));
        // Each stretch in one font is read with what is known of that font.
        const std::vector<FontRun> runs =
            FontRuns(edit.WindowHandle(), first, last, unicode ? TextKind::Unicode : TextKind::EightBit);
        std::vector<CharStyle> styles(static_cast<std::size_t>(last - first));
        for (const FontRun& run : runs) {
            // Unicode text is the control's own units: only the styles are
            // read, from the RTF as far as it can be trusted.
            if (!run.profile && !unicode)
                continue;
            const std::vector<CharStyle> found =
                ReadStyles(edit, run.first, run.last,
                           std::wstring_view(units).substr(static_cast<std::size_t>(run.first),
                                                           static_cast<std::size_t>(run.last - run.first)),
                           run.profile.get());
            std::copy(found.begin(), found.end(), styles.begin() + (run.first - first));
        }
        std::size_t run = 0;
        // Past the end there is no text, whatever the control reads there
        // (Windows' control can select the final paragraph mark and read it
        // as CR); only its style is asked, once for all such positions.
        std::optional<std::pair<CharStyle, std::basic_string<Char>>> pastEnd;
        std::basic_string<Char> text;
        for (long long p = start; p < end; ++p) {
            if (p >= first && p < last) {
                const std::size_t i = static_cast<std::size_t>(p - first);
                while (runs[run].last <= p)
                    ++run;
                if constexpr (unicode) {
                    encoder.Add(styles[i], AsUtf16(std::wstring_view(units).substr(static_cast<std::size_t>(p), 1)));
                    continue;
                } else if (const Profile* profile = runs[run].profile.get()) {
                    if (const auto known = profile->SelectedText(units[static_cast<std::size_t>(p)])) {
                        encoder.Add(styles[i], *known);
                        continue;
                    }
                }
            }
            if (p >= length) {
                if (!pastEnd)
                    pastEnd.emplace(WalkPosition(edit, static_cast<int>(p), text), std::basic_string<Char>());
                encoder.Add(pastEnd->first, pastEnd->second);
            } else {
                const CharStyle style = WalkPosition(edit, static_cast<int>(p), text);
                encoder.Add(style, text);
            }
        }
    }
    return encoder.Take();
}

}  // namespace

std::string WriteCoded(TCustomRich2Edit& edit, const codedtext::Palette& palette, int start, int count)
{
    return Write<char>(edit, palette, start, count);
}

std::u16string WriteUnicodeCoded(TCustomRich2Edit& edit, const codedtext::Palette& palette, int start, int count)
{
    return Write<char16_t>(edit, palette, start, count);
}

namespace {

// Insertions gathered into one fragment at most: a fragment and what it
// stands for are held in memory until they are brought in, however long
// the line.
constexpr std::size_t FragmentLimit = 1 << 16;

// Insertions at the caret, in the reader's order, brought to the control in
// bulk as RTF fragments, each read back and compared once it is in. While
// the control still holds a selection, for breaks whose style a fragment
// cannot state, and for what the control's fragments were not seen to bring
// in faithfully, the insertion is made literally; so is the rest of a
// fragment from where its reading back differs.

template <class Char>
class CaretInserter {
public:
    explicit CaretInserter(TCustomRich2Edit& edit)
        : edit_(edit), window_(edit.WindowHandle()), writer_(GetACP()),
          literal_(edit.SelectionLength() != 0), suspension_(std::in_place, window_)
    {
    }

    void Add(const codedtext::BasicStyledChar<Char>& c)
    {
        if (!literal_ && !profiled_) {
            profile_ = ProfileForSelection(window_, Kind);
            profiled_ = true;
        }
        // A unit beyond ASCII is stated as itself; the reading back of its
        // fragment vouches for it, as the probe's bytes cannot.
        if constexpr (sizeof(Char) > 1) {
            if (c.ch >= 0x80) {
                if (literal_ || !profile_) {
                    Flush();
                    SetSelectionStyle(window_, c.style, SCF_SELECTION);
                    edit_.SetSelectedUnicodeText(std::wstring(1, static_cast<wchar_t>(c.ch)));
                    literal_ = false;
                    breakLiteral_ = true;
                    return;
                }
                Stage(c.style);
                writer_.Text(std::u16string_view(&c.ch, 1));
                pending_.push_back(Insertion{'\0', false, c.style, static_cast<wchar_t>(c.ch)});
                breakLiteral_ = false;
                return;
            }
        }
        // Otherwise a byte: ASCII reads the same in every encoding.
        const char byte = static_cast<char>(c.ch);
        // A NUL inserts nothing; an LF makes a paragraph break.
        if (literal_ || !profile_ || (byte != '\0' && profile_->FragmentCharacter(byte) == 0) ||
            (byte == '\n' && !profile_->FragmentBreaks())) {
            Flush();
            SetSelectionStyle(window_, c.style, SCF_SELECTION);
            Replace(std::string(1, byte));
            breakLiteral_ = true;
            return;
        }
        Stage(c.style);
        if (byte == '\n')
            writer_.Break();  // what the replace operation makes of it
        else if (byte != '\0')
            writer_.Text(std::string_view(&byte, 1));
        pending_.push_back(Insertion{byte, false, c.style});
        breakLiteral_ = byte == '\n';
    }

    void Break()
    {
        // A break that directly follows another break (a line of codes
        // only) takes the style that the control gives at the start of a
        // paragraph, which a fragment cannot state; one after a literal
        // insertion takes that insertion's.
        if (literal_ || breakLiteral_ || !profile_ || !profile_->FragmentBreaks()) {
            Flush();
            Replace("\r\n");
            breakLiteral_ = true;
            return;
        }
        writer_.Break();
        pending_.push_back(Insertion{'\0', true, lastStyle_});
        breakLiteral_ = true;
    }

    void Flush()
    {
        if (writer_.Empty())
            return;
        const std::string rtf = writer_.Take();
        // The steps would be thrown away at the end (literal insertions
        // leave none behind), and recording them costs as much again.
        if (!undoSuspension_)
            undoSuspension_.emplace(edit_);
        const LONG start = edit_.SelectionStart();
        StreamFragment(window_, rtf);
        if (profile_->Checked())
            Check(start);
        pending_.clear();
    }

    // Call once at the end, also after a failure.
    void Finish()
    {
        winlib::Finally end([this] { End(); });
        Flush();
    }

private:
    static constexpr TextKind Kind = sizeof(Char) > 1 ? TextKind::Unicode : TextKind::EightBit;

    // The next insertion of the fragment is in style.
    void Stage(const CharStyle& style)
    {
        if (pending_.size() >= FragmentLimit)
            Flush();
        writer_.SetStyle(style);
        lastStyle_ = style;
    }

    // Reads back what the last fragment brought in (from start to the
    // caret) and inserts literally what it did not bring in as inserting
    // each character would have.
    void Check(LONG start)
    {
        const LONG end = edit_.SelectionStart();
        edit_.SelectRange(start, end);
        std::wstring units = edit_.SelectedUnicodeText();
        const auto length = static_cast<std::size_t>(end - start);
        if (units.size() != length)
            units = edit_.UnicodeText().substr(static_cast<std::size_t>(start), length);
        const std::shared_ptr<const Profile> profile = ProfileForSelection(window_, Kind);
        const std::vector<CharStyle> styles = ReadStyles(edit_, start, end, units, profile.get());
        const std::size_t missing = FirstMissing(pending_, units, styles, *profile_);
        LONG from = start;
        for (std::size_t i = 0; i < missing; ++i)
            from += pending_[i].Positions() ? 1 : 0;
        edit_.SelectRange(from, end);
        if (from == end && missing == pending_.size())
            return;
        edit_.SetSelectedText("");
        for (std::size_t i = missing; i < pending_.size(); ++i) {
            const Insertion& insertion = pending_[i];
            // A break takes the style at the caret, which is that of the
            // insertion before it.
            if (!insertion.isBreak || i == missing)
                SetSelectionStyle(window_, insertion.style, SCF_SELECTION);
            if (insertion.unit != 0)
                edit_.SetSelectedUnicodeText(std::wstring(1, insertion.unit));
            else
                edit_.SetSelectedText(insertion.isBreak ? std::string("\r\n") : std::string(1, insertion.byte));
        }
    }

    void End()
    {
        undoSuspension_.reset();
        suspension_.reset();
        // Where each insertion would have scrolled: the caret in view.
        edit_.ScrollCaret();
    }

    void Replace(const std::string& text)
    {
        edit_.SetSelectedText(text);
        literal_ = false;
    }

    TCustomRich2Edit& edit_;
    HWND window_;
    rtftext::FragmentWriter writer_;
    bool literal_;
    std::optional<winlib::RedrawSuspension> suspension_;
    std::optional<TCustomRich2Edit::UndoSuspension> undoSuspension_;  // from the first fragment on
    std::shared_ptr<const Profile> profile_;  // none: everything is inserted literally
    bool profiled_ = false;
    std::vector<Insertion> pending_;  // what the fragment being built brings in
    bool breakLiteral_ = true;  // the load starts at the caret's own style
    CharStyle lastStyle_;
};

}  // namespace

namespace {

// The lines of 8-bit or UTF-16 text (the runtime's line rules, split on its
// characters) decoded and inserted at the caret.
template <class Char>
void Read(TCustomRich2Edit& edit, const codedtext::Palette& palette, std::basic_string_view<Char> text)
{
    bool given = false;
    winlib::BasicLineSplitter<Char> lines([&] {
        const std::basic_string_view<Char> block = given ? std::basic_string_view<Char>() : text;
        given = true;
        return block;
    });
    CaretInserter<Char> inserter(edit);
    // Also after a failure: what was read before it is brought in and stays.
    winlib::Finally finish([&] { inserter.Finish(); });
    std::basic_string<Char> line;
    while (lines.ReadLine(line)) {
        codedtext::DecodeLineTo(palette, std::basic_string_view<Char>(line),
                                [&](const codedtext::BasicStyledChar<Char>& c) { inserter.Add(c); });
        inserter.Break();
    }
}

}  // namespace

void ReadCoded(TCustomRich2Edit& edit, const codedtext::Palette& palette, std::string_view bytes)
{
    Read<char>(edit, palette, bytes);
}

void ReadCoded(TCustomRich2Edit& edit, const codedtext::Palette& palette, std::u16string_view text)
{
    Read<char16_t>(edit, palette, text);
}

codedtext::StyledText ReadStyled(TCustomRich2Edit& edit, int first, int last, TextKind kind)
{
    const int length = edit.TextLength();
    first = std::clamp(first, 0, length);
    last = std::clamp(last, first, length);
    codedtext::StyledText text;
    if (first == last)
        return text;
    // What is shown comes back as it was: nothing to paint anew.
    winlib::RedrawSuspension suspension(edit.WindowHandle(), false);
    const TCustomRich2Edit::ViewKeeper view(edit);
    edit.SelectRange(first, last);
    std::wstring units = edit.SelectedUnicodeText();
    if (units.size() != static_cast<std::size_t>(last - first))
        units = edit.UnicodeText().substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first));
    for (const FontRun& run : FontRuns(edit.WindowHandle(), first, last, kind)) {
        const std::wstring_view part = std::wstring_view(units).substr(static_cast<std::size_t>(run.first - first),
                                                                       static_cast<std::size_t>(run.last - run.first));
        const std::vector<CharStyle> styles = ReadStyles(edit, run.first, run.last, part, run.profile.get());
        for (std::size_t i = 0; i < part.size(); ++i)
            text.Add(static_cast<char16_t>(part[i]), styles[i]);
    }
    return text;
}

namespace {

// The text brought in at the caret, every position in its own style: in
// fragments, and literally where they did not bring it in as it is.
void BringIn(TCustomRich2Edit& edit, const codedtext::StyledText& text, TextKind kind)
{
    const HWND window = edit.WindowHandle();
    const int start = edit.SelectionStart();
    rtftext::FragmentWriter writer(GetACP());
    std::size_t position = 0, staged = 0;
    for (const codedtext::StyleRun& run : text.Runs()) {
        writer.SetStyle(run.style);
        for (std::size_t i = 0; i < run.length; ++i, ++position) {
            const char16_t unit = text.Units()[position];
            if (unit == u'\r')
                writer.Break();
            else
                writer.Text(std::u16string_view(&unit, 1));
            if (++staged == FragmentLimit) {
                StreamFragment(window, writer.Take());
                staged = 0;
            }
        }
    }
    if (!writer.Empty())
        StreamFragment(window, writer.Take());
    const int end = edit.SelectionStart();

    const codedtext::StyledText found = ReadStyled(edit, start, end, kind);
    if (found == text)
        return;
    const bool sameUnits = found.Units() == text.Units();
    if (!sameUnits) {
        edit.SelectRange(start, end);
        edit.SetSelectedUnicodeText(std::wstring(AsWide(text.Units())));
    }
    int from = start;
    for (const codedtext::StyleRun& run : text.Runs()) {
        const int to = from + static_cast<int>(run.length);
        const codedtext::StyledText got = found.Slice(static_cast<std::size_t>(from - start), run.length);
        if (!sameUnits || got.Runs().size() != 1 || got.Runs().front().style != run.style) {
            edit.SelectRange(from, to);
            SetSelectionStyle(window, run.style, SCF_SELECTION);
        }
        from = to;
    }
}

}  // namespace

void ReplaceStyled(TCustomRich2Edit& edit, int first, int last, const codedtext::StyledText& text, TextKind kind)
{
    const HWND window = edit.WindowHandle();
    // Painting waits, and only what changed is painted anew at the end: the
    // line, unless lines come or go, or everything, if the view moved.
    const POINT view = edit.ScrollPosition();
    bool oneLine = text.Units().find(u'\r') == std::u16string::npos;
    winlib::Finally repaint([&] {
        const POINT now = edit.ScrollPosition();
        if (now.x == view.x && now.y == view.y)
            edit.RepaintFrom(first, oneLine);
        else
            InvalidateRect(window, nullptr, TRUE);
    });
    winlib::RedrawSuspension suspension(window, false);
    const TCustomRich2Edit::UndoSuspension undoSuspension(edit);
    edit.SelectRange(first, last);
    if (first != last) {
        oneLine = oneLine && edit.SelectedUnicodeText().find(L'\r') == std::wstring::npos;
        edit.SetSelectedText("");
    }
    if (!text.Empty())
        BringIn(edit, text, kind);
    edit.SelectRange(first, first + static_cast<int>(text.Size()));
}

}  // namespace bulk
