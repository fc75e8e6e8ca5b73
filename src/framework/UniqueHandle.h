#pragma once

#include <windows.h>

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

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};

// CreateFileW and CreateToolhelp32Snapshot fail with INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type h) noexcept { return h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { CloseHandle(h); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type h) noexcept { return h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { FindClose(h); }
};

struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept { RegCloseKey(h); }
};

template <class GdiType>
struct GdiObjectTraits {
    using Type = GdiType;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept { DeleteObject(h); }
};

struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept { GlobalFree(h); }
};

struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept { LocalFree(h); }
};

struct ModuleTraits {
    using Type = HMODULE;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept { FreeLibrary(h); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueGlobalMemory = UniqueHandle<GlobalMemoryTraits>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
