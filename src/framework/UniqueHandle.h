#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

// Owns one handle; Traits says which value means "none" and how to close it, so the two
// sentinels of the platform (NULL and INVALID_HANDLE_VALUE) never mix.
template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type handle) noexcept : m_handle(handle) {}
    ~UniqueHandle() { Close(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    Type Get() const noexcept { return m_handle; }
    bool IsValid() const noexcept { return Traits::IsValid(m_handle); }
    explicit operator bool() const noexcept { return IsValid(); }

    [[nodiscard]] Type Release() noexcept { return std::exchange(m_handle, Traits::Invalid()); }
    void Reset(Type handle = Traits::Invalid()) noexcept
    {
        Close();
        m_handle = handle;
    }

    // For calls that return the handle through an out parameter.
    Type* Receive() noexcept
    {
        Reset();
        return &m_handle;
    }

private:
    void Close() noexcept
    {
        if (Traits::IsValid(m_handle)) {
            Traits::Close(m_handle);
        }
        m_handle = Traits::Invalid();
    }

    Type m_handle = Traits::Invalid();
};

// Most handle kinds mean "none" with zero and are closed by one call taking the handle.
template <class HandleType, auto CloseFunction>
struct ZeroHandleTraits {
    using Type = HandleType;
    static Type Invalid() noexcept { return Type{}; }
    static bool IsValid(Type h) noexcept { return h != Type{}; }
    static void Close(Type h) noexcept { CloseFunction(h); }
};

// CreateFileW, FindFirstFileW and CreateToolhelp32Snapshot fail with INVALID_HANDLE_VALUE instead.
template <auto CloseFunction>
struct InvalidValueHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type h) noexcept { return h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { CloseFunction(h); }
};

using KernelHandleTraits = ZeroHandleTraits<HANDLE, &CloseHandle>;
using FileHandleTraits = InvalidValueHandleTraits<&CloseHandle>;
using FindHandleTraits = InvalidValueHandleTraits<&FindClose>;
using RegKeyTraits = ZeroHandleTraits<HKEY, &RegCloseKey>;
template <class GdiType>
using GdiObjectTraits = ZeroHandleTraits<GdiType, &DeleteObject>;
using GlobalMemoryTraits = ZeroHandleTraits<HGLOBAL, &GlobalFree>;
using LocalMemoryTraits = ZeroHandleTraits<HLOCAL, &LocalFree>;
using ModuleTraits = ZeroHandleTraits<HMODULE, &FreeLibrary>;
// Memory the shell and COM hand out (SHGetKnownFolderPath's path).
using CoTaskMemoryTraits = ZeroHandleTraits<void*, &CoTaskMemFree>;

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueGlobalMemory = UniqueHandle<GlobalMemoryTraits>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueCoTaskMemory = UniqueHandle<CoTaskMemoryTraits>;
