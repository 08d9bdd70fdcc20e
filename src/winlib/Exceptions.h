// The exception hierarchy of the class library. Every failure raises one of
// these; the application object shows what leaves an event handler.
#pragma once

#include <exception>
#include <string>

namespace winlib {

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

class Exception : public std::exception {
public:
    explicit Exception(std::string message);
    const char* what() const noexcept override;
    const std::string& Message() const noexcept { return message_; }
    virtual const char* ClassName() const noexcept { return "Exception"; }

private:
    std::string message_;
};

// Raised to leave a handler quietly: the error box shows nothing for it.
class EAbort : public Exception {
public:
    EAbort();
    const char* ClassName() const noexcept override { return "EAbort"; }
};

// An input/output error of the runtime's files; the message follows the code.
class EInOutError : public Exception {
public:
    explicit EInOutError(int errorCode);
    int ErrorCode() const noexcept { return errorCode_; }
    const char* ClassName() const noexcept override { return "EInOutError"; }
    static std::string MessageFor(int errorCode);

private:
    int errorCode_;
};

// "Cannot assign a X to a Y": an assignment between unrelated classes.
class EConvertError : public Exception {
public:
    using Exception::Exception;
    static EConvertError CannotAssign(const char* sourceClass, const char* destClass);
    const char* ClassName() const noexcept override { return "EConvertError"; }
};

class EOutOfResources : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EOutOfResources"; }
};

class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EInvalidOperation"; }
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EStreamError"; }
};

class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(const std::string& fileName);
    const char* ClassName() const noexcept override { return "EFOpenError"; }
};

class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(const std::string& fileName);
    const char* ClassName() const noexcept override { return "EFCreateError"; }
};

class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
    const char* ClassName() const noexcept override { return "EReadError"; }
};

class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
    const char* ClassName() const noexcept override { return "EWriteError"; }
};

// A failed Windows call, carrying the system's text for the error code.
class EWin32Error : public Exception {
public:
    explicit EWin32Error(unsigned long errorCode);
    unsigned long ErrorCode() const noexcept { return errorCode_; }
    const char* ClassName() const noexcept override { return "EWin32Error"; }
    static EWin32Error FromLastError();

private:
    unsigned long errorCode_;
};

// Throws EWin32Error for the last error when ok is false.
void Win32Check(bool ok);

}  // namespace winlib
