#include "RtfText.h"

#include "winlib/Strings.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace rtftext {

// ------------------------------------------------------------------ writing

FragmentWriter::FragmentWriter(unsigned codePage) : codePage_(codePage) {}

unsigned FragmentWriter::ColorIndex(Color color)
{
    for (std::size_t i = 0; i < colors_.size(); ++i)
        if (colors_[i] == color)
            return static_cast<unsigned>(i + 1);
    colors_.push_back(color);
    return static_cast<unsigned>(colors_.size());
}

void FragmentWriter::ControlWord(const char* word, int parameter)
{
    body_ += '\\';
    body_ += word;
    if (parameter >= 0)
        body_ += std::to_string(parameter);
    pendingDelimiter_ = true;
}

void FragmentWriter::SetStyle(const CharStyle& style) { last_ = style; }

void FragmentWriter::StateStyle()
{
    // A style takes effect with the first text after it: the control states
    // nothing for a style that no character or break carries, and neither
    // does the fragment.
    if (last_ && (!stated_ || *stated_ != *last_)) {
        const CharStyle& style = *last_;
        if (!stated_ || stated_->bold != style.bold)
            ControlWord(style.bold ? "b" : "b0");
        if (!stated_ || stated_->underline != style.underline)
            ControlWord(style.underline ? "ul" : "ulnone");
        if (!stated_ || stated_->text != style.text)
            ControlWord("cf", static_cast<int>(ColorIndex(style.text)));
        if (!stated_ || stated_->back != style.back)
            ControlWord("highlight", static_cast<int>(ColorIndex(style.back)));
        stated_ = style;
    }
}

template <class Char>
void FragmentWriter::Units(std::basic_string_view<Char> text)
{
    StateStyle();
    for (const Char c : text) {
        const auto unit = static_cast<std::make_unsigned_t<Char>>(c);
        if (unit >= 0x80 && sizeof(Char) > 1) {
            // A character beyond ASCII as itself, its number signed as RTF
            // has it, with one fallback character (\uc1, RTF's default) that
            // a reader of \u skips.
            body_ += "\\u" + std::to_string(static_cast<int>(static_cast<std::int16_t>(unit))) + '?';
            pendingDelimiter_ = false;
        } else if (unit < 0x20 || unit >= 0x7F || c == '\\' || c == '{' || c == '}') {
            // Hexadecimal needs no delimiter; the control reads it in the
            // fragment's code page, as it reads inserted ANSI text.
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned>(unit));
            body_ += hex;
            pendingDelimiter_ = false;
        } else {
            if (pendingDelimiter_)
                body_ += ' ';
            pendingDelimiter_ = false;
            body_ += static_cast<char>(unit);
        }
    }
}

void FragmentWriter::Text(std::string_view bytes) { Units(bytes); }

void FragmentWriter::Text(std::u16string_view units) { Units(units); }

void FragmentWriter::Break()
{
    StateStyle();
    ControlWord("par");
}

std::string FragmentWriter::Take()
{
    std::string rtf = "{\\rtf1\\ansi\\ansicpg" + std::to_string(codePage_) + "{\\colortbl;";
    for (const Color color : colors_) {
        rtf += "\\red" + std::to_string(color & 0xFF) + "\\green" + std::to_string((color >> 8) & 0xFF) + "\\blue" +
               std::to_string((color >> 16) & 0xFF) + ';';
    }
    rtf += '}';
    rtf += body_;
    rtf += '}';
    body_.clear();
    colors_.clear();
    // The next fragment starts with a new colour table, so it states the
    // style in force again.
    stated_.reset();
    pendingDelimiter_ = false;
    return rtf;
}

// ------------------------------------------------------------------ reading

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void Malformed(const char* what) { throw EMalformedRtf(std::string("RTF: ") + what); }

struct ColorEntry {
    bool set = false;  // an entry without components is the automatic colour
    Color value = 0;
};

struct GroupState {
    RtfStyle style;
    bool skip = false;  // inside a destination that holds no document text
    bool colorTable = false;
    int unicodeSkip = 1;
};

class Reader {
public:
    Reader(std::string_view rtf, const CodePageDecoder& decode) : rtf_(rtf), decode_(decode) {}

    std::vector<RtfRun> Read()
    {
        std::size_t depth = 0;
        while (pos_ < rtf_.size()) {
            const char c = rtf_[pos_++];
            if (c == '{') {
                FlushBytes();
                stack_.push_back(state_);
                ++depth;
                destinationStart_ = true;
            } else if (c == '}') {
                FlushBytes();
                if (depth == 0)
                    Malformed("unbalanced braces");
                --depth;
                state_ = stack_.back();
                stack_.pop_back();
                destinationStart_ = false;
                if (depth == 0)
                    break;
            } else if (c == '\\') {
                ControlSequence();
            } else if (c == '\r' || c == '\n') {
                // Line breaks in RTF source are not text.
            } else {
                destinationStart_ = false;
                if (state_.colorTable) {
                    if (c == ';')
                        EndColor();
                } else if (skipCount_ > 0) {
                    --skipCount_;
                } else if (!state_.skip) {
                    bytes_ += c;
                }
            }
        }
        if (depth != 0)
            Malformed("group not closed");
        FlushBytes();
        return std::move(runs_);
    }

private:
    void ControlSequence()
    {
        if (pos_ >= rtf_.size())
            Malformed("backslash at the end");
        const char c = rtf_[pos_];
        if (!IsLetter(c)) {
            ++pos_;
            Symbol(c);
            return;
        }
        const std::size_t start = pos_;
        while (pos_ < rtf_.size() && IsLetter(rtf_[pos_]))
            ++pos_;
        const std::string_view word = rtf_.substr(start, pos_ - start);
        bool hasParameter = false;
        bool negative = false;
        long parameter = 0;
        if (pos_ < rtf_.size() && rtf_[pos_] == '-' && pos_ + 1 < rtf_.size() && IsDigit(rtf_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        while (pos_ < rtf_.size() && IsDigit(rtf_[pos_])) {
            hasParameter = true;
            if (parameter < 100000000)
                parameter = parameter * 10 + (rtf_[pos_] - '0');
            ++pos_;
        }
        if (negative)
            parameter = -parameter;
        if (pos_ < rtf_.size() && rtf_[pos_] == ' ')
            ++pos_;
        Word(word, hasParameter, parameter);
    }

    void Symbol(char c)
    {
        switch (c) {
        case '\'': {
            if (pos_ + 2 > rtf_.size())
                Malformed("short hexadecimal character");
            const int high = winlib::HexDigitValue(rtf_[pos_]), low = winlib::HexDigitValue(rtf_[pos_ + 1]);
            if (high < 0 || low < 0)
                Malformed("bad hexadecimal character");
            pos_ += 2;
            destinationStart_ = false;
            if (skipCount_ > 0)
                --skipCount_;
            else if (!state_.skip && !state_.colorTable)
                bytes_ += static_cast<char>(high * 16 + low);
            return;
        }
        case '*':
            // An ignorable destination: its group holds nothing for us.
            if (destinationStart_)
                state_.skip = true;
            return;
        case '\\':
        case '{':
        case '}':
            Character(c);
            return;
        case '~': WideCharacter(0x00A0); return;
        case '-': WideCharacter(0x00AD); return;
        case '_': WideCharacter(0x2011); return;
        case '\r':
        case '\n': WideCharacter(L'\r'); return;
        default: return;  // other symbols carry no text
        }
    }

    void Character(char c)
    {
        destinationStart_ = false;
        if (skipCount_ > 0)
            --skipCount_;
        else if (!state_.skip && !state_.colorTable)
            bytes_ += c;
    }

    void WideCharacter(wchar_t unit)
    {
        destinationStart_ = false;
        skipCount_ = 0;
        if (state_.skip || state_.colorTable)
            return;
        FlushBytes();
        Append(unit);
    }

    void Word(std::string_view word, bool hasParameter, long parameter)
    {
        destinationStart_ = false;
        const bool on = !hasParameter || parameter != 0;

        // Destinations that hold no document text.
        static constexpr const char* skipped[] = {
            "fonttbl", "stylesheet", "info", "pict", "filetbl", "listtable", "listoverridetable", "revtbl",
            "rsidtbl", "generator", "header", "footer", "headerl", "headerr", "headerf", "footerl", "footerr",
            "footerf", "object", "themedata", "colorschememapping", "latentstyles", "datastore", "xmlnstbl",
            "fldinst", "bkmkstart", "bkmkend", "mmathPr", "pgdsctbl", "protusertbl"};
        for (const char* name : skipped) {
            if (word == name) {
                state_.skip = true;
                return;
            }
        }
        if (word == "colortbl") {
            state_.colorTable = true;
            current_ = ColorEntry{};
            return;
        }
        if (state_.colorTable) {
            const auto component = static_cast<Color>(parameter < 0 ? 0 : (parameter > 255 ? 255 : parameter));
            if (word == "red") {
                current_.set = true;
                current_.value = (current_.value & ~0x0000FFu) | component;
            } else if (word == "green") {
                current_.set = true;
                current_.value = (current_.value & ~0x00FF00u) | (component << 8);
            } else if (word == "blue") {
                current_.set = true;
                current_.value = (current_.value & ~0xFF0000u) | (component << 16);
            }
            return;
        }

        if (word == "urtf") {
            // The document's text is UTF-8, whatever code page is named.
            codePage_ = Utf8CodePage;
            utf8_ = true;
        } else if (word == "ansicpg" && hasParameter) {
            if (!utf8_)
                codePage_ = static_cast<unsigned>(parameter);
        } else if (word == "uc" && hasParameter) {
            state_.unicodeSkip = parameter < 0 ? 0 : static_cast<int>(parameter);
        } else if (word == "u" && hasParameter) {
            // A signed 16-bit number: the unit is its low 16 bits, whatever
            // the width of wchar_t.
            WideCharacter(static_cast<wchar_t>(static_cast<std::uint16_t>(parameter)));
            skipCount_ = state_.unicodeSkip;
        } else if (const wchar_t unit = SymbolCharacter(word)) {
            WideCharacter(unit);
        } else if (word == "plain") {
            Style(RtfStyle{});
        } else if (word == "b") {
            RtfStyle style = state_.style;
            style.bold = on;
            Style(style);
        } else if (word == "ulnone") {
            RtfStyle style = state_.style;
            style.underline = false;
            Style(style);
        } else if (word.substr(0, 2) == "ul" && word != "ulc") {
            // Every kind of underline reads as underlined.
            RtfStyle style = state_.style;
            style.underline = word == "ul" ? on : true;
            Style(style);
        } else if (word == "cf") {
            RtfStyle style = state_.style;
            style.text = TableColor(parameter);
            Style(style);
        } else if (word == "highlight" || word == "cb" || word == "chcbpat") {
            RtfStyle style = state_.style;
            style.back = TableColor(parameter);
            Style(style);
        }
    }

    // The control words that stand for one character.
    static wchar_t SymbolCharacter(std::string_view word)
    {
        static constexpr std::pair<const char*, wchar_t> symbols[] = {
            {"par", L'\r'},        {"tab", L'\t'},        {"line", L'\v'},       {"emdash", 0x2014},
            {"endash", 0x2013},    {"emspace", 0x2003},   {"enspace", 0x2002},   {"bullet", 0x2022},
            {"lquote", 0x2018},    {"rquote", 0x2019},    {"ldblquote", 0x201C}, {"rdblquote", 0x201D}};
        for (const auto& [name, unit] : symbols)
            if (word == name)
                return unit;
        return 0;
    }

    std::optional<Color> TableColor(long index) const
    {
        if (index <= 0 || static_cast<std::size_t>(index) >= colors_.size() || !colors_[index].set)
            return std::nullopt;
        return colors_[index].value;
    }

    void EndColor()
    {
        colors_.push_back(current_);
        current_ = ColorEntry{};
    }

    void Style(const RtfStyle& style)
    {
        FlushBytes();
        state_.style = style;
    }

    void FlushBytes()
    {
        if (bytes_.empty())
            return;
        const std::optional<WideText> units = decode_(codePage_, bytes_);
        if (!units)
            Malformed("text not in the code page");
        bytes_.clear();
        for (const wchar_t unit : *units)
            Append(unit);
    }

    void Append(wchar_t unit)
    {
        if (runs_.empty() || !SameStyle(runs_.back().style, state_.style))
            runs_.push_back(RtfRun{state_.style, WideText()});
        runs_.back().text += unit;
    }

    static bool SameStyle(const RtfStyle& a, const RtfStyle& b)
    {
        return a.bold == b.bold && a.underline == b.underline && a.text == b.text && a.back == b.back;
    }

    std::string_view rtf_;
    const CodePageDecoder& decode_;
    std::size_t pos_ = 0;
    GroupState state_;
    std::vector<GroupState> stack_;
    bool destinationStart_ = false;
    int skipCount_ = 0;
    static constexpr unsigned Utf8CodePage = 65001;
    unsigned codePage_ = 1252;
    bool utf8_ = false;  // \urtf: text in UTF-8
    std::string bytes_;  // document bytes not yet converted
    std::vector<ColorEntry> colors_;
    ColorEntry current_;
    std::vector<RtfRun> runs_;
};

}  // namespace

std::vector<RtfRun> ReadRuns(std::string_view rtf, const CodePageDecoder& decode)
{
    return Reader(rtf, decode).Read();
}

// ------------------------------------------------------------- faithfulness

namespace {

constexpr std::size_t UnitCount = 0x10000;

std::optional<CharStyle> StatedStyle(const RtfStyle& style)
{
    if (!style.text || !style.back)
        return std::nullopt;
    return CharStyle{style.bold, style.underline, *style.text, *style.back};
}

bool Contains(const std::vector<Color>& sorted, Color color)
{
    return std::binary_search(sorted.begin(), sorted.end(), color);
}

std::vector<Color> Common(const std::vector<Color>& a, const std::vector<Color>& b)
{
    std::vector<Color> both;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
    return both;
}

}  // namespace

Faithful::Faithful() : units_(UnitCount) {}

Faithful Faithful::Everything()
{
    Faithful all;
    all.styles_ = true;
    all.anyColor_ = true;
    all.units_.assign(UnitCount, true);
    return all;
}

bool Faithful::Text(Color color) const { return anyColor_ || Contains(texts_, color); }

bool Faithful::Back(Color color) const { return anyColor_ || Contains(backs_, color); }

Faithful Faithful::And(const Faithful& other) const
{
    Faithful both;
    both.styles_ = styles_ && other.styles_;
    both.anyColor_ = anyColor_ && other.anyColor_;
    for (std::size_t u = 0; u < UnitCount; ++u)
        both.units_[u] = units_[u] && other.units_[u];
    both.texts_ = anyColor_ ? other.texts_ : other.anyColor_ ? texts_ : Common(texts_, other.texts_);
    both.backs_ = anyColor_ ? other.backs_ : other.anyColor_ ? backs_ : Common(backs_, other.backs_);
    return both;
}

std::vector<Said> Claims(const std::vector<RtfRun>& runs)
{
    std::vector<Said> said;
    for (const RtfRun& run : runs) {
        const std::optional<CharStyle> style = StatedStyle(run.style);
        for (const wchar_t unit : run.text)
            said.push_back(Said{unit, style});
    }
    return said;
}

Faithful Examine(const std::vector<Held>& held, const std::vector<Said>& said, std::size_t strict)
{
    Faithful found;
    std::vector<bool>& units = found.units_;
    for (const Held& h : held)
        units[static_cast<std::size_t>(h.unit)] = true;

    // Both sides cut down to the units still thought faithful must be the
    // same text; at the first place where they part, the unit that explains
    // the difference (one left out, or one added) loses its trust, or both
    // when neither does, and the comparison starts again.
    std::vector<std::size_t> h, s;
    for (;;) {
        h.clear();
        s.clear();
        for (std::size_t i = 0; i < held.size(); ++i)
            if (units[static_cast<std::size_t>(held[i].unit)])
                h.push_back(i);
        for (std::size_t i = 0; i < said.size(); ++i)
            if (units[static_cast<std::size_t>(said[i].unit)])
                s.push_back(i);
        if (s.size() == h.size() + 1 && said[s.back()].unit == L'\r')
            s.pop_back();
        std::size_t k = 0;
        while (k < h.size() && k < s.size() && held[h[k]].unit == said[s[k]].unit)
            ++k;
        if (k == h.size() && k == s.size())
            break;
        const auto heldAt = [&](std::size_t i) { return i < h.size() ? static_cast<long>(held[h[i]].unit) : -1L; };
        const auto saidAt = [&](std::size_t i) { return i < s.size() ? static_cast<long>(said[s[i]].unit) : -1L; };
        const long leftOut = heldAt(k), added = saidAt(k);
        if (leftOut >= 0 && heldAt(k + 1) == added) {
            units[static_cast<std::size_t>(leftOut)] = false;
        } else if (added >= 0 && saidAt(k + 1) == leftOut) {
            units[static_cast<std::size_t>(added)] = false;
        } else {
            if (leftOut >= 0)
                units[static_cast<std::size_t>(leftOut)] = false;
            if (added >= 0)
                units[static_cast<std::size_t>(added)] = false;
        }
    }

    // In place now: a unit said in another style than it has is not
    // faithful either. Taking it away from both sides keeps them in step.
    for (std::size_t k = 0; k < h.size(); ++k) {
        const std::optional<CharStyle>& style = said[s[k]].style;
        if (style && *style != held[h[k]].style)
            units[static_cast<std::size_t>(held[h[k]].unit)] = false;
    }
    found.styles_ = true;
    for (std::size_t i = 0; i < (std::min)(strict, held.size()); ++i)
        found.styles_ = found.styles_ && units[static_cast<std::size_t>(held[i].unit)];
    if (!found.styles_) {
        units.assign(UnitCount, false);
        return found;
    }
    for (std::size_t k = 0; k < h.size(); ++k) {
        const std::optional<CharStyle>& style = said[s[k]].style;
        if (style && units[static_cast<std::size_t>(held[h[k]].unit)]) {
            found.texts_.push_back(style->text);
            found.backs_.push_back(style->back);
        }
    }
    for (std::vector<Color>* colors : {&found.texts_, &found.backs_}) {
        std::sort(colors->begin(), colors->end());
        colors->erase(std::unique(colors->begin(), colors->end()), colors->end());
    }
    return found;
}

std::optional<std::vector<std::optional<CharStyle>>> MatchStyles(const std::vector<RtfRun>& runs,
                                                                  std::wstring_view units,
                                                                  const Faithful& faithful)
{
    std::vector<std::optional<CharStyle>> styles(units.size());
    if (!faithful.Styles())
        return styles;
    std::size_t run = 0, offset = 0;
    // Moves to the next faithful character of the runs; false at their end.
    const auto nextFaithful = [&] {
        for (; run < runs.size(); ++run, offset = 0) {
            for (; offset < runs[run].text.size(); ++offset)
                if (faithful.Character(runs[run].text[offset]))
                    return true;
        }
        return false;
    };
    for (std::size_t p = 0; p < units.size(); ++p) {
        if (!faithful.Character(units[p]))
            continue;  // stays unknown, wherever the RTF put it
        if (!nextFaithful() || runs[run].text[offset] != units[p])
            return std::nullopt;
        if (const std::optional<CharStyle> style = StatedStyle(runs[run].style); style && faithful.Style(*style))
            styles[p] = style;
        ++offset;
    }
    // Beyond the text only the document's final paragraph mark may follow.
    if (nextFaithful()) {
        if (runs[run].text[offset] != L'\r')
            return std::nullopt;
        ++offset;
        if (nextFaithful())
            return std::nullopt;
    }
    return styles;
}

}  // namespace rtftext
