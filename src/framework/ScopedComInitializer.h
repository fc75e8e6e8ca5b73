#pragma once

#include <objbase.h>

// Initialises COM on this thread for one operation and balances every successful initialisation
// (S_OK and S_FALSE alike) when it goes out of scope.
class ScopedComInitializer {
public:
    explicit ScopedComInitializer(DWORD model = COINIT_APARTMENTTHREADED) noexcept
        : m_result(CoInitializeEx(nullptr, model))
    {
    }
    ~ScopedComInitializer()
    {
        if (SUCCEEDED(m_result)) {
            CoUninitialize();
        }
    }
    ScopedComInitializer(const ScopedComInitializer&) = delete;
    ScopedComInitializer& operator=(const ScopedComInitializer&) = delete;

    bool Succeeded() const noexcept { return SUCCEEDED(m_result); }

private:
    HRESULT m_result;
};
