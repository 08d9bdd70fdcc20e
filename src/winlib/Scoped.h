// Scoped owners: each holds one thing that must be undone or freed, and does
// it when its scope ends, by an exception too. A scope guard for any undo;
// one unique handle for every kind of handle, told by the kind's traits how
// it is freed; and the scopes of a device context: a window's, a memory one,
// the one of a WM_PAINT, an object selected into it, its saved state.
#pragma once

#include <windows.h>

#include <exception>
#include <utility>

namespace winlib {

// Runs undo when the scope is left, normally or by an exception, unless
// Dismiss() said first that the guarded work went through and is to stay.
// On a normal exit a failure of undo reaches the caller as that of any last
// statement would. While an exception is leaving, that one is the failure
// reported: a failure of undo then goes unreported rather than end the program.
template <class Undo>
class Finally {
public:
    explicit Finally(Undo undo) : undo_(std::move(undo)), leaving_(std::uncaught_exceptions()) {}
    ~Finally() noexcept(false)
    {
        if (!active_)
            return;
        if (std::uncaught_exceptions() == leaving_) {
            undo_();
            return;
        }
        try {
            undo_();
        } catch (...) {
        }
    }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

    void Dismiss() noexcept { active_ = false; }

private:
    Undo undo_;
    int leaving_;
    bool active_ = true;
};

// Owns one handle and frees it when it goes. The traits of a kind of handle
// give its type, the value that stands for none, and how it is freed (true
// when that worked). A kind whose none is null and that one function frees
// takes a line (see NullHandleTraits); any other kind a struct like FileTraits.
template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::None(); }
    // Frees the handle held, if any, and holds the new one.
    void Reset(Handle handle = Traits::None()) noexcept
    {
        if (handle_ != Traits::None())
            Traits::Free(handle_);
        handle_ = handle;
    }
    // Gives the handle up unfreed.
    Handle Release() noexcept { return std::exchange(handle_, Traits::None()); }
    // Frees the handle now and tells whether that worked (GetLastError says
    // why not); the destructor's freeing is the quiet one.
    bool Close() noexcept { return !*this || Traits::Free(Release()); }

private:
    Handle handle_ = Traits::None();
};

// The traits of a handle whose none is null and that Close frees, Close
// taking the handle as a Parameter (a GDI object as any HGDIOBJ).
template <class Kind, class Parameter, BOOL(WINAPI* Close)(Parameter)>
struct NullHandleTraits {
    using Handle = Kind;
    static Handle None() noexcept { return nullptr; }
    static bool Free(Handle handle) noexcept { return Close(handle) != FALSE; }
};

// Fonts, brushes, pens, bitmaps, regions: deleted once no DC has them selected.
template <class Object>
using GdiObject = UniqueHandle<NullHandleTraits<Object, HGDIOBJ, DeleteObject>>;
using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;
using PenHandle = GdiObject<HPEN>;
using BitmapHandle = GdiObject<HBITMAP>;

// A memory device context: MemoryDC picture(CreateCompatibleDC(dc)).
using MemoryDC = UniqueHandle<NullHandleTraits<HDC, HDC, DeleteDC>>;
// A menu of CreateMenu or CreatePopupMenu, which takes its popups with it.
using OwnedMenu = UniqueHandle<NullHandleTraits<HMENU, HMENU, DestroyMenu>>;
// A reference to a library module: LoadLibrary, or GetModuleHandleEx
// without GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT.
using ModuleHandle = UniqueHandle<NullHandleTraits<HMODULE, HMODULE, FreeLibrary>>;
// A window that no control object stands for (a hidden probe, say).
using OwnedWindow = UniqueHandle<NullHandleTraits<HWND, HWND, DestroyWindow>>;
// A kernel object whose creation answers null for failure: a mutex, an
// event, a process, a thread.
using KernelHandle = UniqueHandle<NullHandleTraits<HANDLE, HANDLE, CloseHandle>>;

// Files of CreateFile, which answers INVALID_HANDLE_VALUE for failure.
struct FileTraits {
    using Handle = HANDLE;
    static Handle None() noexcept { return INVALID_HANDLE_VALUE; }
    static bool Free(Handle handle) noexcept { return CloseHandle(handle) != FALSE; }
};
using FileHandle = UniqueHandle<FileTraits>;

// Memory of GlobalAlloc; Release() it once the clipboard has taken it.
struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle None() noexcept { return nullptr; }
    static bool Free(Handle handle) noexcept { return GlobalFree(handle) == nullptr; }
};
using GlobalMemory = UniqueHandle<GlobalMemoryTraits>;

// A device context of a window (null: the screen), released at scope end.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC()
    {
        if (dc_ != nullptr)
            ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The device context of one WM_PAINT: BeginPaint, and EndPaint at scope end.
// Get() is null when the system gave none, and there is nothing to paint.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDC()
    {
        if (dc_ != nullptr)
            EndPaint(window_, &paint_);
    }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Selects an object into a device context and puts back the one it replaced.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject()
    {
        if (old_ != nullptr && old_ != HGDI_ERROR)
            SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Saves the state of a device context (colours, background mode, modes,
// selected objects) and restores it at scope end.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDC()
    {
        if (saved_ != 0)
            RestoreDC(dc_, saved_);
    }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

}  // namespace winlib
