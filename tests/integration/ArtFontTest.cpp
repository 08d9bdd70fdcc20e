// The face chosen for Unicode art, measured with other calls than the
// chooser's (its Unicode ranges, text extents), whatever its name.
#include "ArtFont.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace winlib;

namespace {

void DescribeFixedsys(TFont& font)
{
    font.SetName("Fixedsys");
    font.SetHeight(-12);
    font.SetCharset(ANSI_CHARSET);
}

TEXTMETRICW MetricsOf(HDC dc, const TFont& font)
{
    SelectedObject selected(dc, font.Handle());
    TEXTMETRICW metrics{};
    EXPECT_TRUE(GetTextMetricsW(dc, &metrics));
    return metrics;
}

TEST(ArtFont, ChosenFaceDrawsEveryArtCharacterAtTheAdvanceOfItsLettersInACellNearFixedsys)
{
    TFont fixedsys, font;
    DescribeFixedsys(fixedsys);
    const auto& face = artfont::ArtFaceNear(fixedsys);
    ASSERT_TRUE(face) << "no installed face qualifies (the package fonts-dejavu-core has one)";
    EXPECT_EQ(&face, &artfont::ArtFaceNear(fixedsys)) << "the choice is remembered";
    artfont::ApplyTo(font, *face);
    WindowDC screen(nullptr);
    const HDC dc = screen.Get();
    const TEXTMETRICW fixedsysMetrics = MetricsOf(dc, fixedsys), metrics = MetricsOf(dc, font);
    std::printf("chosen: %s height %d, cell %dx%d; Fixedsys %ldx%ld\n", face->name.c_str(), face->height,
                face->cell.width, face->cell.height, fixedsysMetrics.tmAveCharWidth, fixedsysMetrics.tmHeight);

    SelectedObject selected(dc, font.Handle());
    char realised[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, realised);
    EXPECT_STREQ(realised, face->name.c_str());
    std::vector<BYTE> buffer(GetFontUnicodeRanges(dc, nullptr));
    auto* glyphs = reinterpret_cast<GLYPHSET*>(buffer.data());
    ASSERT_TRUE(!buffer.empty() && GetFontUnicodeRanges(dc, glyphs) != 0);
    const auto covered = [&](wchar_t c) {
        for (const WCRANGE& range : std::vector<WCRANGE>(glyphs->ranges, glyphs->ranges + glyphs->cRanges))
            if (c >= range.wcLow && c - range.wcLow < range.cGlyphs)
                return true;
        return false;
    };
    SIZE letter{}, extent{};
    ASSERT_TRUE(GetTextExtentPoint32W(dc, L"M", 1, &letter));
    std::wstring art;
    for (wchar_t c = 0x2500; c <= 0x25A0; ++c) {
        art += c;
        EXPECT_TRUE(covered(c)) << std::hex << "U+" << static_cast<unsigned>(c);
        EXPECT_TRUE(GetTextExtentPoint32W(dc, &c, 1, &extent) && extent.cx == letter.cx)
            << std::hex << "U+" << static_cast<unsigned>(c) << std::dec << " is " << extent.cx << " wide";
    }
    ASSERT_TRUE(GetTextExtentPoint32W(dc, art.c_str(), static_cast<int>(art.size()), &extent));
    EXPECT_EQ(extent.cx, letter.cx * static_cast<LONG>(art.size())) << "a line of them keeps the columns";

    EXPECT_EQ(face->cell.width, letter.cx);
    EXPECT_EQ(face->cell.height, metrics.tmHeight);
    EXPECT_LE(std::abs(letter.cx - fixedsysMetrics.tmAveCharWidth), 1);
    EXPECT_LE(std::abs(metrics.tmHeight - fixedsysMetrics.tmHeight), 2);
}

// Fixedsys lacks the art characters; a proportional face draws them at other
// advances than its letters'.
TEST(ArtFont, FacesThatDoNotDrawArtInTheirLettersColumnsAreRefused)
{
    TFont font;
    DescribeFixedsys(font);
    EXPECT_FALSE(artfont::ArtCell(font));
    font.SetName("DejaVu Sans");
    font.SetHeight(-13);
    EXPECT_FALSE(artfont::ArtCell(font));
}

}  // namespace
