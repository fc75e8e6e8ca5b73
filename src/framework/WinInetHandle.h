#pragma once

#include "framework/UniqueHandle.h"

#include <wininet.h>

// WinINet internet and URL handles (see WinHttpHandle.h for why they live apart).
struct WinInetHandleTraits {
    using Type = HINTERNET;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept { InternetCloseHandle(h); }
};

using UniqueWinInetHandle = UniqueHandle<WinInetHandleTraits>;
