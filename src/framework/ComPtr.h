#pragma once

#include <unknwn.h>

#include <utility>

// Owns one reference to a COM interface.
template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ~ComPtr() { Reset(); }

    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_pointer(std::exchange(other.m_pointer, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_pointer = std::exchange(other.m_pointer, nullptr);
        }
        return *this;
    }

    T* Get() const noexcept { return m_pointer; }
    T* operator->() const noexcept { return m_pointer; }
    explicit operator bool() const noexcept { return m_pointer != nullptr; }

    void Reset() noexcept
    {
        if (m_pointer) {
            m_pointer->Release();
            m_pointer = nullptr;
        }
    }

    // Takes over a reference the caller already owns.
    void Attach(T* pointer) noexcept
    {
        Reset();
        m_pointer = pointer;
    }

    // For calls that return an interface through an out parameter.
    T** Receive() noexcept
    {
        Reset();
        return &m_pointer;
    }

private:
    T* m_pointer = nullptr;
};
