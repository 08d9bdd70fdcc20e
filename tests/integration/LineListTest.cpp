// The line list over the real rich edit window, its streaming as RTF and
// plain text, the stream callbacks at chunk boundaries, and the converter
// chosen by the file's extension.
#include "RichEditProbe.h"

#include "winlib/Exceptions.h"
#include "winlib/Streams.h"
#include "winlib/Strings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace winlib;
using richtest::RichEditTest;

namespace {

std::string Contents(TMemoryStream& stream)
{
    return std::string(stream.Memory(), static_cast<size_t>(stream.GetSize()));
}

void Fill(TMemoryStream& stream, const std::string& bytes, int64_t position = 0)
{
    stream.Clear();
    stream.WriteBuffer(bytes.data(), bytes.size());
    stream.SetPosition(position);
}

// A stream that fails to read or to write, or writes only part.
class FaultyStream : public TStream {
public:
    enum Fault { ReadThrows, WriteThrows, WritesShort };
    explicit FaultyStream(Fault fault) : fault_(fault) {}
    size_t Read(void*, size_t) override
    {
        if (fault_ == ReadThrows)
            throw EReadError("Stream read error");
        return 0;
    }
    size_t Write(const void*, size_t count) override
    {
        if (fault_ == WriteThrows)
            throw EWriteError("Stream write error");
        return fault_ == WritesShort ? count / 2 : count;
    }
    int64_t Seek(int64_t, SeekOrigin) override { return 0; }

private:
    Fault fault_;
};

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

class LineListTest : public RichEditTest {
protected:
    TRich2EditStrings& Lines() { return edit->Lines(); }
};

}  // namespace

// --------------------------------------------------------------- counting

TEST_F(LineListTest, CountLeavesOutAnEmptyLastLine)
{
    EXPECT_EQ(Lines().Count(), 0);
    SetContent("abc");
    EXPECT_EQ(Lines().Count(), 1);
    SetContent("abc\rdef");
    EXPECT_EQ(Lines().Count(), 2);
    SetContent("abc\rdef\r");
    EXPECT_EQ(Lines().Count(), 2);
    SetContent("abc\r\rdef");
    EXPECT_EQ(Lines().Count(), 3);
    SetContent("\r");
    EXPECT_EQ(Lines().Count(), 1);
}

TEST_F(LineListTest, LinesComeWithoutTheirBreakAtAnyLength)
{
    SetContent("abc\rdef\r\rlast");
    EXPECT_EQ(Lines().Get(0), "abc");
    EXPECT_EQ(Lines().Get(1), "def");
    EXPECT_EQ(Lines().Get(2), "");
    EXPECT_EQ(Lines().Get(3), "last");
    EXPECT_EQ(Lines().Get(4), "");
    EXPECT_EQ(Lines().Get(-1), "");

    std::string longLine;
    for (int i = 0; i < 5000; ++i)
        longLine += static_cast<char>('a' + i % 26);
    edit->SetWordWrap(false);
    SetContent("short\r" + longLine + "\rend");
    EXPECT_EQ(Lines().Get(1), longLine);
    EXPECT_EQ(Lines().Get(2), "end");
}

// --------------------------------------------------------------- changing

TEST_F(LineListTest, InsertAtTheStartOfAnEmptyControl)
{
    Lines().Insert(0, "first");
    EXPECT_EQ(edit->WholeText(), "first\r\n");
    EXPECT_EQ(Lines().Count(), 1);
    Lines().Insert(0, "zero");
    EXPECT_EQ(edit->WholeText(), "zero\r\nfirst\r\n");
}

TEST_F(LineListTest, InsertPastTheLastLine)
{
    SetContent("abc");
    Lines().Insert(1, "x");
    EXPECT_EQ(edit->WholeText(), "abc\r\nx");

    SetContent("abc\r");
    Lines().Insert(1, "x");
    EXPECT_EQ(edit->WholeText(), "abc\r\nx\r\n");

    // The line before is empty and this one does not exist.
    SetContent("abc\r");
    Lines().Insert(2, "x");
    EXPECT_EQ(edit->WholeText(), "abc\r\n");
    Lines().Insert(-1, "x");
    Lines().Insert(7, "x");
    EXPECT_EQ(edit->WholeText(), "abc\r\n");
}

TEST_F(LineListTest, AddAppendsWhateverTheLastLineIs)
{
    SetContent("abc");
    Lines().Add("d");
    Lines().Add("e");
    EXPECT_EQ(edit->WholeText(), "abc\r\nd\r\ne");
    EXPECT_EQ(Lines().Count(), 3);
    EXPECT_EQ(Lines().Get(2), "e");
}

TEST_F(LineListTest, DeleteTakesTheLineAndTheLastLeavesTheBreakBefore)
{
    SetContent("abc\rdef\rghi");
    Lines().Delete(1);
    EXPECT_EQ(edit->WholeText(), "abc\r\nghi");
    Lines().Delete(1);
    EXPECT_EQ(edit->WholeText(), "abc\r\n");
    EXPECT_EQ(Lines().Count(), 1);
    Lines().Delete(-1);
    Lines().Delete(5);
    EXPECT_EQ(edit->WholeText(), "abc\r\n");
    Lines().Delete(0);
    EXPECT_EQ(edit->WholeText(), "");
}

TEST_F(LineListTest, PutReplacesOnlyTheText)
{
    SetContent("abc\rdef\rghi");
    Lines().Put(1, "XY");
    EXPECT_EQ(edit->WholeText(), "abc\r\nXY\r\nghi");
    Lines().Put(2, "");
    EXPECT_EQ(edit->WholeText(), "abc\r\nXY\r\n");
    Lines().Put(-1, "no");
    Lines().Put(9, "no");
    EXPECT_EQ(edit->WholeText(), "abc\r\nXY\r\n");
}

TEST_F(LineListTest, AssigningAListReplacesTheText)
{
    SetContent("old\rtext");
    TStringList list;
    list.Add("one");
    list.Add("two");
    list.Add("three");
    edit->SetLines(list);
    EXPECT_EQ(edit->WholeText(), "one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(Lines().Count(), 3);
    EXPECT_EQ(Lines().Get(1), "two");
    EXPECT_EQ(Lines().GetText(), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(LineListTest, TextReplacementRaisesNoChangeEvent)
{
    int changes = 0;
    edit->OnChange = [&](TComponent*) { ++changes; };
    Lines().SetTextStr("one\ntwo\r\nthree\rfour");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(edit->WholeText(), "one\r\ntwo\r\nthree\r\nfour\r\n");
    EXPECT_NE(SendMessageA(Window(), EM_GETEVENTMASK, 0, 0) & ENM_CHANGE, 0);
    edit->SetSelectedText("x");
    EXPECT_GE(changes, 1);
}

TEST_F(LineListTest, AddingLinesHoldsBackTheSelectionEvent)
{
    int selectionChanges = 0;
    edit->OnSelectionChange = [&](TComponent*) { ++selectionChanges; };
    TStringList list;
    list.Add("a");
    list.Add("b");
    Lines().AddStrings(list);
    EXPECT_EQ(selectionChanges, 0);
    EXPECT_EQ(edit->WholeText(), "a\r\nb\r\n");
    ASSERT_TRUE(static_cast<bool>(edit->OnSelectionChange));
    edit->SetSelectionStart(1);
    EXPECT_GE(selectionChanges, 1);
}

TEST_F(LineListTest, BatchUpdatesStopAndRestartRedrawing)
{
    edit->StartRecording();
    Lines().BeginUpdate();
    Lines().BeginUpdate();
    Lines().Add("x");
    Lines().EndUpdate();
    const auto redrawsInside = edit->SentOf(WM_SETREDRAW);
    Lines().EndUpdate();
    edit->StopRecording();
    ASSERT_EQ(redrawsInside.size(), 1u);
    EXPECT_EQ(redrawsInside[0].wParam, 0u);
    const auto redraws = edit->SentOf(WM_SETREDRAW);
    ASSERT_EQ(redraws.size(), 2u);
    EXPECT_EQ(redraws[1].wParam, 1u);
    EXPECT_EQ(edit->WholeText(), "x\r\n");
}

// -------------------------------------------------------------- streaming

TEST_F(LineListTest, StreamsOutAsRTFOrAsPlainText)
{
    SetContent("abc\rdef");
    TMemoryStream rtf;
    Lines().SaveToStream(rtf);
    EXPECT_EQ(Contents(rtf).rfind("{\\rtf", 0), 0u);

    edit->SetPlainText(true);
    TMemoryStream plain;
    Lines().SaveToStream(plain);
    EXPECT_EQ(Contents(plain), "abc\r\ndef");
}

TEST_F(LineListTest, RTFStreamsInWithItsFormatting)
{
    TMemoryStream stream;
    Fill(stream, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 plain \\b bold\\b0\\par next}");
    Lines().LoadFromStream(stream);
    EXPECT_EQ(edit->WholeText(), "plain bold\r\nnext");
    EXPECT_NE(FormatOf(7, 9).dwEffects & CFE_BOLD, 0u);
    EXPECT_EQ(FormatOf(1, 3).dwEffects & CFE_BOLD, 0u);
}

TEST_F(LineListTest, DataRejectedAsRTFIsReadAgainAsTextFromTheSamePosition)
{
    TMemoryStream stream;
    Fill(stream, "XYZhello\nworld", 3);
    Lines().LoadFromStream(stream);
    EXPECT_EQ(edit->WholeText(), "hello\r\nworld");
}

TEST_F(LineListTest, PlainTextStreamsInAsText)
{
    edit->SetPlainText(true);
    TMemoryStream stream;
    Fill(stream, "{\\rtf1 not parsed}\r\nsecond");
    Lines().LoadFromStream(stream);
    EXPECT_EQ(edit->WholeText(), "{\\rtf1 not parsed}\r\nsecond");
}

TEST_F(LineListTest, ALoneCRAtAChunkBoundaryStaysALineBreak)
{
    // The control asks for chunks of some thousand bytes, half of which the
    // reader fills; breaks just before and after any such boundary survive.
    edit->SetPlainText(true);
    std::string text;
    std::vector<std::string> expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string line = std::to_string(i % 10);
        text += line + "\r";
        expected.push_back(line);
    }
    text += "end\r";
    expected.push_back("end");
    TMemoryStream stream;
    Fill(stream, text);
    Lines().LoadFromStream(stream);
    ASSERT_EQ(Lines().Count(), static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(Lines().Get(static_cast<int>(i)), expected[i]) << "line " << i;
    // Each CR comes back as CR LF.
    EXPECT_EQ(edit->WholeText().size(), text.size() + expected.size());
}

TEST_F(LineListTest, ZeroBytesAreLeftOutAndTheRestOfTheChunkKept)
{
    edit->SetPlainText(true);
    TMemoryStream stream;
    Fill(stream, std::string("abc\0def\nghi", 11));
    Lines().LoadFromStream(stream);
    EXPECT_EQ(edit->WholeText(), "abcdef\r\nghi");
}

TEST_F(LineListTest, FailedTransfersRaiseTheirErrors)
{
    SetContent("kept");
    FaultyStream unreadable(FaultyStream::ReadThrows);
    try {
        Lines().LoadFromStream(unreadable);
        ADD_FAILURE() << "no error";
    } catch (const EOutOfResources& error) {
        EXPECT_EQ(error.Message(), "Failed to Load Stream");
    }
    edit->SetPlainText(true);
    EXPECT_THROW(Lines().LoadFromStream(unreadable), EOutOfResources);
    edit->SetPlainText(false);

    SetContent("some text to write");
    FaultyStream unwritable(FaultyStream::WriteThrows);
    try {
        Lines().SaveToStream(unwritable);
        ADD_FAILURE() << "no error";
    } catch (const EOutOfResources& error) {
        EXPECT_EQ(error.Message(), "Failed to Save Stream");
    }
    FaultyStream full(FaultyStream::WritesShort);
    EXPECT_THROW(Lines().SaveToStream(full), EOutOfResources);
    edit->SetPlainText(true);
    EXPECT_THROW(Lines().SaveToStream(full), EOutOfResources);
}

// -------------------------------------------------------------- callbacks

TEST(LineBreaks, EveryBreakBecomesCRLF)
{
    const std::string source = "a\nb\rc\r\nd";
    char dest[2 * 8];
    bool afterCR = false;
    const size_t count = NormalizeLineBreaks(dest, source.data(), source.size(), afterCR);
    EXPECT_EQ(count, 10u);
    EXPECT_EQ(std::string(dest, count), "a\r\nb\r\nc\r\nd");
    EXPECT_FALSE(afterCR);

    const std::string tail = "x\r";
    EXPECT_EQ(NormalizeLineBreaks(dest, tail.data(), tail.size(), afterCR), 3u);
    EXPECT_TRUE(afterCR);
    const std::string head = "\ny";
    EXPECT_EQ(NormalizeLineBreaks(dest, head.data(), head.size(), afterCR), 1u);
    EXPECT_EQ(dest[0], 'y');
    const std::string breaks = "\n\n\r\r";
    EXPECT_EQ(std::string(dest, NormalizeLineBreaks(dest, breaks.data(), breaks.size(), afterCR)),
              "\r\n\r\n\r\n\r\n");
}

namespace {

// Drives the reading callback as the control does, with chunks of cb bytes.
std::string StreamInChunks(const std::string& bytes, LONG cb, std::vector<LONG>* sizes = nullptr)
{
    TMemoryStream stream;
    Fill(stream, bytes);
    TConversion converter;
    TStreamCookie cookie{&converter, &stream};
    std::string result;
    std::vector<BYTE> buffer(static_cast<size_t>(cb));
    for (;;) {
        LONG got = -1;
        EXPECT_EQ(StreamInCallback(reinterpret_cast<DWORD_PTR>(&cookie), buffer.data(), cb, &got), 0u);
        EXPECT_LE(got, cb);
        if (got <= 0)
            break;
        if (sizes != nullptr)
            sizes->push_back(got);
        result.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(got));
    }
    return result;
}

}  // namespace

TEST(StreamCallbacks, ReadingFillsAtMostHalfAndKeepsBreaksAcrossChunks)
{
    std::vector<LONG> sizes;
    EXPECT_EQ(StreamInChunks("abcdefg", 6, &sizes), "abcdefg");
    EXPECT_EQ(sizes, (std::vector<LONG>{3, 3, 1}));

    // CR at the end of a chunk, LF at the start of the next: one break.
    EXPECT_EQ(StreamInChunks("ab\r\ncd", 6), "ab\r\ncd");
    // A lone CR at the end of a chunk, and at the end of everything.
    EXPECT_EQ(StreamInChunks("ab\rcd\r", 6), "ab\r\ncd\r\n");
    // Breaks that double a chunk still fit the control's buffer.
    EXPECT_EQ(StreamInChunks("\n\n\n\n\n\n", 6), "\r\n\r\n\r\n\r\n\r\n\r\n");
    // A zero byte ends nothing.
    EXPECT_EQ(StreamInChunks(std::string("ab\0cdef", 7), 8), "abcdef");
}

TEST(StreamCallbacks, ErrorsBecomeResults)
{
    FaultyStream unreadable(FaultyStream::ReadThrows);
    TConversion converter;
    TStreamCookie reading{&converter, &unreadable};
    BYTE buffer[16];
    LONG got = -1;
    EXPECT_EQ(StreamInCallback(reinterpret_cast<DWORD_PTR>(&reading), buffer, 16, &got), 1u);
    EXPECT_EQ(got, 0);

    FaultyStream unwritable(FaultyStream::WriteThrows);
    TStreamCookie writing{&converter, &unwritable};
    EXPECT_EQ(StreamOutCallback(reinterpret_cast<DWORD_PTR>(&writing), buffer, 16, &got), 2u);
    EXPECT_EQ(got, 0);

    FaultyStream full(FaultyStream::WritesShort);
    TStreamCookie shortWrite{&converter, &full};
    EXPECT_EQ(StreamOutCallback(reinterpret_cast<DWORD_PTR>(&shortWrite), buffer, 16, &got), 2u);
    EXPECT_EQ(got, 8);

    TMemoryStream memory;
    TStreamCookie good{&converter, &memory};
    std::memcpy(buffer, "0123456789ABCDEF", 16);
    EXPECT_EQ(StreamOutCallback(reinterpret_cast<DWORD_PTR>(&good), buffer, 16, &got), 0u);
    EXPECT_EQ(got, 16);
    EXPECT_EQ(Contents(memory), "0123456789ABCDEF");

    TStreamCookie none{nullptr, &memory};
    EXPECT_EQ(StreamInCallback(reinterpret_cast<DWORD_PTR>(&none), buffer, 16, &got), 0u);
    EXPECT_EQ(got, 0);
}

// ------------------------------------------------------ files, converters

TEST(ConversionFormats, ExtensionChoosesTheEntryAndTxtIsTheFallback)
{
    const TConversionFormat* head = ConversionFormatList();
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->Extension, "txt");
    ASSERT_NE(head->Next, nullptr);
    EXPECT_EQ(head->Next->Extension, "rtf");
    EXPECT_EQ(head->Next->Next, nullptr);

    EXPECT_EQ(FindConversionFormat("C:\\Docs\\LETTER.RTF").Extension, "rtf");
    EXPECT_EQ(FindConversionFormat("notes.txt").Extension, "txt");
    EXPECT_EQ(FindConversionFormat("report.doc").Extension, "txt");
    EXPECT_EQ(FindConversionFormat("README").Extension, "txt");
    EXPECT_EQ(FindConversionFormat("C:\\old.rtf\\plain").Extension, "txt");
    EXPECT_EQ(FindConversionFormat("archive.tar.rtf").Extension, "rtf");
    EXPECT_STREQ(FindConversionFormat("x.rtf").ConverterClass()->ClassName(), "TConversion");
}

TEST_F(LineListTest, FilesRoundTripAndKeepTheirConverter)
{
    const std::string name = TempPath("vexil-linelist.RTF");
    SetContent("file text\rline two");
    CHARFORMAT2A bold{};
    bold.dwMask = CFM_BOLD;
    bold.dwEffects = CFE_BOLD;
    SetFormat(0, 4, bold);
    EXPECT_EQ(Lines().Converter(), nullptr);
    Lines().SaveToFile(name);
    ASSERT_NE(Lines().Converter(), nullptr);
    EXPECT_STREQ(Lines().Converter()->ClassName(), "TConversion");

    edit->ClearText();
    Lines().LoadFromFile(name);
    EXPECT_EQ(edit->WholeText(), "file text\r\nline two");
    EXPECT_NE(FormatOf(1, 2).dwEffects & CFE_BOLD, 0u);
    EXPECT_EQ(FormatOf(6, 7).dwEffects & CFE_BOLD, 0u);
    EXPECT_NE(Lines().Converter(), nullptr);
    std::remove(name.c_str());
}

TEST_F(LineListTest, FileErrorsNameTheFileAndDropTheConverter)
{
    const std::string missing = TempPath("vexil-no-such-file.txt");
    std::remove(missing.c_str());
    Lines().SaveToFile(TempPath("vexil-linelist-ok.txt"));
    ASSERT_NE(Lines().Converter(), nullptr);
    try {
        Lines().LoadFromFile(missing);
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(), "Cannot open file " + missing);
    }
    EXPECT_EQ(Lines().Converter(), nullptr);

    const std::string uncreatable = TempPath("no-such-folder\\x.txt");
    try {
        Lines().SaveToFile(uncreatable);
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(error.Message(), "Cannot create file " + uncreatable);
    }
    EXPECT_EQ(Lines().Converter(), nullptr);
    std::remove(TempPath("vexil-linelist-ok.txt").c_str());
}

TEST_F(LineListTest, PlainTextDecidesTheFormatWhateverTheExtension)
{
    const std::string name = TempPath("vexil-plain.rtf");
    edit->SetPlainText(true);
    SetContent("just text\rtwo");
    Lines().SaveToFile(name);
    TMemoryStream written;
    written.LoadFromFile(name);
    EXPECT_EQ(Contents(written), "just text\r\ntwo");
    std::remove(name.c_str());
}
