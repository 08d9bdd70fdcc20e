#include "BulkChecks.h"

#include "CustomRich2edit.h"
#include "winlib/Exceptions.h"
#include "winlib/TextLines.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <stdexcept>
#include <utility>

namespace bulk {

namespace {

constexpr DWORD StyleMask = CFM_BOLD | CFM_UNDERLINE | CFM_BACKCOLOR | CFM_COLOR;
static_assert(StyleMask == 0x44000005, "the style mask");
static_assert(sizeof(CHARFORMAT2A) == 84, "CHARFORMAT2A as the rich edit control 2.0 takes it");

// What makes text look different to the control beyond the style: a probe
// in the same font stands for it.
constexpr DWORD FontMask = CFM_FACE | CFM_CHARSET | CFM_SIZE | CFM_ITALIC | CFM_STRIKEOUT;

// RTF whose text is UTF-8: the form in which Wine's control states
// characters beyond the ANSI code page as themselves (in plain RTF it writes
// best-fit bytes for them, U+2588 and U+2591 both as \'a6).
constexpr WPARAM Utf8Rtf = SF_RTF | SF_USECODEPAGE | (static_cast<WPARAM>(CP_UTF8) << 16);

// Bytes that never reach the reader's fragments: a line ends at CR, the
// data at its end mark.
constexpr unsigned LineEnd = '\r', EndOfData = static_cast<unsigned char>(winlib::EndOfData);

std::function<void(testing::Way, std::string&)>& Alteration()
{
    static std::function<void(testing::Way, std::string&)> alteration;
    return alteration;
}

bool& ChecksOn()
{
    static bool on = true;
    return on;
}

struct FontKey {
    std::string face;
    BYTE charset;
    LONG height;
    DWORD effects;
    TextKind kind;

    bool operator==(const FontKey& other) const
    {
        return face == other.face && charset == other.charset && height == other.height &&
               effects == other.effects && kind == other.kind;
    }
};

FontKey KeyOf(const CHARFORMAT2A& format, TextKind kind)
{
    return FontKey{format.szFaceName, format.bCharSet, format.yHeight,
                   format.dwEffects & (CFE_ITALIC | CFE_STRIKEOUT), kind};
}

// A handful of fonts at most are ever used in one run, each for 8-bit and
// for Unicode text.
constexpr std::size_t MaxProfiles = 16;

std::vector<std::pair<FontKey, std::shared_ptr<const Profile>>>& Profiles()
{
    static std::vector<std::pair<FontKey, std::shared_ptr<const Profile>>> profiles;
    return profiles;
}

// --------------------------------------------------------------- the probe

// A rich edit window of the same class as the editor's, never shown.
class ProbeWindow {
public:
    ProbeWindow() : library_(LoadRichEditLibrary())
    {
        if (library_)
            window_.Reset(CreateWindowExA(0, RichEditClassName, "", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr,
                                          nullptr, GetModuleHandleA(nullptr), nullptr));
        if (!window_)
            throw winlib::EWin32Error::FromLastError();
        SendMessageA(window_.Get(), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    }

    HWND Handle() const noexcept { return window_.Get(); }

private:
    winlib::ModuleHandle library_;  // outlives the window
    winlib::OwnedWindow window_;
};

// Every ordered pair of k symbols once, as a cycle of k * k symbols.
std::vector<int> EveryPair(int k)
{
    std::vector<int> sequence, a(3, 0);
    const std::function<void(int, int)> extend = [&](int t, int p) {
        if (t > 2) {
            if (2 % p == 0)
                sequence.insert(sequence.end(), a.begin() + 1, a.begin() + p + 1);
            return;
        }
        a[t] = a[t - p];
        extend(t + 1, p);
        for (int j = a[t - p] + 1; j < k; ++j) {
            a[t] = j;
            extend(t + 1, t);
        }
    };
    extend(1, 1);
    return sequence;
}

// Plain letters and paragraph breaks going through every change of text
// colour, of background colour and of bold and underline together, once
// each: what the style words of a transfer must all get right.
std::vector<Insertion> StyleSection()
{
    const codedtext::Palette& palette = codedtext::DefaultPalette;
    const std::vector<int> colors = EveryPair(16), effects = EveryPair(4);
    std::vector<Insertion> items;
    for (std::size_t i = 0; i <= colors.size(); ++i) {
        const int effect = effects[i % effects.size()];
        // The background walks the same cycle from elsewhere, so that text
        // and background change in many combinations.
        const CharStyle style{(effect & 1) != 0, (effect & 2) != 0,
                              palette[static_cast<std::size_t>(colors[i % colors.size()])],
                              palette[static_cast<std::size_t>(colors[(i + 37) % colors.size()])]};
        items.push_back(Insertion{static_cast<char>('a' + i % 26), i % 21 == 20, style});
    }
    return items;
}

// Each byte in a style unlike those of its neighbours in every part, and
// unlike the byte's style in the other layer.
CharStyle UnitStyle(unsigned byte, unsigned layer)
{
    const codedtext::Palette& palette = codedtext::DefaultPalette;
    return CharStyle{((byte + layer) & 1) != 0, ((byte + layer + 1) & 1) != 0, palette[(byte + 8 * layer) % 16],
                     palette[(3 * byte + 5 + 8 * layer) % 16]};
}

// Bytes in one of two layers of styles, in short paragraphs (the control
// lays out a paragraph anew with each insertion).
void AddBytes(std::vector<Insertion>& items, unsigned layer, bool (*wanted)(unsigned byte))
{
    for (unsigned byte = 1; byte < 256; ++byte) {
        if (!wanted(byte))
            continue;
        items.push_back(Insertion{static_cast<char>(byte), false, UnitStyle(byte, layer)});
        if (byte % 16 == 0)
            items.push_back(Insertion{'\0', true, UnitStyle(byte + 1, layer + 1)});
    }
}

// The style section and every byte a coded line can hold, as the reader
// brings them in through a fragment.
std::vector<Insertion> FragmentPart()
{
    std::vector<Insertion> items = StyleSection();
    AddBytes(items, 0, [](unsigned byte) { return byte != LineEnd && byte != EndOfData; });
    return items;
}

// Every byte, as the literal reader inserts it.
std::vector<Insertion> LiteralPart()
{
    std::vector<Insertion> items;
    AddBytes(items, 1, [](unsigned) { return true; });
    return items;
}

// Characters beyond the ANSI code page that Unicode documents hold, as the
// literal reader inserts them: the characters of Windows' Western code page
// (8-bit text where the ANSI code page is not single-byte), Greek and
// Cyrillic letters, box drawing, block elements, geometric shapes and
// braille, in which art is drawn.
std::vector<Insertion> UnicodePart()
{
    std::vector<wchar_t> units;
    for (unsigned byte = 0x80; byte < 0x100; ++byte) {
        const char c = static_cast<char>(byte);
        wchar_t unit = 0;
        if (MultiByteToWideChar(1252, MB_ERR_INVALID_CHARS, &c, 1, &unit, 1) == 1)
            units.push_back(unit);
    }
    const std::pair<wchar_t, wchar_t> ranges[] = {{0x0391, 0x03C9}, {0x0410, 0x044F}, {0x2500, 0x25FF}, {0x2800, 0x28FF}};
    for (const auto& [from, to] : ranges)
        for (wchar_t unit = from; unit <= to; ++unit)
            units.push_back(unit);
    std::vector<Insertion> items;
    for (std::size_t i = 0; i < units.size(); ++i) {
        items.push_back(Insertion{'\0', false, UnitStyle(units[i], 2), units[i]});
        if (i % 16 == 15)
            items.push_back(Insertion{'\0', true, UnitStyle(units[i] + 1u, 3)});
    }
    return items;
}

void InsertLiterally(HWND window, const Insertion& item)
{
    SetSelectionStyle(window, item.style, SCF_SELECTION);
    if (item.unit != 0) {
        SetSelectedUnicodeTextOf(window, std::wstring(1, item.unit));
        return;
    }
    const char text[3] = {item.isBreak ? '\r' : item.byte, item.isBreak ? '\n' : '\0', '\0'};
    SendMessageA(window, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text));
}

std::string FragmentOf(const std::vector<Insertion>& items)
{
    rtftext::FragmentWriter writer(GetACP());
    for (const Insertion& item : items) {
        writer.SetStyle(item.style);
        if (item.isBreak || item.byte == '\n')
            writer.Break();
        else
            writer.Text(std::string_view(&item.byte, 1));
    }
    return writer.Take();
}

// What the control holds at each position, and what it reads each position
// of the literal part of the bytes (from literalStart on) as.
struct ProbeContent {
    std::wstring units;
    std::vector<rtftext::Held> held;
    std::size_t literalStart = 0;
    std::vector<std::string> literalText;
};

ProbeContent Read(HWND window, std::size_t literalStart, std::size_t literalEnd)
{
    ProbeContent content;
    content.units = UnicodeTextOf(window);
    content.literalStart = literalStart;
    for (std::size_t p = 0; p < content.units.size(); ++p) {
        SelectRangeOf(window, static_cast<LONG>(p), static_cast<LONG>(p + 1));
        content.held.push_back(rtftext::Held{content.units[p], SelectionStyle(window)});
        if (p >= literalStart && p < literalEnd)
            content.literalText.push_back(SelectedTextOf(window));
    }
    return content;
}

// What the control's RTF of the probe from position first on, read in form,
// says faithfully.
rtftext::Faithful ExamineRtf(HWND window, const ProbeContent& content, std::size_t first, std::size_t strict,
                             WPARAM form)
{
    SelectRangeOf(window, static_cast<LONG>(first), -1);
    std::vector<rtftext::Said> said;
    try {
        said = rtftext::Claims(SelectionRuns(window, form));
    } catch (const rtftext::EMalformedRtf&) {
        return rtftext::Faithful();  // RTF that cannot be read says nothing
    } catch (const winlib::EOutOfResources&) {
        return rtftext::Faithful();  // nor does RTF that the control did not give
    }
    const std::vector<rtftext::Held> held(content.held.begin() + static_cast<std::ptrdiff_t>(first),
                                          content.held.end());
    return rtftext::Examine(held, said, strict > first ? strict - first : 0);
}

}  // namespace

// ---------------------------------------------------------------- records

CharStyle SelectionStyle(HWND window, bool* uniform)
{
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    format.dwMask = StyleMask;
    format.dwEffects = 0;
    SendMessageA(window, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    if (uniform != nullptr)
        *uniform = (format.dwMask & StyleMask) == StyleMask;
    return CharStyle{(format.dwEffects & CFE_BOLD) != 0, (format.dwEffects & CFE_UNDERLINE) != 0,
                     format.crTextColor, format.crBackColor};
}

void SetSelectionStyle(HWND window, const CharStyle& style, WPARAM target)
{
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    format.dwMask = StyleMask;
    format.dwEffects = (style.bold ? CFE_BOLD : 0) | (style.underline ? CFE_UNDERLINE : 0);
    format.crTextColor = style.text;
    format.crBackColor = style.back;
    SendMessageA(window, EM_SETCHARFORMAT, target, reinterpret_cast<LPARAM>(&format));
}

std::string SelectionRtf(HWND window, WPARAM form)
{
    std::string rtf = StreamOutOf(window, form | SFF_SELECTION);
    if (Alteration())
        Alteration()(testing::Way::Out, rtf);
    return rtf;
}

std::vector<rtftext::RtfRun> SelectionRuns(HWND window, WPARAM form)
{
    return rtftext::ReadRuns(SelectionRtf(window, form), winlib::DecodeCodePage);
}

void StreamFragment(HWND window, std::string rtf)
{
    if (Alteration())
        Alteration()(testing::Way::In, rtf);
    StreamInto(window, SF_RTF | SFF_SELECTION, rtf);
}

// ---------------------------------------------------------------- profiles

std::shared_ptr<const Profile> Profile::Unchecked(TextKind kind)
{
    const auto make = [](WPARAM rtfForm) {
        auto profile = std::make_shared<Profile>();
        profile->rtf_ = rtftext::Faithful::Everything();
        profile->rtfForm_ = rtfForm;
        profile->checked_ = false;
        profile->fragmentBreaks_ = true;
        // The text as the ANSI code page has it.
        for (unsigned byte = 1; byte < 256; ++byte) {
            const char c = static_cast<char>(byte);
            wchar_t unit = 0;
            if (MultiByteToWideChar(CP_ACP, 0, &c, 1, &unit, 1) != 1)
                continue;
            profile->fragmentCharacters_[byte] = byte == '\n' ? L'\r' : unit;
            char bytes[8];
            const int count = WideCharToMultiByte(CP_ACP, 0, &unit, 1, bytes, sizeof bytes, nullptr, nullptr);
            if (count > 0 && unit < 256)
                profile->lowText_[unit] = std::string(bytes, static_cast<std::size_t>(count));
            else if (count > 0)
                profile->highText_.emplace_back(unit, std::string(bytes, static_cast<std::size_t>(count)));
        }
        std::sort(profile->highText_.begin(), profile->highText_.end());
        return std::shared_ptr<const Profile>(std::move(profile));
    };
    static const std::shared_ptr<const Profile> eightBit = make(SF_RTF), unicode = make(Utf8Rtf);
    return kind == TextKind::Unicode ? unicode : eightBit;
}

std::optional<std::string_view> Profile::SelectedText(wchar_t unit) const
{
    if (unit < 256) {
        if (const std::optional<std::string>& text = lowText_[unit])
            return std::string_view(*text);
        return std::nullopt;
    }
    const auto found = std::lower_bound(highText_.begin(), highText_.end(), unit,
                                        [](const std::pair<wchar_t, std::string>& entry, wchar_t u) {
                                            return entry.first < u;
                                        });
    if (found == highText_.end() || found->first != unit)
        return std::nullopt;
    return std::string_view(found->second);
}

namespace {

// The probe made anew in the window: the fragment part as the reader would
// bring it in (or, literally, as the literal reader would), then every byte
// inserted literally, then the Unicode part.
ProbeContent BuildProbe(HWND window, const CHARFORMAT2A& format, const std::vector<Insertion>& fragmentPart,
                        const std::vector<Insertion>& literalPart, const std::vector<Insertion>& unicodePart,
                        bool literally)
{
    SetWindowTextA(window, "");
    CHARFORMAT2A caret = format;
    SendMessageA(window, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&caret));
    if (literally) {
        for (const Insertion& item : fragmentPart)
            InsertLiterally(window, item);
    } else {
        try {
            StreamFragment(window, FragmentOf(fragmentPart));
        } catch (const winlib::EOutOfResources&) {
            // A control that refuses fragments gets none.
        }
    }
    const std::size_t literalStart = static_cast<std::size_t>(SelectionOf(window).cpMax);
    for (const Insertion& item : literalPart)
        InsertLiterally(window, item);
    const std::size_t literalEnd = static_cast<std::size_t>(SelectionOf(window).cpMax);
    for (const Insertion& item : unicodePart)
        InsertLiterally(window, item);
    return Read(window, literalStart, literalEnd);
}

// What inserting each byte literally made, where each made one position.
std::array<wchar_t, 256> LiterallyInserted(const ProbeContent& content, const std::vector<Insertion>& literalPart)
{
    std::array<wchar_t, 256> inserted{};
    if (content.literalText.size() == literalPart.size())
        for (std::size_t i = 0; i < literalPart.size(); ++i)
            if (!literalPart[i].isBreak)
                inserted[static_cast<unsigned char>(literalPart[i].byte)] = content.units[content.literalStart + i];
    return inserted;
}

}  // namespace

std::shared_ptr<const Profile> Calibrate(const CHARFORMAT2A& font, TextKind kind)
{
    ProbeWindow probe;
    const HWND window = probe.Handle();
    CHARFORMAT2A format = font;
    format.cbSize = sizeof format;
    format.dwMask = FontMask;
    SendMessageA(window, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));

    const std::vector<Insertion> fragmentPart = FragmentPart(), literalPart = LiteralPart();
    const std::vector<Insertion> unicodePart = kind == TextKind::Unicode ? UnicodePart() : std::vector<Insertion>();
    const std::size_t strict = StyleSection().size();
    ProbeContent content = BuildProbe(window, format, fragmentPart, literalPart, unicodePart, false);
    const std::size_t literalStart = content.literalStart;
    const std::array<wchar_t, 256> inserted = LiterallyInserted(content, literalPart);

    auto profile = std::make_shared<Profile>();

    // The reader's fragments: what they made against what inserting the same
    // bytes in the same styles makes.
    std::vector<rtftext::Said> expected;
    for (const Insertion& item : fragmentPart)
        expected.push_back(rtftext::Said{item.isBreak ? L'\r' : inserted[static_cast<unsigned char>(item.byte)],
                                         item.style});
    const std::vector<rtftext::Held> fragmentHeld(content.held.begin(),
                                                  content.held.begin() + static_cast<std::ptrdiff_t>(literalStart));
    const rtftext::Faithful fragments = rtftext::Examine(fragmentHeld, expected, strict);
    bool exact = fragmentHeld.size() == expected.size();
    for (std::size_t p = 0; exact && p < expected.size(); ++p)
        exact = fragmentHeld[p].unit == expected[p].unit && fragmentHeld[p].style == *expected[p].style;
    for (unsigned byte = 1; byte < 256; ++byte)
        if (inserted[byte] != 0 && fragments.Character(inserted[byte]) && byte != LineEnd && byte != EndOfData)
            profile->fragmentCharacters_[byte] = inserted[byte];
    profile->fragmentBreaks_ = fragments.Styles() && fragments.Character(L'\r');

    // The writer's probe must hold every change of style that the fragment
    // part was meant to; where a fragment did not make it so, it is made
    // again the literal way.
    if (!exact)
        content = BuildProbe(window, format, fragmentPart, literalPart, unicodePart, true);
    const std::size_t literalFirst = content.literalStart;
    for (std::size_t i = 0; i < content.literalText.size(); ++i) {
        const wchar_t unit = content.units[literalFirst + i];
        if (unit < 256)
            profile->lowText_[unit] = content.literalText[i];
        else
            profile->highText_.emplace_back(unit, content.literalText[i]);
    }
    std::sort(profile->highText_.begin(), profile->highText_.end());
    profile->highText_.erase(std::unique(profile->highText_.begin(), profile->highText_.end(),
                                         [](const auto& a, const auto& b) { return a.first == b.first; }),
                             profile->highText_.end());
    // From the start and from within the style section: a selection may
    // start anywhere.
    const auto examine = [&](WPARAM form) {
        return ExamineRtf(window, content, 0, strict, form).And(ExamineRtf(window, content, strict / 2, strict, form));
    };
    if (kind == TextKind::EightBit) {
        profile->rtf_ = examine(SF_RTF);
        return profile;
    }
    // Unicode text: the form that states the most of the probe's characters
    // beyond the code page faithfully (Windows' control writes them as \uN
    // in plain RTF too), and otherwise the one that states styles at all
    // (a control may not write UTF-8 RTF).
    const auto stated = [&](const rtftext::Faithful& faithful) {
        return !faithful.Styles() ? std::ptrdiff_t{0}
                                  : std::count_if(unicodePart.begin(), unicodePart.end(), [&](const Insertion& item) {
                                        return item.unit != 0 && faithful.Character(item.unit);
                                    });
    };
    const std::ptrdiff_t all = std::count_if(unicodePart.begin(), unicodePart.end(),
                                             [](const Insertion& item) { return item.unit != 0; });
    profile->rtf_ = examine(Utf8Rtf);
    profile->rtfForm_ = Utf8Rtf;
    if (stated(profile->rtf_) < all) {
        rtftext::Faithful plain = examine(SF_RTF);
        if (stated(plain) > stated(profile->rtf_) || (!profile->rtf_.Styles() && plain.Styles())) {
            profile->rtf_ = std::move(plain);
            profile->rtfForm_ = SF_RTF;
        }
    }
    return profile;
}

namespace {

CHARFORMAT2A FontOfSelection(HWND window)
{
    CHARFORMAT2A font{};
    font.cbSize = sizeof font;
    font.dwMask = FontMask;
    SendMessageA(window, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&font));
    return font;
}

bool OneFont(const CHARFORMAT2A& font) { return (font.dwMask & FontMask) == FontMask; }

std::shared_ptr<const Profile> ProfileFor(const CHARFORMAT2A& font, TextKind kind)
{
    if (!ChecksOn())
        return Profile::Unchecked(kind);
    const FontKey key = KeyOf(font, kind);
    auto& profiles = Profiles();
    for (const auto& [known, profile] : profiles)
        if (known == key)
            return profile;
    std::shared_ptr<const Profile> profile;
    try {
        profile = Calibrate(font, kind);
    } catch (const winlib::Exception&) {
        // No probe window or stream, no proof: everything is asked this time,
        // and the probe is tried again next time.
        return nullptr;
    }
    if (profiles.size() >= MaxProfiles)
        profiles.erase(profiles.begin());
    profiles.emplace_back(key, profile);
    return profile;
}

}  // namespace

std::shared_ptr<const Profile> ProfileForSelection(HWND window, TextKind kind)
{
    if (!ChecksOn())
        return Profile::Unchecked(kind);
    const CHARFORMAT2A font = FontOfSelection(window);
    if (!OneFont(font))
        return nullptr;
    return ProfileFor(font, kind);
}

std::vector<FontRun> FontRuns(HWND window, LONG first, LONG last, TextKind kind)
{
    // Halved until each part is in one font: a few messages for each change
    // of font, however long the stretches between.
    std::vector<FontRun> runs;
    const std::function<void(LONG, LONG)> split = [&](LONG from, LONG to) {
        SelectRangeOf(window, from, to);
        const CHARFORMAT2A font = FontOfSelection(window);
        if (!OneFont(font) && to - from > 1) {
            const LONG middle = from + (to - from) / 2;
            split(from, middle);
            split(middle, to);
            return;
        }
        std::shared_ptr<const Profile> profile = OneFont(font) ? ProfileFor(font, kind) : nullptr;
        if (!runs.empty() && runs.back().profile && runs.back().profile == profile)
            runs.back().last = to;
        else
            runs.push_back(FontRun{from, to, std::move(profile)});
    };
    if (first < last)
        split(first, last);
    return runs;
}

std::size_t FirstMissing(const std::vector<Insertion>& insertions, std::wstring_view units,
                         const std::vector<CharStyle>& styles, const Profile& profile)
{
    std::size_t p = 0;
    for (std::size_t i = 0; i < insertions.size(); ++i) {
        const Insertion& insertion = insertions[i];
        if (!insertion.Positions())
            continue;
        const wchar_t unit = insertion.isBreak     ? L'\r'
                             : insertion.unit != 0 ? insertion.unit
                                                   : profile.FragmentCharacter(insertion.byte);
        if (p >= units.size() || p >= styles.size() || units[p] != unit || styles[p] != insertion.style)
            return i;
        ++p;
    }
    return insertions.size();
}

namespace testing {

void AlterRtf(std::function<void(Way, std::string&)> alteration)
{
    Alteration() = std::move(alteration);
    ForgetProfiles();
}

void SetChecks(bool on) { ChecksOn() = on; }

void ForgetProfiles() { Profiles().clear(); }

}  // namespace testing

}  // namespace bulk
