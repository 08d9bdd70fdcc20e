// The scoped owners: what a caller sees of the guard, the unique handle over
// real handles of each kind, and the saved state of a device context.
#include "winlib/Scoped.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>

using namespace winlib;

namespace {

std::string TempPath(const char* name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

HANDLE OpenAlone(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_TEMPORARY,
                       nullptr);
}

TEST(ScopedOwners, GuardUndoesOnEveryWayOutUnlessDismissed)
{
    int undone = 0;
    {
        Finally guard([&] { ++undone; });
    }
    EXPECT_EQ(undone, 1);
    EXPECT_THROW(
        {
            Finally guard([&] { ++undone; });
            throw std::runtime_error("work failed");
        },
        std::runtime_error);
    EXPECT_EQ(undone, 2);
    {
        Finally guard([&] { ++undone; });
        guard.Dismiss();
    }
    EXPECT_EQ(undone, 2);
    // On a normal way out a failing undo reaches the caller; on the way out
    // of a failure, that failure does.
    EXPECT_THROW({ Finally guard([] { throw std::runtime_error("undo failed"); }); }, std::runtime_error);
    EXPECT_THROW(
        {
            Finally guard([] { throw std::runtime_error("undo failed"); });
            throw std::logic_error("work failed");
        },
        std::logic_error);
}

TEST(ScopedOwners, FileIsClosedWhenItsOwnerLetsGoAndMovesWithTheOwner)
{
    const std::string path = TempPath("vexil-scoped.tmp");
    {
        UniqueHandle<FileTraits> first(OpenAlone(path));
        ASSERT_TRUE(first);
        EXPECT_FALSE(UniqueHandle<FileTraits>(OpenAlone(path))) << "opened twice without sharing";
        UniqueHandle<FileTraits> second = std::move(first);
        EXPECT_FALSE(first);
        EXPECT_EQ(first.Get(), INVALID_HANDLE_VALUE);
        EXPECT_FALSE(UniqueHandle<FileTraits>(OpenAlone(path))) << "the move closed the file";
        second.Reset();
        EXPECT_TRUE(UniqueHandle<FileTraits>(OpenAlone(path))) << "still open after Reset";
    }
    EXPECT_NE(DeleteFileA(path.c_str()), FALSE);
}

TEST(ScopedOwners, KernelObjectAndModuleGoWithTheirLastOwner)
{
    const char* const name = "Vexil.ScopedTest.Mutex";
    {
        KernelHandle mutex(CreateMutexA(nullptr, FALSE, name));
        ASSERT_TRUE(mutex);
        EXPECT_TRUE(KernelHandle(OpenMutexA(SYNCHRONIZE, FALSE, name)));
    }
    EXPECT_FALSE(KernelHandle(OpenMutexA(SYNCHRONIZE, FALSE, name)));

    ASSERT_EQ(GetModuleHandleA("RICHED20.DLL"), nullptr);
    {
        ModuleHandle library(LoadLibraryA("RICHED20.DLL"));
        ASSERT_TRUE(library);
        EXPECT_EQ(GetModuleHandleA("RICHED20.DLL"), library.Get());
    }
    EXPECT_EQ(GetModuleHandleA("RICHED20.DLL"), nullptr);
}

TEST(ScopedOwners, ReleasedMemoryOutlivesItsOwner)
{
    HGLOBAL block = nullptr;
    {
        GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, 16));
        ASSERT_TRUE(memory);
        block = memory.Release();
        EXPECT_FALSE(memory);
    }
    const GlobalMemory again(block);
    EXPECT_EQ(GlobalSize(again.Get()), 16u);
}

TEST(ScopedOwners, SavedDeviceContextGetsItsColoursModeAndObjectsBack)
{
    const MemoryDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    SetTextColor(dc.Get(), RGB(1, 2, 3));
    SetBkMode(dc.Get(), OPAQUE);
    const HGDIOBJ font = GetCurrentObject(dc.Get(), OBJ_FONT);
    {
        const SavedDC saved(dc.Get());
        SetTextColor(dc.Get(), RGB(200, 0, 0));
        SetBkMode(dc.Get(), TRANSPARENT);
        SelectObject(dc.Get(), GetStockObject(SYSTEM_FIXED_FONT));
    }
    EXPECT_EQ(GetTextColor(dc.Get()), RGB(1, 2, 3));
    EXPECT_EQ(GetBkMode(dc.Get()), OPAQUE);
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), font);
}

}  // namespace
