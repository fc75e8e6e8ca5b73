#pragma once

#include "framework/UniqueHandle.h"

#include <winhttp.h>

// WinHTTP session, connection and request handles. Kept apart from the WinINet ones: the two
// headers cannot be included in one translation unit.
struct WinHttpHandleTraits {
    using Type = HINTERNET;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept { WinHttpCloseHandle(h); }
};

using UniqueWinHttpHandle = UniqueHandle<WinHttpHandleTraits>;
