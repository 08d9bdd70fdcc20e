#include "winlib/Strings.h"

#include "winlib/Scoped.h"
#include "winlib/Streams.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace winlib {

std::optional<std::wstring> DecodeCodePage(unsigned codePage, std::string_view bytes)
{
    if (bytes.empty())
        return std::wstring();
    const int length = static_cast<int>(bytes.size());
    const int count = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (count <= 0)
        return std::nullopt;
    std::wstring units(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), length, units.data(), count);
    return units;
}

std::wstring SystemFileName(std::string_view name)
{
    if (name.empty())
        return std::wstring();
    const int length = static_cast<int>(name.size());
    UINT codePage = CP_UTF8;
    int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, name.data(), length, nullptr, 0);
    if (count <= 0) {
        codePage = CP_ACP;
        count = MultiByteToWideChar(codePage, 0, name.data(), length, nullptr, 0);
    }
    std::wstring wide(static_cast<std::size_t>((std::max)(count, 0)), L'\0');
    if (count > 0)
        MultiByteToWideChar(codePage, codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, name.data(), length,
                            wide.data(), count);
    return wide;
}

std::string ProgramFileName(std::wstring_view name)
{
    if (name.empty())
        return std::string();
    const int length = static_cast<int>(name.size());
    const int count = WideCharToMultiByte(CP_UTF8, 0, name.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>((std::max)(count, 0)), '\0');
    if (count > 0)
        WideCharToMultiByte(CP_UTF8, 0, name.data(), length, bytes.data(), count, nullptr, nullptr);
    return bytes;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t stop = text.find_first_of("\r\n", start);
        if (stop == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, stop - start));
        start = stop + 1;
        if (text[stop] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

// --- TStrings ---

void TStrings::Put(int index, const std::string& line)
{
    InBatch([&] {
        Delete(index);
        Insert(index, line);
    });
}

int TStrings::Add(const std::string& line)
{
    const int index = GetCount();
    Insert(index, line);
    return index;
}

void TStrings::AddStrings(const TStrings& source) { AppendLines(source); }

void TStrings::AppendLines(const TStrings& source)
{
    // The count is taken once, so that adding a list to itself ends.
    const int count = source.GetCount();
    InBatch([&] {
        for (int i = 0; i < count; ++i)
            Add(source.Get(i));
    });
}

void TStrings::Assign(const TStrings& source)
{
    // Clearing first would lose the very lines to be copied.
    if (&source == this)
        return;
    InBatch([&] {
        Clear();
        AppendLines(source);
    });
}

int TStrings::IndexOf(std::string_view line) const
{
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        if (Get(i) == line)
            return i;
    }
    return -1;
}

void TStrings::InBatch(const std::function<void()>& work)
{
    BeginUpdate();
    Finally end([this] { EndUpdate(); });
    work();
}

void TStrings::BeginUpdate()
{
    if (updateCount_++ == 0)
        SetUpdating(true);
}

void TStrings::EndUpdate()
{
    if (updateCount_ == 0)
        throw EInvalidOperation("EndUpdate without BeginUpdate");
    if (--updateCount_ == 0)
        SetUpdating(false);
}

void TStrings::SetUpdating(bool) {}

std::string TStrings::GetText() const
{
    std::string text;
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        text += Get(i);
        text += "\r\n";
    }
    return text;
}

void TStrings::SetTextStr(const std::string& text)
{
    InBatch([&] {
        Clear();
        for (const std::string& line : SplitLines(text))
            Add(line);
    });
}

void TStrings::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead);
    LoadFromStream(stream);
}

void TStrings::SaveToFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TStrings::LoadFromStream(TStream& stream)
{
    const int64_t left = stream.GetSize() - stream.GetPosition();
    if (left < 0 || static_cast<uint64_t>(left) > (std::numeric_limits<size_t>::max)() / 2)
        throw EReadError("Stream read error");
    std::string text(static_cast<size_t>(left), '\0');
    stream.ReadBuffer(text.data(), text.size());
    SetTextStr(text);
}

void TStrings::SaveToStream(TStream& stream)
{
    const std::string text = GetText();
    stream.WriteBuffer(text.data(), text.size());
}

// --- TStringList ---

void TStringList::CheckIndex(int index, size_t limit) const
{
    if (index < 0 || static_cast<size_t>(index) >= limit)
        throw EStringListError(Format("List index out of bounds (%d)", index));
}

std::string TStringList::Get(int index) const
{
    CheckIndex(index, lines_.size());
    return lines_[static_cast<size_t>(index)];
}

void TStringList::Put(int index, const std::string& line)
{
    CheckIndex(index, lines_.size());
    lines_[static_cast<size_t>(index)] = line;
    Changed();
}

void TStringList::Insert(int index, const std::string& line)
{
    CheckIndex(index, lines_.size() + 1);
    lines_.insert(lines_.begin() + index, line);
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index, lines_.size());
    lines_.erase(lines_.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (lines_.empty())
        return;
    lines_.clear();
    Changed();
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange();
}

void TStringList::SetUpdating(bool updating)
{
    if (!updating)
        Changed();
}

}  // namespace winlib
