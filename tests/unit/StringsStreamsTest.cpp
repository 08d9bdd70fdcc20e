#include "winlib/Streams.h"
#include "winlib/Strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

using namespace winlib;
using namespace std::string_literals;

namespace {

using Lines = std::vector<std::string>;

// A list that logs every primitive the base class calls on it.
class LoggedLines : public TStrings {
public:
    std::string Get(int i) const override { return lines.at(static_cast<size_t>(i)); }
    int GetCount() const override { return static_cast<int>(lines.size()); }
    void Insert(int i, const std::string& s) override
    {
        log.push_back("insert " + std::to_string(i) + " " + s);
        lines.insert(lines.begin() + i, s);
    }
    void Delete(int i) override
    {
        log.push_back("delete " + std::to_string(i));
        lines.at(static_cast<size_t>(i));  // raises when out of range
        lines.erase(lines.begin() + i);
    }
    void Clear() override { log.push_back("clear"); lines.clear(); }
    void SetUpdating(bool updating) override { log.push_back(updating ? "updating" : "updated"); }
    void AppendLines(const TStrings& source) override { log.push_back("append"); TStrings::AppendLines(source); }

    Lines lines;
    Lines log;
};

// Takes at most 3 bytes per write, to provoke a short transfer.
class ShortWriteStream : public TMemoryStream {
public:
    size_t Write(const void* buffer, size_t count) override
    {
        return TMemoryStream::Write(buffer, (std::min)(count, size_t{3}));
    }
};

// The message of the exception of class E that work raises.
template <class E, class Work>
std::string MessageOf(Work&& work)
{
    try {
        work();
    } catch (const E& e) {
        return e.Message();
    }
    ADD_FAILURE() << "nothing raised";
    return "";
}

std::string TempPath(const std::string& leaf)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return Format("%svexil-ss-%lu-", temp, GetCurrentProcessId()) + leaf;
}

TEST(TStringsTest, BaseOperationsGoThroughThePrimitives)
{
    LoggedLines list;
    EXPECT_EQ(list.Add("a"), 0);
    EXPECT_EQ(list.Add("b"), 1);
    list.Put(0, "c");
    EXPECT_EQ(list.log, (Lines{"insert 0 a", "insert 1 b", "updating", "delete 0", "insert 0 c", "updated"}));
    EXPECT_EQ(list.GetText(), "c\r\nb\r\n");
    EXPECT_EQ(list.IndexOf("b"), 1);
    EXPECT_EQ(list.IndexOf("B"), -1);

    TStringList source;
    source.SetTextStr("x\r\ny");
    list.log.clear();
    list.Assign(source);
    EXPECT_EQ(list.log, (Lines{"updating", "clear", "append", "insert 0 x", "insert 1 y", "updated"}));
    list.Assign(list);  // assigning itself keeps the lines
    EXPECT_EQ(list.lines, (Lines{"x", "y"}));
    list.AddStrings(list);
    EXPECT_EQ(list.lines, (Lines{"x", "y", "x", "y"}));

    // A failing primitive inside a batch still ends the batch.
    list.log.clear();
    EXPECT_THROW(list.Put(9, "z"), std::out_of_range);
    EXPECT_EQ(list.UpdateCount(), 0);
    EXPECT_EQ(list.log.back(), "updated");
}

TEST(TStringsTest, StringListUpdatesAndIndexChecks)
{
    TStringList list;
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    list.Add("one");
    EXPECT_EQ(changes, 1);
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("two");
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(changes, 1);  // still inside the outer batch
    list.EndUpdate();
    EXPECT_EQ(changes, 2);
    EXPECT_THROW(list.EndUpdate(), EInvalidOperation);
    list.SetTextStr("1\r\n2\r\n3");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(list.GetText(), "1\r\n2\r\n3\r\n");

    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Get(3); }), "List index out of bounds (3)");
    EXPECT_THROW(list.Insert(4, "x"), EStringListError);
    EXPECT_THROW(list.Put(-1, "x"), EStringListError);
    EXPECT_THROW(list.Delete(3), EStringListError);
}

TEST(TStringsTest, SetTextStrSplitsAtEveryLineEnd)
{
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"", {}}, {"a", {"a"}}, {"a\r\n", {"a"}}, {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\r\r\nb", {"a", "", "b"}}, {"\r\n\r\n", {"", ""}}, {"\n\r", {"", ""}},
        {"a\n\nb\r", {"a", "", "b"}}, {"x\0y"s, {"x\0y"s}},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        LoggedLines list;
        list.lines = {"old"};
        list.SetTextStr(text);
        EXPECT_EQ(list.lines, expected);
        EXPECT_EQ(list.log.front(), "updating");
        EXPECT_EQ(list.log.back(), "updated");
    }
}

TEST(TStreamTest, MemoryStream)
{
    TMemoryStream stream;
    stream.WriteBuffer("hello", 5);
    EXPECT_EQ(stream.GetSize(), 5);
    EXPECT_EQ(stream.Seek(-2, SeekOrigin::End), 3);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 2u);
    EXPECT_EQ(std::string(buffer, 2), "lo");
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 0u);

    stream.SetPosition(7);  // past the end: the gap reads as zero bytes
    stream.WriteBuffer("!", 1);
    EXPECT_EQ(std::string(stream.Memory(), 8), "hello\0\0!"s);
    stream.SetSize(4);
    EXPECT_EQ(stream.GetPosition(), 4);
    EXPECT_THROW(stream.Seek(-5, SeekOrigin::Current), EStreamError);

    stream.SetPosition(1);
    EXPECT_EQ(MessageOf<EReadError>([&] { stream.ReadBuffer(buffer, 4); }), "Stream read error");
    ShortWriteStream shortWrite;
    EXPECT_EQ(MessageOf<EWriteError>([&] { shortWrite.WriteBuffer("abcd", 4); }), "Stream write error");

    TMemoryStream copy;
    stream.SetPosition(2);
    EXPECT_EQ(copy.CopyFrom(stream, 0), 4);  // 0: the whole source
    stream.SetPosition(1);
    EXPECT_EQ(copy.CopyFrom(stream, 2), 2);
    EXPECT_EQ(std::string(copy.Memory(), static_cast<size_t>(copy.GetSize())), "hellel");
    copy.Clear();
    EXPECT_EQ(copy.GetSize(), 0);
}

TEST(TStreamTest, FileStreamRoundTripsAndMessages)
{
    const std::string path = TempPath("stream.bin");
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    TMemoryStream source;
    for (int i = 0; i < 1000; ++i)  // several copy chunks
        source.WriteBuffer(all.data(), all.size());
    {
        TFileStream file(path, fmCreate);
        EXPECT_EQ(file.CopyFrom(source, 0), 256000);
        EXPECT_EQ(file.GetSize(), 256000);
        file.SetSize(256);
        EXPECT_EQ(file.GetPosition(), 256);
    }
    {
        TMemoryStream back;
        back.LoadFromFile(path);
        EXPECT_EQ(std::string(back.Memory(), static_cast<size_t>(back.GetSize())), all);
        TFileStream file(path, fmOpenReadWrite);
        file.Seek(0, SeekOrigin::End);
        file.WriteBuffer("tail", 4);
        file.SetPosition(250);
        char buffer[16] = {};
        EXPECT_EQ(file.Read(buffer, sizeof buffer), 10u);
        EXPECT_EQ(std::string(buffer, 10), all.substr(250) + "tail");
    }

    TStringList lines;
    lines.SetTextStr("first\r\nsecond\rthird");
    lines.SaveToFile(path);
    TMemoryStream saved;
    saved.LoadFromFile(path);
    EXPECT_EQ(std::string(saved.Memory(), static_cast<size_t>(saved.GetSize())), "first\r\nsecond\r\nthird\r\n");
    TStringList loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.GetText(), "first\r\nsecond\r\nthird\r\n");

    const std::string missing = TempPath("missing.bin");
    const std::string inMissingFolder = TempPath("nofolder\\x.bin");
    EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream(missing, fmOpenRead); }), "Cannot open file " + missing);
    EXPECT_EQ(MessageOf<EFCreateError>([&] { TFileStream(inMissingFolder, fmCreate); }),
              "Cannot create file " + inMissingFolder);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(TFileStream(path, fmOpenWrite), EFOpenError);
    EXPECT_THROW(TFileStream(path, fmCreate), EFCreateError);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

}  // namespace
