// The RTF reader that File, Save trusts with the styles of the document, on
// any bytes: it returns runs or raises EMalformedRtf, nothing else, and what
// it returns matches its own text with the styles it states. And fragments
// written from the input (styled bytes and breaks, as File, Load brings them
// to the control) read back as written.
#include "RtfText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace rtftext;

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// Every byte as the unit of the same number, whatever the code page: the
// system's conversion is not what is fuzzed here.
std::optional<WideText> Latin1(unsigned, std::string_view bytes)
{
    WideText units;
    for (const char byte : bytes)
        units += static_cast<wchar_t>(static_cast<unsigned char>(byte));
    return units;
}

void ReadsAnyBytes(std::string_view input)
{
    std::vector<RtfRun> runs;
    try {
        runs = ReadRuns(input, Latin1);
    } catch (const EMalformedRtf&) {
        return;
    }
    WideText units;
    std::vector<std::optional<CharStyle>> stated;
    for (const RtfRun& run : runs) {
        units += run.text;
        const bool both = run.style.text && run.style.back;
        const std::optional<CharStyle> style =
            both ? std::optional<CharStyle>(CharStyle{run.style.bold, run.style.underline, *run.style.text,
                                                      *run.style.back})
                 : std::nullopt;
        stated.insert(stated.end(), run.text.size(), style);
    }
    const auto matched = MatchStyles(runs, units, Faithful::Everything());
    Require(matched.has_value() && *matched == stated);
}

// Three bytes a step: what to do (text, break, or a Take), the style's bold,
// underline and text colour, its background colour.
void FragmentsReadBack(const std::uint8_t* data, std::size_t size)
{
    FragmentWriter writer(1252);
    std::vector<std::pair<wchar_t, CharStyle>> expected;
    std::vector<RtfRun> runs;
    const auto take = [&] {
        const std::vector<RtfRun> part = ReadRuns(writer.Take(), Latin1);
        runs.insert(runs.end(), part.begin(), part.end());
    };
    for (std::size_t i = 0; i + 3 <= size; i += 3) {
        const CharStyle style{(data[i + 1] & 1) != 0, (data[i + 1] & 2) != 0, data[i + 1] * 0x010203u & 0xFFFFFF,
                              data[i + 2] * 0x030201u & 0xFFFFFF};
        const char byte = static_cast<char>(data[i]);
        writer.SetStyle(style);
        if (byte == '\r' || byte == '\n') {
            writer.Break();
            expected.emplace_back(L'\r', style);
        } else if (byte == '\0') {
            take();
        } else {
            writer.Text(std::string_view(&byte, 1));
            expected.emplace_back(static_cast<wchar_t>(static_cast<unsigned char>(byte)), style);
        }
    }
    take();
    std::size_t at = 0;
    for (const RtfRun& run : runs) {
        for (const wchar_t unit : run.text) {
            Require(at < expected.size() && unit == expected[at].first);
            Require(run.style.text && run.style.back);
            Require(CharStyle{run.style.bold, run.style.underline, *run.style.text, *run.style.back} ==
                    expected[at].second);
            ++at;
        }
    }
    Require(at == expected.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ReadsAnyBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    FragmentsReadBack(data, size);
    return 0;
}
