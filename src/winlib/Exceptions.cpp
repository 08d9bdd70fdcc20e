#include "winlib/Exceptions.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace winlib {

std::string Format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string result;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
        result.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(args);
    return result;
}

Exception::Exception(std::string message) : message_(std::move(message)) {}

const char* Exception::what() const noexcept { return message_.c_str(); }

EAbort::EAbort() : Exception("Operation aborted") {}

EInOutError::EInOutError(int errorCode) : Exception(MessageFor(errorCode)), errorCode_(errorCode) {}

std::string EInOutError::MessageFor(int errorCode)
{
    switch (errorCode) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
    default: return Format("I/O error %d", errorCode);
    }
}

EConvertError EConvertError::CannotAssign(const char* sourceClass, const char* destClass)
{
    return EConvertError(Format("Cannot assign a %s to a %s", sourceClass ? sourceClass : "nil", destClass));
}

EFOpenError::EFOpenError(const std::string& fileName) : EStreamError(Format("Cannot open file %s", fileName.c_str())) {}

EFCreateError::EFCreateError(const std::string& fileName)
    : EStreamError(Format("Cannot create file %s", fileName.c_str()))
{
}

namespace {
std::string SystemMessage(unsigned long code)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message;
    if (length != 0 && text != nullptr) {
        message.assign(text, length);
        while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
            message.pop_back();
    }
    if (text != nullptr)
        LocalFree(text);
    if (message.empty())
        message = Format("System error.  Code: %lu", code);
    return message;
}
}  // namespace

EWin32Error::EWin32Error(unsigned long errorCode) : Exception(SystemMessage(errorCode)), errorCode_(errorCode) {}

EWin32Error EWin32Error::FromLastError() { return EWin32Error(GetLastError()); }

void Win32Check(bool ok)
{
    if (!ok)
        throw EWin32Error::FromLastError();
}

}  // namespace winlib
