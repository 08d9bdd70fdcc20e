// The runtime's files: text files read and written line by line, and files of
// single bytes. Every operation is checked at once; a failure raises
// EInOutError with the Windows error code or one of the runtime's own codes.
#pragma once

#include "winlib/Scoped.h"
#include "winlib/TextLines.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winlib {

// The runtime's own input/output error codes.
enum : int {
    ioReadBeyondEnd = 100,
    ioDiskFull = 101,
    ioFileNotOpen = 103,
};

// The EInOutError code for a Windows error: both "disk full" errors become the
// runtime's 101, every other code passes through unchanged.
int InOutErrorCode(unsigned long win32Error) noexcept;

// Raises EInOutError for GetLastError().
[[noreturn]] void RaiseLastInOutError();

// CreateFile with the read-only attribute honoured for writers, which Wine
// running as root would otherwise ignore. Returns no handle on failure, with
// GetLastError set; the name is a program file name (UTF-8, see Strings.h).
FileHandle OpenFileHandle(const std::string& name, DWORD access, DWORD disposition);

// Makes bytes the whole content of the file name without a moment in which
// a failure could destroy the old file: they are written to a new file in
// the same folder and flushed to the disk, which then takes the old file's
// place in one step (keeping its attributes and permissions). When any step
// fails, the old file is as it was, no new file is left, and EInOutError
// reports the failure. A read-only file is refused. Where the folder refuses
// a new file but the file itself may be written, it is rewritten in place,
// the one way left.
void ReplaceFileContent(const std::string& name, std::string_view bytes);

// A text file for writing: lines end with CR LF. Writes are buffered; a
// failure surfaces at the latest at Close.
class TextFileWriter {
public:
    TextFileWriter();
    ~TextFileWriter();  // flushes and closes quietly
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Creates the file, or truncates it to length 0.
    void Rewrite(const std::string& name);
    void Write(std::string_view bytes);
    void WriteLine(std::string_view line);
    void Flush();
    void Close();
    bool IsOpen() const noexcept { return static_cast<bool>(file_); }

    static constexpr size_t BufferSize = 64 * 1024;

private:
    void WriteThrough(const char* data, size_t count);
    void RequireOpen() const;

    FileHandle file_;
    std::vector<char> buffer_;
    size_t used_ = 0;
};

// A text file for reading, line by line. A line ends at CR, CR LF or CR alone;
// a lone LF is data; the first 0x1A ends the data.
class TextFileReader {
public:
    TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // Opens an existing file for reading.
    void Reset(const std::string& name);
    // Reads the next line without its line end; false at the end of the data.
    bool ReadLine(std::string& line);
    // True at the end of the file or before a 0x1A byte.
    bool Eof();
    void Close();
    bool IsOpen() const noexcept { return static_cast<bool>(file_); }

    static constexpr size_t BlockSize = 64 * 1024;

private:
    std::string_view NextBlock();
    void RequireOpen() const;

    FileHandle file_;
    std::vector<char> block_;
    std::optional<LineSplitter> lines_;
};

// A file of single bytes: read and written unchanged.
class ByteFile {
public:
    ByteFile() = default;
    ByteFile(const ByteFile&) = delete;
    ByteFile& operator=(const ByteFile&) = delete;

    // Opens an existing file for reading.
    void Reset(const std::string& name);
    // Creates the file, or truncates it, for writing.
    void Rewrite(const std::string& name);
    // Returns the number of bytes read; fewer than asked only at the end.
    size_t Read(void* buffer, size_t maxCount);
    // Every byte from here to the end.
    std::string ReadRest();
    // Writes all bytes or raises; a short write is "Disk full".
    void Write(const void* buffer, size_t count);
    void Close();
    bool IsOpen() const noexcept { return static_cast<bool>(file_); }

private:
    void RequireOpen() const;

    FileHandle file_;
};

}  // namespace winlib
