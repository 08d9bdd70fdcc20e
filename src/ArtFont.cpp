#include "ArtFont.h"

#include "winlib/Exceptions.h"
#include "winlib/Scoped.h"

#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

using namespace winlib;

namespace artfont {

namespace {

struct Range {
    wchar_t first;
    wchar_t last;
};

// Box drawing, block elements, and the black square that the character list
// offers with them.
constexpr Range ArtRanges[] = {{0x2500, 0x257F}, {0x2580, 0x259F}, {0x25A0, 0x25A0}};
constexpr Range PrintableAscii = {0x20, 0x7E};

HDC ScreenDC(const WindowDC& screen)
{
    if (screen.Get() == nullptr)
        throw EOutOfResources("No screen device context to measure fonts on");
    return screen.Get();
}

bool DrawsEveryArtCharacter(HDC dc)
{
    std::wstring characters;
    for (const Range& range : ArtRanges)
        for (wchar_t c = range.first; c <= range.last; ++c)
            characters += c;
    const int count = static_cast<int>(characters.size());
    std::vector<WORD> glyphs(characters.size());
    if (GetGlyphIndicesW(dc, characters.c_str(), count, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) !=
        static_cast<DWORD>(count))
        return false;
    for (WORD glyph : glyphs)
        if (glyph == 0xFFFF)
            return false;
    return true;
}

// The advance of 'M' when the printable ASCII and the art characters all
// have it.
std::optional<int> EvenAdvance(HDC dc)
{
    INT advance = 0;
    if (!GetCharWidth32W(dc, L'M', L'M', &advance) || advance <= 0)
        return std::nullopt;
    std::vector<Range> ranges(std::begin(ArtRanges), std::end(ArtRanges));
    ranges.push_back(PrintableAscii);
    for (const Range& range : ranges) {
        std::vector<INT> widths(static_cast<size_t>(range.last - range.first) + 1);
        if (!GetCharWidth32W(dc, range.first, range.last, widths.data()))
            return std::nullopt;
        for (INT width : widths)
            if (width != advance)
                return std::nullopt;
    }
    return advance;
}

// The font selected into dc judged as ArtCell says.
std::optional<Cell> ArtCellIn(HDC dc)
{
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(dc, &metrics) || (metrics.tmPitchAndFamily & TMPF_TRUETYPE) == 0)
        return std::nullopt;
    if (!DrawsEveryArtCharacter(dc))
        return std::nullopt;
    const std::optional<int> advance = EvenAdvance(dc);
    if (!advance)
        return std::nullopt;
    return Cell{*advance, metrics.tmHeight};
}

int CALLBACK CollectTrueTypeFace(const LOGFONTW* logFont, const TEXTMETRICW*, DWORD fontType, LPARAM faces)
{
    // A name starting with '@' is the vertical form of a face, for text set
    // in columns.
    if ((fontType & TRUETYPE_FONTTYPE) != 0 && logFont->lfFaceName[0] != L'@')
        reinterpret_cast<std::set<std::wstring>*>(faces)->insert(logFont->lfFaceName);
    return 1;
}

std::set<std::wstring> InstalledTrueTypeFaces(HDC dc)
{
    LOGFONTW all{};
    all.lfCharSet = DEFAULT_CHARSET;
    std::set<std::wstring> faces;
    EnumFontFamiliesExW(dc, &all, CollectTrueTypeFace, reinterpret_cast<LPARAM>(&faces), 0);
    return faces;
}

// The face name as TFont takes it; empty when the ANSI code page cannot
// spell it.
std::string AnsiName(const std::wstring& name)
{
    const int length = static_cast<int>(name.size());
    const bool utf8 = GetACP() == CP_UTF8;  // holds every name, and takes no flags
    BOOL lost = FALSE;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* lostFlag = utf8 ? nullptr : &lost;
    const int size = WideCharToMultiByte(CP_ACP, flags, name.c_str(), length, nullptr, 0, nullptr, lostFlag);
    if (size <= 0 || size >= LF_FACESIZE || lost)
        return {};
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, name.c_str(), length, ansi.data(), size, nullptr, nullptr);
    return ansi;
}

// Whether the font selected into dc is the face asked for, not another that
// the system put in its place.
bool IsFace(HDC dc, const std::wstring& name)
{
    wchar_t realised[LF_FACESIZE] = {};
    return GetTextFaceW(dc, LF_FACESIZE, realised) > 0 && _wcsicmp(realised, name.c_str()) == 0;
}

int Distance(Cell a, Cell b)
{
    const int width = a.width - b.width;
    const int height = a.height - b.height;
    return width * width + height * height;
}

std::optional<ArtFace> FindArtFace(Cell target)
{
    WindowDC screen(nullptr);
    const HDC dc = ScreenDC(screen);
    std::optional<ArtFace> best;
    int bestDistance = 0;
    // Faces in name order and sizes upwards: the first of equally near ones stays.
    for (const std::wstring& face : InstalledTrueTypeFaces(dc)) {
        ArtFace candidate;
        candidate.name = AnsiName(face);
        if (candidate.name.empty())
            continue;
        candidate.height = -(std::max)(target.height, 1);
        TFont font;
        ApplyTo(font, candidate);
        {
            SelectedObject selected(dc, font.Handle());
            if (font.Handle() == nullptr || !IsFace(dc, face) || !DrawsEveryArtCharacter(dc))
                continue;
        }
        // Whole points, since the rich edit control takes its size so; up
        // to twice the target's height, past which no cell is near it.
        const int ppi = ScreenPixelsPerInch();
        for (int points = 1; MulDiv(points, ppi, 72) <= 2 * target.height; ++points) {
            candidate.height = -MulDiv(points, ppi, 72);
            ApplyTo(font, candidate);
            if (font.Handle() == nullptr)
                continue;
            SelectedObject selected(dc, font.Handle());
            const std::optional<Cell> cell = ArtCellIn(dc);
            if (!cell)
                continue;
            const int distance = Distance(*cell, target);
            if (!best || distance < bestDistance) {
                candidate.cell = *cell;
                best = candidate;
                bestDistance = distance;
            }
        }
    }
    return best;
}

}  // namespace

Cell MeasureCell(const TFont& font)
{
    WindowDC screen(nullptr);
    const HDC dc = ScreenDC(screen);
    if (font.Handle() == nullptr)
        throw EOutOfResources(Format("Cannot make the font %s", font.Name().c_str()));
    SelectedObject selected(dc, font.Handle());
    TEXTMETRICW metrics{};
    Win32Check(GetTextMetricsW(dc, &metrics) != FALSE);
    return Cell{metrics.tmAveCharWidth, metrics.tmHeight};
}

std::optional<Cell> ArtCell(const TFont& font)
{
    WindowDC screen(nullptr);
    const HDC dc = ScreenDC(screen);
    if (font.Handle() == nullptr)
        return std::nullopt;
    SelectedObject selected(dc, font.Handle());
    return ArtCellIn(dc);
}

const std::optional<ArtFace>& ArtFaceNear(const TFont& reference)
{
    static std::mutex mutex;
    static std::map<std::pair<int, int>, std::optional<ArtFace>> chosen;
    const Cell target = MeasureCell(reference);
    const std::pair<int, int> key(target.width, target.height);
    std::lock_guard<std::mutex> lock(mutex);
    auto found = chosen.find(key);
    if (found == chosen.end())
        found = chosen.emplace(key, FindArtFace(target)).first;
    return found->second;
}

void ApplyTo(TFont& font, const ArtFace& face)
{
    // One change, so that a control showing the font takes it once.
    LOGFONTA logFont = font.LogFont();
    std::memset(logFont.lfFaceName, 0, sizeof logFont.lfFaceName);
    std::strncpy(logFont.lfFaceName, face.name.c_str(), LF_FACESIZE - 1);
    logFont.lfHeight = face.height;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfPitchAndFamily = FIXED_PITCH;
    font.SetLogFont(logFont);
}

}  // namespace artfont
