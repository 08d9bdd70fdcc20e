#include "CodedText.h"

#include <utility>

namespace codedtext {

namespace {

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::string Indexof(const Palette& palette, Color color)
{
    for (std::size_t i = 0; i < palette.size(); ++i) {
        if (palette[i] == color) {
            const char code[2] = {static_cast<char>('0' + i / 10), static_cast<char>('0' + i % 10)};
            return std::string(code, 2);
        }
    }
    return "-1";
}

void getcolors(const Palette& palette, std::string_view spec, Color& textColor,
               Color& backColor, int& consumed)
{
    // Spaces pad a short colour field; they are neither digit nor comma, so
    // the padding is never consumed.
    char t[ColorSpecLength];
    for (std::size_t k = 0; k < ColorSpecLength; ++k)
        t[k] = k < spec.size() ? spec[k] : ' ';

    const auto entry = [&](std::size_t first, std::size_t digits) {
        unsigned n = 0;
        for (std::size_t k = first; k < first + digits; ++k)
            n = n * 10 + static_cast<unsigned>(t[k] - '0');
        return palette[n % 16]; // 0..15 stay, 16..99 fold
    };

    if (!IsDigit(t[0]))
        return;
    const std::size_t textDigits = IsDigit(t[1]) ? 2 : 1;
    textColor = entry(0, textDigits);
    consumed = static_cast<int>(textDigits);

    // A comma belongs to the code only when a digit follows it.
    const std::size_t comma = textDigits;
    if (t[comma] == ',' && IsDigit(t[comma + 1])) {
        const std::size_t backDigits = IsDigit(t[comma + 2]) ? 2 : 1;
        backColor = entry(comma + 1, backDigits);
        consumed = static_cast<int>(comma + 1 + backDigits);
    }
}

DecodedLine DecodeLine(const Palette& palette, std::string_view line)
{
    DecodedLine result;
    result.chars.reserve(line.size());
    result.endStyle = DecodeLineTo(palette, line, [&](const StyledChar& c) { result.chars.push_back(c); });
    return result;
}

CodeWriter::CodeWriter(const Palette& palette)
    : palette_(palette), running_(WriterLineStartStyle(palette))
{
}

void CodeWriter::AppendCodes(const CharStyle& style, std::string& out)
{
    if (style.bold != running_.bold)
        out += BoldCode;
    if (style.underline != running_.underline)
        out += UnderlineCode;
    if (style.text != running_.text || style.back != running_.back) {
        out += ColorCode;
        out += Indexof(palette_, style.text);
        out += ',';
        out += Indexof(palette_, style.back);
    }
    running_ = style;
}

void CodeWriter::Reset() { running_ = WriterLineStartStyle(palette_); }

void CodeWriter::AppendCodes(const CharStyle& style, std::u16string& out)
{
    std::string codes;
    AppendCodes(style, codes);
    out.append(codes.begin(), codes.end());
}

template <class Char>
BasicEncoder<Char>::BasicEncoder(const Palette& palette) : writer_(palette)
{
}

template <class Char>
bool BasicEncoder<Char>::Add(const CharStyle& style, View selectedText)
{
    // A break's own style is compared too, so its codes end the line it ends.
    writer_.AppendCodes(style, text_);
    if (selectedText.size() == 1 && selectedText[0] == static_cast<Char>(ParagraphBreak)) {
        text_ += static_cast<Char>('\r');
        text_ += static_cast<Char>('\n');
        writer_.Reset();
        return true;
    }
    if (selectedText.size() == 1 && selectedText[0] == static_cast<Char>(LineFeed))
        return false;
    text_.append(selectedText.data(), selectedText.size());
    return false;
}

template <class Char>
typename BasicEncoder<Char>::String BasicEncoder<Char>::Take()
{
    String taken;
    taken.swap(text_);
    return taken;
}

template class BasicEncoder<char>;
template class BasicEncoder<char16_t>;

} // namespace codedtext
