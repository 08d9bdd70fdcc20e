#include "winlib/RuntimeFiles.h"

#include "winlib/Exceptions.h"
#include "winlib/Strings.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <limits>
#include <utility>

namespace winlib {

namespace {

// The largest transfer one ReadFile/WriteFile call takes.
constexpr size_t MaxChunk = (std::numeric_limits<DWORD>::max)();

// Writes all bytes; returns 0 or the EInOutError code of the failure, so that
// closing can still release the handle before it raises.
int WriteAll(HANDLE file, const char* data, size_t count) noexcept
{
    while (count > 0) {
        const DWORD chunk = static_cast<DWORD>((std::min)(count, MaxChunk));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr))
            return InOutErrorCode(GetLastError());
        if (written < chunk)
            return ioDiskFull;
        data += written;
        count -= written;
    }
    return 0;
}

FileHandle OpenOrRaise(const std::string& name, DWORD access, DWORD disposition)
{
    FileHandle file = OpenFileHandle(name, access, disposition);
    if (!file)
        RaiseLastInOutError();
    return file;
}

void CloseOrRaise(FileHandle& file)
{
    if (!file.Close())
        RaiseLastInOutError();
}

}  // namespace

int InOutErrorCode(unsigned long win32Error) noexcept
{
    switch (win32Error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ioDiskFull;
    default:
        return static_cast<int>(win32Error);
    }
}

void RaiseLastInOutError() { throw EInOutError(InOutErrorCode(GetLastError())); }

// --- opening files ---

FileHandle OpenFileHandle(const std::string& name, DWORD access, DWORD disposition)
{
    // A NUL inside the name would silently open a different, shorter name.
    if (name.find('\0') != std::string::npos) {
        SetLastError(ERROR_INVALID_NAME);
        return FileHandle();
    }
    const bool writing = (access & GENERIC_WRITE) != 0;
    if (writing) {
        const DWORD attributes = GetFileAttributesW(SystemFileName(name).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FileHandle();
        }
    }
    // Readers let others go on writing; writers let others read.
    const DWORD share = writing ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    return FileHandle(
        CreateFileW(SystemFileName(name).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// --- replacing a whole file ---

namespace {

// A name beside target that no file has yet, created empty and open for
// writing; no handle when the folder refuses it (GetLastError says why).
FileHandle CreateSibling(const std::wstring& target, const wchar_t* tag, std::wstring& name)
{
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[48];
        swprintf(suffix, sizeof suffix / sizeof suffix[0], L".%lx-%x.%ls", GetCurrentProcessId(), ++counter, tag);
        name = target + suffix;
        FileHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (file || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return FileHandle();
}

// Why the old file could not give way to the new one, where the system says
// only that it could not: asked of the old file itself (another program
// holding it open without sharing, most often).
int ReplaceFailureCode(const std::wstring& target, DWORD error)
{
    switch (error) {
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: {
        const FileHandle probe(CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
        return probe ? ERROR_ACCESS_DENIED : InOutErrorCode(GetLastError());
    }
    default: return InOutErrorCode(error);
    }
}

}  // namespace

void ReplaceFileContent(const std::string& name, std::string_view bytes)
{
    if (name.find('\0') != std::string::npos)
        throw EInOutError(ERROR_INVALID_NAME);
    const std::wstring target = SystemFileName(name);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        throw EInOutError(ERROR_ACCESS_DENIED);

    std::wstring fresh;
    FileHandle file = CreateSibling(target, L"tmp", fresh);
    if (!file) {
        if (GetLastError() != ERROR_ACCESS_DENIED || !exists)
            RaiseLastInOutError();
        FileHandle inPlace = OpenOrRaise(name, GENERIC_WRITE, CREATE_ALWAYS);
        if (const int code = WriteAll(inPlace.Get(), bytes.data(), bytes.size()))
            throw EInOutError(code);
        CloseOrRaise(inPlace);
        return;
    }
    // Gone again unless it took the old file's place.
    bool placed = false;
    Finally removeFresh([&] {
        if (!placed)
            DeleteFileW(fresh.c_str());
    });
    int code = WriteAll(file.Get(), bytes.data(), bytes.size());
    if (code == 0 && !FlushFileBuffers(file.Get()))
        code = InOutErrorCode(GetLastError());
    const bool closed = file.Close();
    if (code == 0 && !closed)
        code = InOutErrorCode(GetLastError());
    if (code != 0)
        throw EInOutError(code);

    if (!exists) {
        if (!MoveFileExW(fresh.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
            RaiseLastInOutError();
        placed = true;
        return;
    }
    // The old file steps aside under a name of its own first, so that a
    // replacement that cannot be moved in leaves it whole, to be put back.
    std::wstring aside;
    if (!CreateSibling(target, L"old", aside))
        RaiseLastInOutError();
    // Only the name was wanted: the replace moves the old file there.
    DeleteFileW(aside.c_str());
    if (ReplaceFileW(target.c_str(), fresh.c_str(), aside.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr)) {
        placed = true;
        DeleteFileW(aside.c_str());
        return;
    }
    // Where the old file was already set aside, it goes back; it is never
    // deleted, lest it be the only copy.
    const DWORD error = GetLastError();
    if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES)
        MoveFileExW(aside.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    throw EInOutError(ReplaceFailureCode(target, error));
}

// --- TextFileWriter ---

TextFileWriter::TextFileWriter() : buffer_(BufferSize) {}

TextFileWriter::~TextFileWriter()
{
    // Unwinding from an earlier error: keep what was written, but a second
    // error cannot be raised from here.
    if (IsOpen())
        WriteAll(file_.Get(), buffer_.data(), used_);
}

void TextFileWriter::RequireOpen() const
{
    if (!IsOpen())
        throw EInOutError(ioFileNotOpen);
}

void TextFileWriter::Rewrite(const std::string& name)
{
    if (IsOpen())
        Close();
    file_ = OpenOrRaise(name, GENERIC_WRITE, CREATE_ALWAYS);
    used_ = 0;
}

void TextFileWriter::WriteThrough(const char* data, size_t count)
{
    if (const int code = WriteAll(file_.Get(), data, count))
        throw EInOutError(code);
}

void TextFileWriter::Write(std::string_view bytes)
{
    RequireOpen();
    if (used_ + bytes.size() > buffer_.size())
        Flush();
    if (bytes.size() >= buffer_.size()) {
        WriteThrough(bytes.data(), bytes.size());
        return;
    }
    std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
}

void TextFileWriter::WriteLine(std::string_view line)
{
    Write(line);
    Write("\r\n");
}

void TextFileWriter::Flush()
{
    RequireOpen();
    // Emptied first: bytes whose write failed are reported once, not retried.
    const size_t count = std::exchange(used_, 0);
    WriteThrough(buffer_.data(), count);
}

void TextFileWriter::Close()
{
    RequireOpen();
    const int flushCode = WriteAll(file_.Get(), buffer_.data(), std::exchange(used_, 0));
    const bool closed = file_.Close();
    if (flushCode != 0)
        throw EInOutError(flushCode);
    if (!closed)
        RaiseLastInOutError();
}

// --- TextFileReader ---

TextFileReader::TextFileReader() : block_(BlockSize) {}

void TextFileReader::RequireOpen() const
{
    if (!IsOpen())
        throw EInOutError(ioFileNotOpen);
}

void TextFileReader::Reset(const std::string& name)
{
    file_ = OpenOrRaise(name, GENERIC_READ, OPEN_EXISTING);
    lines_.emplace([this] { return NextBlock(); });
}

std::string_view TextFileReader::NextBlock()
{
    DWORD got = 0;
    if (!ReadFile(file_.Get(), block_.data(), static_cast<DWORD>(block_.size()), &got, nullptr))
        RaiseLastInOutError();
    return std::string_view(block_.data(), got);
}

bool TextFileReader::Eof()
{
    RequireOpen();
    return lines_->AtEnd();
}

bool TextFileReader::ReadLine(std::string& line)
{
    RequireOpen();
    return lines_->ReadLine(line);
}

void TextFileReader::Close()
{
    RequireOpen();
    CloseOrRaise(file_);
}

// --- ByteFile ---

void ByteFile::RequireOpen() const
{
    if (!IsOpen())
        throw EInOutError(ioFileNotOpen);
}

void ByteFile::Reset(const std::string& name) { file_ = OpenOrRaise(name, GENERIC_READ, OPEN_EXISTING); }

void ByteFile::Rewrite(const std::string& name) { file_ = OpenOrRaise(name, GENERIC_WRITE, CREATE_ALWAYS); }

size_t ByteFile::Read(void* buffer, size_t maxCount)
{
    RequireOpen();
    char* out = static_cast<char*>(buffer);
    size_t total = 0;
    while (total < maxCount) {
        const DWORD chunk = static_cast<DWORD>((std::min)(maxCount - total, MaxChunk));
        DWORD got = 0;
        if (!ReadFile(file_.Get(), out + total, chunk, &got, nullptr))
            RaiseLastInOutError();
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

std::string ByteFile::ReadRest()
{
    std::string bytes;
    char block[65536];
    for (size_t read; (read = Read(block, sizeof block)) > 0;)
        bytes.append(block, read);
    return bytes;
}

void ByteFile::Write(const void* buffer, size_t count)
{
    RequireOpen();
    if (const int code = WriteAll(file_.Get(), static_cast<const char*>(buffer), count))
        throw EInOutError(code);
}

void ByteFile::Close()
{
    RequireOpen();
    CloseOrRaise(file_);
}

}  // namespace winlib
