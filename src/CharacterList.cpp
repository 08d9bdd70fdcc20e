#include "CharacterList.h"

namespace charlist {

std::vector<std::string> ByteEntries(bool filtered)
{
    std::vector<std::string> entries;
    const auto add = [&](int byte) { entries.emplace_back(1, static_cast<char>(byte)); };
    if (filtered) {
        add(0x91);
        add(0x92);
        for (int c = 0xA0; c <= 0xFF; ++c)
            add(c);
    } else {
        for (int c = 20; c <= 0xFF; ++c)
            add(c);
    }
    return entries;
}

std::vector<std::u16string> UnicodeEntries(bool filtered, const CodePageTable& codePage)
{
    std::vector<std::u16string> entries;
    for (const std::string& entry : ByteEntries(filtered))
        entries.emplace_back(1, codePage[static_cast<unsigned char>(entry[0])]);
    const auto addRange = [&](char16_t first, char16_t last) {
        for (char16_t c = first; c <= last; ++c)
            entries.emplace_back(1, c);
    };
    addRange(u'\u2580', u'\u259F');
    addRange(u'\u25A0', u'\u25A0');
    addRange(u'\u2500', u'\u257F');
    return entries;
}

}  // namespace charlist
