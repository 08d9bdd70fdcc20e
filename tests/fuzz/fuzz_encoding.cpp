// Arbitrary bytes as File, Load will see them: whatever reads in a Unicode
// encoding writes back as the same bytes, and is detected as that encoding
// (ASCII alone as 8-bit). Then the same bytes as UTF-16 code units, any text
// a paste can bring: written in each encoding, unless refused for a reason
// found here on its own, it reads back as the same text.
#include "TextEncoding.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace textenc;

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

constexpr Encoding Unicode[] = {Encoding::Utf8, Encoding::Utf8Bom, Encoding::Utf16LeBom};

void CheckBytes(std::string_view bytes)
{
    const Encoding detected = Detect(bytes);
    Require(!IsUnicode(detected) || Decode(bytes, detected));
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    for (const Encoding encoding : Unicode) {
        if (const auto text = Decode(bytes, encoding)) {
            Require(Encode(*text, encoding) == bytes);
            Require(detected == encoding || (encoding == Encoding::Utf8 && ascii && detected == Encoding::Ansi));
        }
    }
}

// True when every surrogate stands in a high-low pair.
bool Paired(std::u16string_view text)
{
    const auto low = [&](std::size_t i) { return i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
        if (low(i) || (high && !low(i + 1)))
            return false;
        i += high ? 1 : 0;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckBytes(bytes);

    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    for (const Encoding encoding : Unicode) {
        const auto written = Encode(text, encoding);
        const bool markLike = encoding == Encoding::Utf8 && !text.empty() && text[0] == 0xFEFF;
        Require(written.has_value() == (encoding == Encoding::Utf16LeBom || (Paired(text) && !markLike)));
        if (written) {
            Require(Decode(*written, encoding) == text);
            CheckBytes(*written);
        }
    }
    Require(!Encode(text, Encoding::Ansi) && !Decode(bytes, Encoding::Ansi));
    return 0;
}
