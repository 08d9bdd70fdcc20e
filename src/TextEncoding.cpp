#include "TextEncoding.h"

#include <cstddef>

namespace textenc {

namespace {

bool StartsWith(std::string_view bytes, std::string_view mark) { return bytes.substr(0, mark.size()) == mark; }

// The length of the valid UTF-8 sequence at bytes[at], with its code point;
// 0 when none starts there. The ranges of the second byte after E0, ED, F0
// and F4 are what shuts out overlong forms, surrogates and code points above
// U+10FFFF; C0, C1 and F5-FF never start a sequence.
std::size_t NextCodePoint(std::string_view bytes, std::size_t at, char32_t& code)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned lead = byte(0);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    std::size_t length = 0;
    unsigned low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (bytes.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned next = byte(i);
        if (next < low || next > high)
            return 0;
        low = 0x80;
        high = 0xBF;
        code = (code << 6) | (next & 0x3F);
    }
    return length;
}

constexpr bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf16(std::u16string& text, char32_t code)
{
    if (code < 0x10000) {
        text += static_cast<char16_t>(code);
    } else {
        code -= 0x10000;
        text += static_cast<char16_t>(0xD800 + (code >> 10));
        text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    }
}

void AppendUtf8(std::string& bytes, char32_t code)
{
    if (code < 0x80) {
        bytes += static_cast<char>(code);
        return;
    }
    const std::size_t length = code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    static constexpr unsigned char leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
    char out[4];
    for (std::size_t i = length - 1; i > 0; --i) {
        out[i] = static_cast<char>(0x80 | (code & 0x3F));
        code >>= 6;
    }
    out[0] = static_cast<char>(leads[length] | code);
    bytes.append(out, length);
}

// Appends the text as UTF-8; false at a surrogate without its pair.
bool AppendUtf8Text(std::string& bytes, std::u16string_view text)
{
    bytes.reserve(bytes.size() + text.size() + text.size() / 2);
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at];
        if (IsHighSurrogate(unit) && at + 1 < text.size() && IsLowSurrogate(text[at + 1]))
            AppendUtf8(bytes, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[++at]) - 0xDC00));
        else if (IsHighSurrogate(unit) || IsLowSurrogate(unit))
            return false;
        else
            AppendUtf8(bytes, unit);
    }
    return true;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes)
{
    char32_t code = 0;
    for (std::size_t at = 0, length = 0; at < bytes.size(); at += length)
        if ((length = NextCodePoint(bytes, at, code)) == 0)
            return false;
    return true;
}

Encoding Detect(std::string_view bytes)
{
    if (StartsWith(bytes, Utf16LeMark))
        return bytes.size() % 2 == 0 ? Encoding::Utf16LeBom : Encoding::Ansi;
    if (StartsWith(bytes, Utf8Mark))
        return IsValidUtf8(bytes.substr(Utf8Mark.size())) ? Encoding::Utf8Bom : Encoding::Ansi;
    bool multiByte = false;
    char32_t code = 0;
    for (std::size_t at = 0, length = 0; at < bytes.size(); at += length) {
        if ((length = NextCodePoint(bytes, at, code)) == 0)
            return Encoding::Ansi;
        multiByte = multiByte || length > 1;
    }
    return multiByte ? Encoding::Utf8 : Encoding::Ansi;
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    char32_t code = 0;
    for (std::size_t at = 0, length = 0; at < bytes.size(); at += length) {
        if ((length = NextCodePoint(bytes, at, code)) == 0)
            return std::nullopt;
        AppendUtf16(text, code);
    }
    return text;
}

std::optional<std::string> Utf16ToUtf8(std::u16string_view text)
{
    std::string bytes;
    if (!AppendUtf8Text(bytes, text))
        return std::nullopt;
    return bytes;
}

std::optional<std::u16string> Decode(std::string_view bytes, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        if (StartsWith(bytes, Utf8Mark))
            return std::nullopt;
        return Utf8ToUtf16(bytes);
    case Encoding::Utf8Bom:
        if (!StartsWith(bytes, Utf8Mark))
            return std::nullopt;
        return Utf8ToUtf16(bytes.substr(Utf8Mark.size()));
    case Encoding::Utf16LeBom: {
        if (!StartsWith(bytes, Utf16LeMark) || bytes.size() % 2 != 0)
            return std::nullopt;
        const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
        std::u16string text((bytes.size() - Utf16LeMark.size()) / 2, u'\0');
        for (std::size_t i = 0, at = Utf16LeMark.size(); i < text.size(); ++i, at += 2)
            text[i] = static_cast<char16_t>(byte(at) | (byte(at + 1) << 8));
        return text;
    }
    case Encoding::Ansi:
        break;
    }
    return std::nullopt;
}

std::optional<std::string> Encode(std::u16string_view text, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        if (!text.empty() && text.front() == u'\xFEFF')
            return std::nullopt;
        return Utf16ToUtf8(text);
    case Encoding::Utf8Bom: {
        std::string bytes(Utf8Mark);
        if (!AppendUtf8Text(bytes, text))
            return std::nullopt;
        return bytes;
    }
    case Encoding::Utf16LeBom: {
        std::string bytes(Utf16LeMark);
        bytes.reserve(bytes.size() + 2 * text.size());
        for (const char16_t unit : text) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
        return bytes;
    }
    case Encoding::Ansi:
        break;
    }
    return std::nullopt;
}

}  // namespace textenc
