#include "CharacterList.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace charlist;

namespace {

// The list as the main window has always filled it, byte by byte.
std::vector<std::string> TodaysEntries(bool filtered)
{
    std::vector<std::string> entries;
    if (filtered)
        entries = {"\x91", "\x92"};
    for (int c = filtered ? 160 : 20; c <= 255; ++c)
        entries.emplace_back(1, static_cast<char>(c));
    return entries;
}

// For a Unicode document: today's entries as the code page's characters,
// then block elements, the black square and box drawing.
TEST(CharacterList, EightBitEntriesAreTodaysAndUnicodeOnesAddTheArtCharacters)
{
    CodePageTable cp1252{};
    for (int b = 0; b < 256; ++b)
        cp1252[b] = static_cast<char16_t>(b == 0x91 ? 0x2018 : b == 0x92 ? 0x2019 : b);
    for (bool filtered : {true, false}) {
        EXPECT_EQ(ByteEntries(filtered), TodaysEntries(filtered)) << "filtered " << filtered;
        std::vector<std::u16string> expected;
        for (const std::string& entry : TodaysEntries(filtered))
            expected.emplace_back(1, cp1252[static_cast<unsigned char>(entry[0])]);
        const std::pair<int, int> art[] = {{0x2580, 0x259F}, {0x25A0, 0x25A0}, {0x2500, 0x257F}};
        for (const auto& [first, last] : art)
            for (int c = first; c <= last; ++c)
                expected.emplace_back(1, static_cast<char16_t>(c));
        EXPECT_EQ(UnicodeEntries(filtered, cp1252), expected) << "filtered " << filtered;
    }
}

}  // namespace
