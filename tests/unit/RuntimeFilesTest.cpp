#include "winlib/RuntimeFiles.h"

#include "winlib/Exceptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

using namespace winlib;
using namespace std::string_literals;

namespace {

using Lines = std::vector<std::string>;

// A fresh folder under the temporary folder, removed with what is in it.
class RuntimeFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = (std::filesystem::temp_directory_path() / Format("vexil-rt-%lu", GetCurrentProcessId())).string();
        std::filesystem::remove_all(dir_);
        ASSERT_TRUE(std::filesystem::create_directory(dir_));
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& leaf) const { return dir_ + "\\" + leaf; }

    // Written and read with the standard library, independent of the classes tested.
    static void WriteRaw(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadRaw(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    Lines LinesOf(const std::string& bytes)
    {
        const std::string path = Path("lines.txt");
        WriteRaw(path, bytes);
        TextFileReader reader;
        reader.Reset(path);
        Lines lines;
        std::string line;
        while (reader.ReadLine(line))
            lines.push_back(line);
        EXPECT_TRUE(reader.Eof());
        EXPECT_FALSE(reader.ReadLine(line));
        EXPECT_TRUE(line.empty());
        reader.Close();
        return lines;
    }

    std::string dir_;
};

// The code and message of the EInOutError that work raises.
template <class Work>
std::pair<int, std::string> IoFailure(Work&& work)
{
    try {
        work();
    } catch (const EInOutError& e) {
        return {e.ErrorCode(), e.Message()};
    }
    ADD_FAILURE() << "no EInOutError raised";
    return {0, ""};
}

using Failure = std::pair<int, std::string>;

TEST_F(RuntimeFilesTest, ReaderLineEnds)
{
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"", {}},
        {"ab", {"ab"}},
        {"ab\r\n", {"ab"}},
        {"\r\n", {""}},
        {"a\rb\rc", {"a", "b", "c"}},
        {"a\r\nb\r\nc", {"a", "b", "c"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\nb\r\nc\n", {"a\nb", "c\n"}},
        {"ab\x1A" "cd\r\nef", {"ab"}},
        {"ab\r\n\x1A\r\nzz", {"ab"}},
        {"\x1A" "abc\r\n", {}},
        {"a\0b\r\n"s, {"a\0b"s}},
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        EXPECT_EQ(LinesOf(bytes), expected);
    }
}

TEST_F(RuntimeFilesTest, ReaderLongLinesAndBlockBoundaries)
{
    const size_t block = TextFileReader::BlockSize;
    const std::string longLine(100000, 'x');
    EXPECT_EQ(LinesOf(longLine + "\r\ntail"), (Lines{longLine, "tail"}));

    const std::string head(block - 1, 'a');
    // CR ends one block, LF starts the next: one line end.
    EXPECT_EQ(LinesOf(head + "\r\nb"), (Lines{head, "b"}));
    EXPECT_EQ(LinesOf(head + "\rcd"), (Lines{head, "cd"}));
    EXPECT_EQ(LinesOf(head + "\r\r\n"), (Lines{head, ""}));
    EXPECT_EQ(LinesOf(head + "a\x1A" "zz\r\n"), (Lines{head + "a"}));
}

TEST_F(RuntimeFilesTest, WriterBytesAndLineEnds)
{
    const std::string path = Path("out.txt");
    WriteRaw(path, std::string(200000, 'o'));  // truncated by Rewrite
    const std::string big(TextFileWriter::BufferSize + 3, 'b');
    {
        TextFileWriter writer;
        writer.Rewrite(path);
        writer.WriteLine("one");
        writer.Write("\0\x1A\r"s);
        writer.WriteLine("");
        writer.Write(big);
        writer.WriteLine("end");
        writer.Close();
        EXPECT_FALSE(writer.IsOpen());
    }
    EXPECT_EQ(ReadRaw(path), "one\r\n\0\x1A\r\r\n"s + big + "end\r\n");

    {
        TextFileWriter writer;
        writer.Rewrite(path);
        writer.Write("kept");
        // No Close: the destructor still writes what is buffered.
    }
    EXPECT_EQ(ReadRaw(path), "kept");

    TextFileWriter writer;
    writer.Rewrite(path);
    writer.Close();
    EXPECT_EQ(ReadRaw(path), "");
}

TEST_F(RuntimeFilesTest, OpenFailuresGiveRuntimeMessages)
{
    TextFileReader reader;
    TextFileWriter writer;
    ByteFile bytes;
    const std::string missing = Path("missing.txt");
    const std::string inMissingFolder = Path("nofolder\\x.txt");
    const Failure notFound{2, "File not found"};
    const Failure badName{3, "Invalid filename"};
    const Failure denied{5, "File access denied"};

    EXPECT_EQ(IoFailure([&] { reader.Reset(missing); }), notFound);
    EXPECT_EQ(IoFailure([&] { reader.Reset(inMissingFolder); }), badName);
    EXPECT_EQ(IoFailure([&] { writer.Rewrite(inMissingFolder); }), badName);
    EXPECT_EQ(IoFailure([&] { reader.Reset(dir_); }), denied);
    EXPECT_EQ(IoFailure([&] { writer.Rewrite(dir_); }), denied);
    EXPECT_EQ(IoFailure([&] { writer.Rewrite(Path("a\0b"s)); }), (Failure{123, "I/O error 123"}));

    const std::string readOnly = Path("readonly.txt");
    WriteRaw(readOnly, "keep");
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(IoFailure([&] { writer.Rewrite(readOnly); }), denied);
    EXPECT_EQ(IoFailure([&] { bytes.Rewrite(readOnly); }), denied);
    EXPECT_EQ(ReadRaw(readOnly), "keep");
    reader.Reset(readOnly);  // reading it is allowed
    reader.Close();
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RuntimeFilesTest, UseAndWriteFailures)
{
    const Failure notOpen{103, "I/O error 103"};
    TextFileReader reader;
    TextFileWriter writer;
    ByteFile bytes;
    std::string line;
    char c = 0;
    EXPECT_EQ(IoFailure([&] { writer.Write("x"); }), notOpen);
    EXPECT_EQ(IoFailure([&] { writer.Close(); }), notOpen);
    EXPECT_EQ(IoFailure([&] { reader.ReadLine(line); }), notOpen);
    EXPECT_EQ(IoFailure([&] { bytes.Read(&c, 1); }), notOpen);

    const std::string path = Path("w.bin");
    bytes.Rewrite(path);
    EXPECT_EQ(IoFailure([&] { bytes.Read(&c, 1); }), (Failure{5, "File access denied"}));
    bytes.Close();
    EXPECT_EQ(IoFailure([&] { bytes.Close(); }), notOpen);

    EXPECT_EQ(InOutErrorCode(ERROR_DISK_FULL), 101);
    EXPECT_EQ(InOutErrorCode(ERROR_HANDLE_DISK_FULL), 101);
    EXPECT_EQ(InOutErrorCode(ERROR_SHARING_VIOLATION), 32);

    // Under Wine the Linux device that is always full gives a real "disk full".
    const std::string full = "Z:\\dev\\full";
    if (!OpenFileHandle(full, GENERIC_WRITE, OPEN_EXISTING))
        GTEST_SKIP() << "no " << full << " here";
    const Failure diskFull{101, "Disk full"};
    writer.Rewrite(full);
    writer.Write("buffered");  // fits the buffer: the failure must come at Close
    EXPECT_EQ(IoFailure([&] { writer.Close(); }), diskFull);
    EXPECT_FALSE(writer.IsOpen());
    writer.Rewrite(full);
    EXPECT_EQ(IoFailure([&] { writer.Write(std::string(TextFileWriter::BufferSize * 2, 'x')); }), diskFull);
    bytes.Rewrite(full);
    EXPECT_EQ(IoFailure([&] { bytes.Write("x", 1); }), diskFull);
}

TEST_F(RuntimeFilesTest, ByteFileKeepsEveryByte)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string path = Path("bytes.bin");
    ByteFile file;
    file.Rewrite(path);
    file.Write(all.data(), 100);
    file.Write(all.data() + 100, all.size() - 100);
    file.Close();
    EXPECT_EQ(ReadRaw(path), all);

    WriteRaw(path, all + all);
    file.Reset(path);
    std::string back(600, '?');
    EXPECT_EQ(file.Read(back.data(), 300), 300u);
    EXPECT_EQ(file.Read(back.data() + 300, 300), 212u);  // short at the end
    EXPECT_EQ(file.Read(back.data(), 10), 0u);
    file.Close();
    back.resize(512);
    EXPECT_EQ(back, all + all);
}

}  // namespace
