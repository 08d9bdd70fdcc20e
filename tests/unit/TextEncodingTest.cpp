#include "TextEncoding.h"
#include "winlib/TextLines.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace textenc;
using namespace std::string_literals;

namespace {

template <class Key, class Value>
using Table = std::vector<std::pair<Key, Value>>;

// After the ASCII row: invalid UTF-8 (a cp1252 byte, overlong forms, a
// surrogate, above U+10FFFF, cut short, a stray continuation), a mark before
// invalid UTF-8, an odd UTF-16 byte count and big-endian UTF-16.
TEST(TextEncoding, Detection)
{
    const Table<std::string, Encoding> cases = {
        {"", Encoding::Ansi}, {"ab\r\n\x03" "04x", Encoding::Ansi}, {"caf\xE9", Encoding::Ansi},
        {"\xA6", Encoding::Ansi}, {"\xC0\xAF", Encoding::Ansi}, {"\xE0\x80\xAF", Encoding::Ansi},
        {"\xF0\x80\x80\xAF", Encoding::Ansi}, {"\xED\xA0\x80", Encoding::Ansi}, {"\xF4\x90\x80\x80", Encoding::Ansi},
        {"\xF5\x80\x80\x80", Encoding::Ansi}, {"\xE2\x96", Encoding::Ansi}, {"a\xC2", Encoding::Ansi},
        {"\xE2\x96\x88\x80", Encoding::Ansi}, {"\xEF\xBB\xBF\xFF", Encoding::Ansi}, {"\xFF\xFE" "a", Encoding::Ansi},
        {"\xFE\xFF\0a"s, Encoding::Ansi}, {"\xC2\x80", Encoding::Utf8}, {"\xED\x9F\xBF", Encoding::Utf8},
        {"\xEE\x80\x80", Encoding::Utf8}, {"\xF0\x90\x80\x80", Encoding::Utf8}, {"\xF4\x8F\xBF\xBF", Encoding::Utf8},
        {"\xEF\xBB\xBF", Encoding::Utf8Bom}, {"\xFF\xFE", Encoding::Utf16LeBom},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(Detect(bytes), expected) << testing::PrintToString(bytes);
}

// Files in the writer's form, read as their encoding and written back byte
// for byte; a surrogate without its pair is kept in UTF-16.
TEST(TextEncoding, RoundTrips)
{
    const Table<std::string, std::u16string> cases = {
        {"\x03" "04,01\xE2\x96\x88\xE2\x96\x80\r\n", u"\x03" u"04,01\u2588\u2580\r\n"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"}, {"\xEF\xBB\xBF", u""}, {"\xEF\xBB\xBF" "a\xE2\x96\x91", u"a\u2591"},
        {"\xEF\xBB\xBF" "ab", u"ab"}, {"\xEF\xBB\xBF\xEF\xBB\xBF", u"\uFEFF"}, {"\xFF\xFE", u""},
        {"\xFF\xFE\x88\x25" "a\0\r\0"s, u"\u2588a\r"}, {"\xFF\xFE\x3D\xD8\x00\xDE"s, u"\U0001F600"},
        {"\xFF\xFE\x00\xD8" "a\0"s, u"\xD800" u"a"},
    };
    for (const auto& [bytes, text] : cases) {
        const Encoding encoding = Detect(bytes);
        EXPECT_TRUE(IsUnicode(encoding)) << testing::PrintToString(bytes);
        EXPECT_EQ(Decode(bytes, encoding), text) << testing::PrintToString(bytes);
        EXPECT_EQ(Encode(text, encoding), bytes) << testing::PrintToString(bytes);
    }
}

// What would not come back as it was is refused, never replaced.
TEST(TextEncoding, Refusals)
{
    const Table<std::u16string, Encoding> texts = {{u"\xD800", Encoding::Utf8}, {u"a\xDC00", Encoding::Utf8Bom},
        {u"\xDC00\xD800", Encoding::Utf8}, {u"\uFEFF" u"a", Encoding::Utf8}, {u"a", Encoding::Ansi}};
    for (const auto& [text, encoding] : texts)
        EXPECT_FALSE(Encode(text, encoding)) << testing::PrintToString(text);
    const Table<std::string, Encoding> bytes = {{"\xEF\xBB\xBF" "a", Encoding::Utf8}, {"ab", Encoding::Utf8Bom},
        {"\xFF\xFE" "a", Encoding::Utf16LeBom}, {"a\0"s, Encoding::Utf16LeBom}, {"\xC0\xAF", Encoding::Utf8},
        {"a", Encoding::Ansi}};
    for (const auto& [b, encoding] : bytes)
        EXPECT_FALSE(Decode(b, encoding)) << testing::PrintToString(b);
}

// The 8-bit line rules on UTF-16 characters, fed whole and one at a time:
// U+250D holds the byte 0D and U+251A the byte 1A, yet neither ends anything.
TEST(TextEncoding, Utf16Lines)
{
    using Lines = std::vector<std::u16string>;
    const Table<std::u16string, Lines> cases = {
        {u"", {}}, {u"a\u250Db\u251Ac\u0A0D", {u"a\u250Db\u251Ac\u0A0D"}},
        {u"a\rb\r\nc\nd\r\r\n", {u"a", u"b", u"c\nd", u""}},
        {u"\u250D\r\n\u251A\x1A" u"b\r\n", {u"\u250D", u"\u251A"}}, {u"\x1A" u"a", {}},
    };
    for (const auto& [text, expected] : cases) {
        for (const std::size_t block : {text.size(), std::size_t{1}}) {
            const std::u16string_view whole = text;
            std::size_t at = 0;
            winlib::Utf16LineSplitter splitter([&] {
                at += block;
                return whole.substr(at - block, block);
            });
            Lines lines;
            for (std::u16string line; splitter.ReadLine(line);)
                lines.push_back(line);
            EXPECT_EQ(lines, expected) << testing::PrintToString(text) << " in blocks of " << block;
            EXPECT_TRUE(splitter.AtEnd());
        }
    }
}

}  // namespace
