// Lists of 8-bit text lines: the abstract list and a list held in memory.
#pragma once

#include "winlib/Exceptions.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winlib {

class TStream;

class EStringListError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EStringListError"; }
};

// The value of a hexadecimal digit (either case), or -1 for any other character.
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The UTF-16 text of 8-bit text in a code page, as the system converts it;
// none when the bytes are not text of that code page.
std::optional<std::wstring> DecodeCodePage(unsigned codePage, std::string_view bytes);

// File names go through the program as UTF-8, so that a name in any script
// can be chosen, opened and saved; the system is given them in UTF-16. A
// name that is not valid UTF-8 is taken in the ANSI code page, as names
// were before.
std::wstring SystemFileName(std::string_view name);
std::string ProgramFileName(std::wstring_view name);

// Splits text at CR LF, CR or LF; a line end at the very end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

class TStrings {
public:
    virtual ~TStrings() = default;
    TStrings(const TStrings&) = delete;
    TStrings& operator=(const TStrings&) = delete;

    virtual std::string Get(int index) const = 0;
    virtual int GetCount() const = 0;
    // Replaces a line; by default it deletes it and inserts the new text.
    virtual void Put(int index, const std::string& line);
    virtual void Insert(int index, const std::string& line) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    int Count() const { return GetCount(); }
    // Inserts at the end and returns the new line's index.
    int Add(const std::string& line);
    void AddStrings(const TStrings& source);
    // Becomes a copy of the source's lines, as one batch update.
    virtual void Assign(const TStrings& source);
    int IndexOf(std::string_view line) const;

    // Batch updates nest; SetUpdating runs when the count leaves and
    // returns to 0.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const noexcept { return updateCount_; }
    // Runs work inside a batch update that ends also when work raises.
    void InBatch(const std::function<void()>& work);

    // Every line followed by CR LF.
    std::string GetText() const;
    // Replaces all lines with those of the text, as one batch update.
    virtual void SetTextStr(const std::string& text);

    // By default these go through a file stream and the text as a whole.
    virtual void LoadFromFile(const std::string& fileName);
    virtual void SaveToFile(const std::string& fileName);
    // Reads from the stream's position to its end.
    virtual void LoadFromStream(TStream& stream);
    virtual void SaveToStream(TStream& stream);

protected:
    TStrings() = default;
    virtual void SetUpdating(bool updating);
    // Adds each line of the source at the end, inside a batch update.
    virtual void AppendLines(const TStrings& source);

private:
    int updateCount_ = 0;
};

class TStringList : public TStrings {
public:
    TStringList() = default;

    std::string Get(int index) const override;
    int GetCount() const override { return static_cast<int>(lines_.size()); }
    void Put(int index, const std::string& line) override;
    void Insert(int index, const std::string& line) override;
    void Delete(int index) override;
    void Clear() override;

    // Runs after every change outside a batch update, and once when a batch
    // update ends.
    std::function<void()> OnChange;

protected:
    void SetUpdating(bool updating) override;

private:
    void Changed();
    void CheckIndex(int index, size_t limit) const;

    std::vector<std::string> lines_;
};

}  // namespace winlib
