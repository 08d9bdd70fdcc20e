// Styled text in RTF, as far as the editor exchanges it with the rich text
// control in bulk: fragments that the control streams in at the caret, and
// the styles read back from what the control streams out. Nothing here
// touches a window; the main window's engine decides what goes through here
// and checks what comes back against the control's own text.
#pragma once

#include "CodedText.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace rtftext {

using codedtext::CharStyle;
using codedtext::Color;

// Builds an RTF fragment from insertions at the caret: a style for what
// follows, text, paragraph breaks. Until the first style the fragment states
// none, so its first text and breaks take the style at the caret; after
// that every change of bold, underline and colour is stated, and nothing else
// (font, size, paragraph) ever is.
class FragmentWriter {
public:
    // codePage: the code page of the bytes given to Text (the ANSI code page
    // of the control's text).
    explicit FragmentWriter(unsigned codePage);

    void SetStyle(const CharStyle& style);
    // Bytes of one line; every byte is stated as it is, none is interpreted.
    void Text(std::string_view bytes);
    // UTF-16 units of one line: ASCII as the bytes above, every other unit
    // as itself (\uN), whatever the code page.
    void Text(std::u16string_view units);
    void Break();

    bool Empty() const noexcept { return body_.empty(); }
    // The whole fragment; the writer is empty afterwards and states the last
    // style again before its next text.
    std::string Take();

private:
    void StateStyle();
    template <class Char>
    void Units(std::basic_string_view<Char> text);
    unsigned ColorIndex(Color color);
    void ControlWord(const char* word, int parameter = -1);

    unsigned codePage_;
    std::string body_;
    std::vector<Color> colors_;  // colour table entries 1.. in order
    std::optional<CharStyle> stated_;
    std::optional<CharStyle> last_;
    bool pendingDelimiter_ = false;
};

// The character properties that RTF states for one character. A colour is
// absent where the RTF leaves it to the control (automatic, or an index the
// colour table does not hold).
struct RtfStyle {
    bool bold = false;
    bool underline = false;
    std::optional<Color> text;
    std::optional<Color> back;
};

// Text as UTF-16 code units, the control's own positions.
using WideText = std::wstring;

struct RtfRun {
    RtfStyle style;
    WideText text;  // a paragraph break is one CR
};

// RTF that is not well formed: nothing can be taken from it.
class EMalformedRtf : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text units of 8-bit text in a code page (RTF names its own with
// \ansicpg); none when the bytes are not text of that code page.
using CodePageDecoder = std::function<std::optional<WideText>(unsigned codePage, std::string_view bytes)>;

// Reads the document text of RTF as the control writes it: groups, control
// words and symbols, hexadecimal and Unicode characters, text in UTF-8 where
// the RTF says so (\urtf, as controls write it when asked), the colour table,
// and bold, underline, text and background colour. Destinations other than
// the document text (font table, style sheet, information, pictures,
// ignorable groups) are skipped. Raises EMalformedRtf on RTF that is not
// well formed.
std::vector<RtfRun> ReadRuns(std::string_view rtf, const CodePageDecoder& decode);

// One position as the control holds it, and as a transfer says it is: its
// unit, and its style where the transfer states one.
struct Held {
    wchar_t unit;
    CharStyle style;
};
struct Said {
    wchar_t unit;
    std::optional<CharStyle> style;
};

// What a transfer of styled text between the control and the editor (the
// control's own RTF, or a fragment streamed in) has been seen to state
// faithfully: the characters that it carries in their place and with their
// own style, and the colours that it states. Found on a probe text by
// Examine; nothing else is taken from the transfer without asking.
class Faithful {
public:
    // Nothing is taken on trust.
    Faithful();
    // Everything is, as if it had all been seen.
    static Faithful Everything();

    // Whether the transfer states styles at all.
    bool Styles() const noexcept { return styles_; }
    bool Character(wchar_t unit) const { return units_[static_cast<std::size_t>(unit)]; }
    bool Text(Color color) const;
    bool Back(Color color) const;
    // A stated style that may be taken as it is.
    bool Style(const CharStyle& style) const { return styles_ && Text(style.text) && Back(style.back); }
    // What both found.
    Faithful And(const Faithful& other) const;

private:
    friend Faithful Examine(const std::vector<Held>&, const std::vector<Said>&, std::size_t);

    bool styles_ = false;
    bool anyColor_ = false;
    std::vector<bool> units_;
    std::vector<Color> texts_, backs_;  // sorted
};

// The characters of runs as a transfer says them.
std::vector<Said> Claims(const std::vector<RtfRun>& runs);

// Compares what a transfer said of a probe text with what the control holds.
// A unit is faithful when every one of its occurrences was said in its place
// with its own style; one that was left out, added, moved or said in another
// style is not, and neither is a unit next to a difference that cannot be
// told apart. Styles are faithful only if the first strict positions (plain
// letters going through every change of style) all agree; colours, only
// those seen said rightly. A paragraph mark said after the last position
// (the document's final one) is no difference.
Faithful Examine(const std::vector<Held>& held, const std::vector<Said>& said, std::size_t strict);

// Gives the positions of units their styles from runs, as far as both are
// faithful: the faithful characters of the runs must be those of units, in
// order, apart from one paragraph mark after the last; other positions stay
// unknown. Returns no result when they are not, so that nothing is guessed.
std::optional<std::vector<std::optional<CharStyle>>> MatchStyles(const std::vector<RtfRun>& runs,
                                                                  std::wstring_view units,
                                                                  const Faithful& faithful);

}  // namespace rtftext
