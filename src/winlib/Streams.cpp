#include "winlib/Streams.h"

#include "winlib/Exceptions.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace winlib {

namespace {

const char* const ReadErrorText = "Stream read error";
const char* const WriteErrorText = "Stream write error";
const char* const PositionErrorText = "Invalid stream position";

constexpr size_t CopyChunk = 64 * 1024;
constexpr size_t MaxChunk = (std::numeric_limits<DWORD>::max)();

// base + offset, refusing positions before the start and overflow.
int64_t OffsetPosition(int64_t base, int64_t offset)
{
    if ((offset > 0 && base > (std::numeric_limits<int64_t>::max)() - offset) || base + offset < 0)
        throw EStreamError(PositionErrorText);
    return base + offset;
}

}  // namespace

// --- TStream ---

int64_t TStream::GetSize()
{
    const int64_t position = Seek(0, SeekOrigin::Current);
    const int64_t size = Seek(0, SeekOrigin::End);
    Seek(position, SeekOrigin::Begin);
    return size;
}

void TStream::ReadBuffer(void* buffer, size_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError(ReadErrorText);
}

void TStream::WriteBuffer(const void* buffer, size_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError(WriteErrorText);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count < 0)
        throw EReadError(ReadErrorText);
    if (count == 0) {
        source.SetPosition(0);
        count = source.GetSize();
    }
    std::vector<char> chunk(static_cast<size_t>((std::min<int64_t>)(count, CopyChunk)));
    for (int64_t left = count; left > 0;) {
        const size_t n = static_cast<size_t>((std::min<int64_t>)(left, CopyChunk));
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        left -= static_cast<int64_t>(n);
    }
    return count;
}

// --- TMemoryStream ---

size_t TMemoryStream::Read(void* buffer, size_t count)
{
    if (position_ >= data_.size())
        return 0;
    const size_t n = (std::min)(count, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count)
{
    if (count == 0)
        return 0;
    if (count > data_.max_size() - position_)
        throw EWriteError(WriteErrorText);
    if (position_ + count > data_.size())
        data_.resize(position_ + count);  // a gap after a seek past the end reads as zero bytes
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin)
{
    int64_t base = 0;
    switch (origin) {
    case SeekOrigin::Begin: base = 0; break;
    case SeekOrigin::Current: base = static_cast<int64_t>(position_); break;
    case SeekOrigin::End: base = static_cast<int64_t>(data_.size()); break;
    }
    const int64_t position = OffsetPosition(base, offset);
    if (static_cast<uint64_t>(position) > (std::numeric_limits<size_t>::max)())
        throw EStreamError(PositionErrorText);
    position_ = static_cast<size_t>(position);
    return position;
}

void TMemoryStream::SetSize(int64_t size)
{
    if (size < 0 || static_cast<uint64_t>(size) > data_.max_size())
        throw EStreamError(PositionErrorText);
    data_.resize(static_cast<size_t>(size));
    position_ = (std::min)(position_, data_.size());
}

void TMemoryStream::Clear()
{
    data_.clear();
    data_.shrink_to_fit();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source)
{
    source.SetPosition(0);
    const int64_t size = source.GetSize();
    SetSize(size);
    source.ReadBuffer(data_.data(), data_.size());
    position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& destination) const { destination.WriteBuffer(data_.data(), data_.size()); }

void TMemoryStream::LoadFromFile(const std::string& name)
{
    TFileStream file(name, fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& name) const
{
    TFileStream file(name, fmCreate);
    SaveToStream(file);
}

// --- TFileStream ---

TFileStream::TFileStream(const std::string& fileName, FileMode mode) : fileName_(fileName)
{
    if (mode == fmCreate) {
        file_ = OpenFileHandle(fileName, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
        if (!file_)
            throw EFCreateError(fileName);
        return;
    }
    DWORD access = 0;
    switch (mode & 0x3) {
    case fmOpenRead: access = GENERIC_READ; break;
    case fmOpenWrite: access = GENERIC_WRITE; break;
    case fmOpenReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default: throw EFOpenError(fileName);
    }
    file_ = OpenFileHandle(fileName, access, OPEN_EXISTING);
    if (!file_)
        throw EFOpenError(fileName);
}

size_t TFileStream::Read(void* buffer, size_t count)
{
    char* out = static_cast<char*>(buffer);
    size_t total = 0;
    while (total < count) {
        const DWORD chunk = static_cast<DWORD>((std::min)(count - total, MaxChunk));
        DWORD got = 0;
        if (!ReadFile(file_.Get(), out + total, chunk, &got, nullptr))
            throw EReadError(ReadErrorText);
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

size_t TFileStream::Write(const void* buffer, size_t count)
{
    const char* in = static_cast<const char*>(buffer);
    size_t total = 0;
    while (total < count) {
        const DWORD chunk = static_cast<DWORD>((std::min)(count - total, MaxChunk));
        DWORD written = 0;
        if (!WriteFile(file_.Get(), in + total, chunk, &written, nullptr))
            throw EWriteError(WriteErrorText);
        if (written == 0)
            break;
        total += written;
    }
    return total;
}

int64_t TFileStream::Seek(int64_t offset, SeekOrigin origin)
{
    DWORD method = FILE_BEGIN;
    switch (origin) {
    case SeekOrigin::Begin: method = FILE_BEGIN; break;
    case SeekOrigin::Current: method = FILE_CURRENT; break;
    case SeekOrigin::End: method = FILE_END; break;
    }
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(file_.Get(), distance, &position, method))
        throw EStreamError(PositionErrorText);
    return position.QuadPart;
}

int64_t TFileStream::GetSize()
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.Get(), &size))
        throw EStreamError(PositionErrorText);
    return size.QuadPart;
}

void TFileStream::SetSize(int64_t size)
{
    const int64_t position = GetPosition();
    SetPosition(size);
    if (!SetEndOfFile(file_.Get()))
        throw EWriteError(WriteErrorText);
    SetPosition((std::min)(position, size));
}

}  // namespace winlib
