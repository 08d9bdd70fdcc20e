// Byte streams: the abstract stream, a stream in memory and a stream over a file.
#pragma once

#include "winlib/RuntimeFiles.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace winlib {

enum class SeekOrigin { Begin, Current, End };

class TStream {
public:
    virtual ~TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Return the number of bytes moved; fewer than asked is not an error here.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    // Returns the new position; a position before the start raises EStreamError.
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;

    int64_t GetPosition() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
    virtual int64_t GetSize();

    // All or nothing: a short transfer raises EReadError / EWriteError.
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
    // Copies count bytes from the source's position; count 0 copies the whole
    // source from its start. Returns the number of bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);

protected:
    TStream() = default;
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t GetSize() override { return static_cast<int64_t>(data_.size()); }

    // Grows with zero bytes or cuts; the position stays within the new size.
    void SetSize(int64_t size);
    void Clear();
    char* Memory() noexcept { return data_.data(); }
    const char* Memory() const noexcept { return data_.data(); }

    // Replaces the content with the whole source; the position goes to 0.
    void LoadFromStream(TStream& source);
    // Writes the whole content at the destination's position.
    void SaveToStream(TStream& destination) const;
    void LoadFromFile(const std::string& name);
    void SaveToFile(const std::string& name) const;

private:
    std::vector<char> data_;
    size_t position_ = 0;
};

enum FileMode : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmCreate = 0xFF00,  // create, or truncate an existing file; read and write
};

class TFileStream : public TStream {
public:
    // Raises EFCreateError for fmCreate, EFOpenError for the open modes.
    TFileStream(const std::string& fileName, FileMode mode);

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t GetSize() override;
    // Cuts or extends the file; the position stays within the new size.
    void SetSize(int64_t size);

    const std::string& FileName() const noexcept { return fileName_; }
    HANDLE Handle() const noexcept { return file_.Get(); }  // not owned by the caller

private:
    std::string fileName_;
    FileHandle file_;
};

}  // namespace winlib
