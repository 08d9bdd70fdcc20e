// The selected text is read through requests that state their room, so that
// no code page can make the control write past the buffer. A code page of
// three bytes a character (UTF-8 as the system's) cannot be had under Wine
// here; a request that writes as such a control would stands in for it.
#include "CustomRich2edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Writes text as the control writes a selection: as much as the room holds
// with its zero byte, and the count without it.
struct Control {
    std::string text;
    std::vector<std::size_t> rooms;

    std::size_t operator()(char* buffer, std::size_t size)
    {
        rooms.push_back(size);
        const std::size_t count = (std::min)(text.size(), size - 1);
        std::memcpy(buffer, text.data(), count);
        buffer[count] = '\0';
        return count;
    }
};

TEST(SizedTextTest, TextOfThreeBytesACharacterComesWholeThroughLargerRequests)
{
    const std::size_t characters = 1000;
    Control control{std::string(3 * characters, '\xE2'), {}};
    const std::string text =
        ReadSizedText(std::ref(control), 2 * characters + 2, 4 * characters + 2);
    EXPECT_EQ(text, control.text);
    ASSERT_EQ(control.rooms.size(), 2u);  // two bytes a character first, then more
    EXPECT_EQ(control.rooms[0], 2 * characters + 2);
    EXPECT_GT(control.rooms[1], 3 * characters);
}

TEST(SizedTextTest, ShortTextTakesOneRequestAndEndlessTextStopsAtTheBound)
{
    Control shortText{"ab\r", {}};
    EXPECT_EQ(ReadSizedText(std::ref(shortText), 8, 16), "ab\r");
    EXPECT_EQ(shortText.rooms.size(), 1u);

    Control endless{std::string(100000, 'x'), {}};
    const std::string text = ReadSizedText(std::ref(endless), 10, 4002);
    EXPECT_EQ(text.size(), 4001u);
    EXPECT_EQ(endless.rooms.back(), 4002u);
}

}  // namespace
